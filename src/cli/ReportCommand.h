#pragma once

#include <QString>

namespace sortana {

class Platform;

// Writes the report of a document as a web page or a PDF, by the extension of `reportPath`.
// Returns the exit status: 0 written, 2 when the report would be written over the document,
// 1 when the document could not be read or the report not written.
int runReport(const QString &documentPath, const QString &reportPath, Platform &platform);

} // namespace sortana
