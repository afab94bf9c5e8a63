#pragma once

#include <QString>

class QWidget;

namespace sortana {

class Document;
class Platform;

// Where File > Export Workbook... proposes to write: beside the document, named after it
// (after its title while it has no file).
QString initialWorkbookPath(const Document &document);

// Asks with a file dialog, starting from the path given; empty when cancelled.
QString askWorkbookPath(QWidget *parent, const QString &initial);

// File > Export Workbook...: writes the document's workbook to the path, with a progress bar
// that can cancel it when the study is large. False, after telling the user why unless they
// cancelled, when nothing was written; the file that was there is then as it was.
bool exportWorkbook(const Document &document, const QString &path, Platform &platform, QWidget *parent);

} // namespace sortana
