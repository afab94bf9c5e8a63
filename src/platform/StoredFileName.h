#pragma once

#include <QString>

namespace sortana {

// The name of an existing file as the file system stores it (letter case included), or an
// empty string when there is no such file.
QString storedFileName(const QString &path);

} // namespace sortana
