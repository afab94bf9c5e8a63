#include "formats/ReportWriters.h"
#include "report/ReportContent.h"

#include "document/Document.h"
#include "document/StudyFacts.h"
#include "platform/Platform.h"
#include "platform/SafeFiles.h"

#include <QBuffer>
#include <QFileInfo>
#include <QPageSize>
#include <QPdfWriter>

namespace sortana {

namespace {

// As the printed pages are drawn: fine enough that text is placed as it is measured.
constexpr int reportPdfDpi = 1200;

QString suffixOf(const QString &path)
{
    return QFileInfo(path).suffix().toLower();
}

// Qt dates a PDF by the clock, whatever SOURCE_DATE_EPOCH says; the report's own time goes
// in its place, in a form of the same length so that every offset the file gives stays true.
void setPdfDates(QByteArray &pdf, const QDateTime &created)
{
    const QByteArray digits = created.toUTC().toString(QStringLiteral("yyyyMMddHHmmss")).toLatin1();
    for (const QByteArray &key : {QByteArrayLiteral("/CreationDate (D:"), QByteArrayLiteral("/ModDate (D:")}) {
        const qsizetype start = pdf.indexOf(key);
        if (start < 0)
            continue;
        const qsizetype from = start + key.size();
        const qsizetype end = pdf.indexOf(')', from);
        if (end < 0)
            continue;
        const qsizetype length = end - from;
        QByteArray date = digits;
        if (length == digits.size() + 1)
            date += 'Z';
        else if (length == digits.size() + 7)
            date += "+00'00'";
        else
            continue;
        pdf.replace(from, length, date);
    }
}

// The PDF in memory, so that it can be dated before it is written; `drawn` false when a page
// could not be drawn.
QByteArray reportPdf(const ReportContent &content, const Document &document, const QDateTime &created,
                     const Progress &progress, bool &drawn)
{
    QByteArray pdf;
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(reportPdfDpi);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
        writer.setTitle(content.title);
        writer.setCreator(QStringLiteral("Sortana"));
        drawn = printReport(content, document, writer, progress);
    }
    setPdfDates(pdf, created);
    return pdf;
}

} // namespace

bool isReportPath(const QString &path)
{
    const QString suffix = suffixOf(path);
    return suffix == u"html" || suffix == u"htm" || suffix == u"pdf";
}

bool saveReport(const Document &document, const QString &path, Platform &platform, const Progress &progress)
{
    if (!isReportPath(path)) {
        platform.error(QStringLiteral("A report is saved as .html, .htm or .pdf"));
        return false;
    }
    if (!document.hasStudy() || !document.clusterRoot()) {
        platform.fileFailure(QStringLiteral("Failed to save report.\nThe document holds no study"));
        return false;
    }
    if (!checkOutputFile(path, platform))
        return false;
    bool stopped = false;
    const Progress watched = [&](qint64 done, qint64 total) {
        stopped = stopped || (progress && !progress(done, total));
        return !stopped;
    };
    const QDateTime created = creationTime();
    const bool pdf = suffixOf(path) == u"pdf";
    // The PDF's pages say how far they have come; the web page has two steps.
    if (!pdf && !watched(0, 2))
        return false;
    const ReportContent content = buildReport(document, created);
    if (!pdf && !watched(1, 2))
        return false;
    bool drawn = true;
    const QByteArray bytes =
        pdf ? reportPdf(content, document, created, watched, drawn) : reportHtml(content, document);
    // Whoever stopped it knows; the old file stays as it was.
    if (stopped || !watched(2, 2))
        return false;
    const bool saved = drawn && saveReplacing(path, [&](QIODevice &file) { return file.write(bytes) == bytes.size(); });
    if (!saved)
        platform.fileFailure(QStringLiteral("Failed to save report.\nMake sure the folder exists and is writable"));
    return saved;
}

} // namespace sortana
