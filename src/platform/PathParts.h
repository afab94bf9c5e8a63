#pragma once

#include <QString>

namespace sortana {

// A path split into folder, base name and extension, the base name (and, for an existing
// file, the extension) spelled as the file system stores them.
struct PathParts {
    QString folder;     // up to and including the last separator; empty for a bare name
    QString baseName;
    // With its leading dot while the file does not exist; taken from the name on disk, without
    // the dot, when it does.
    QString extension;
};

PathParts splitPathAsStored(const QString &path);

} // namespace sortana
