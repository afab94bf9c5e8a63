#pragma once

#include "platform/Progress.h"

#include <QByteArray>
#include <QString>

class QPdfWriter;

namespace sortana {

class Document;
class Platform;
struct ReportContent;

// The report as one self-contained web page: pictures inline, no other file needed.
QByteArray reportHtml(const ReportContent &content, const Document &document);

// The report drawn on the writer's pages, which the writer has been set up for (size,
// resolution, title, creator). False when a page could not be drawn or `progress` said stop.
bool printReport(const ReportContent &content, const Document &document, QPdfWriter &writer,
                 const Progress &progress = {});

// True for the files saveReport writes: .html, .htm and .pdf.
bool isReportPath(const QString &path);

// Builds the document's report and writes it as a web page or a PDF, by the path's
// extension, through a temporary file that replaces the path only when complete. False,
// after telling the user, when it could not be written or `progress` said stop.
bool saveReport(const Document &document, const QString &path, Platform &platform, const Progress &progress = {});

} // namespace sortana
