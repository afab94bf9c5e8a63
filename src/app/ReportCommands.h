#pragma once

#include <QString>

class QWidget;

namespace sortana {

class Document;
class Platform;

// Where File > Export Report... proposes to write: beside the document, "-report.html" added.
QString initialReportPath(const QString &documentPath);

// The report's path from a save dialog: a name without a report's extension gets the one of
// the type chosen (a web page unless the PDF filter was).
QString reportPathChosen(const QString &chosenPath, const QString &chosenFilter);

// Asks for the report's file, web page or PDF; empty when cancelled.
QString askReportPath(QWidget *parent, const QString &initial);

// File > Export Report...: writes the document's report on a thread of its own behind a
// progress bar, from a copy of the study so that the windows on the document go on drawing
// it meanwhile. False when it was not written (the user is told why) or was cancelled.
bool exportReport(const Document &document, const QString &path, Platform &platform, QWidget *parent);

} // namespace sortana
