#pragma once

#include "platform/Progress.h"

#include <QString>

namespace sortana {

class Document;

// Writes the workbook of a document's study (see buildWorkbookSheets) to `path`, safely.
// False with a message for the user in `error`, or with `error` empty when `progress` said
// to stop; the file that was there is then as it was.
bool saveWorkbook(const Document &document, const QString &path, const Progress &progress, QString &error);

} // namespace sortana
