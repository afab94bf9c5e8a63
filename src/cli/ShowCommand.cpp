#include "cli/ShowCommand.h"

#include "cli/CommandFiles.h"
#include "cli/ExitStatus.h"
#include "document/ColourText.h"
#include "document/Document.h"
#include "drawing/PictureExport.h"
#include "platform/Platform.h"
#include "platform/SafeFiles.h"
#include "tasks/DocumentFile.h"

#include <QStringList>

namespace sortana {

namespace {

void printLine(std::FILE *out, const QString &key, const QString &value)
{
    std::fprintf(out, "%s=%s\n", key.toUtf8().constData(), value.toUtf8().constData());
}

// Text from the document in one line: a line break or tab in a name would split its entry.
QString escaped(QString text)
{
    return text.replace(u'\n', QStringLiteral("\\n"))
        .replace(u'\r', QStringLiteral("\\r"))
        .replace(u'\t', QStringLiteral("\\t"));
}

} // namespace

int runShow(const QString &documentPath, Platform &platform, std::FILE *out)
{
    Document document;
    if (!openStudyDocument(document, documentPath, platform))
        return exitFailed;

    const StudySummary &s = document.study().summary;
    printLine(out, QStringLiteral("fileName"), escaped(s.fileName));
    const std::pair<const char *, int> values[] = {
        {"fileType", s.fileType}, {"hasFitData", s.hasFitData}, {"hasSubGroups", s.hasSubGroups},
        {"useExpert", s.useExpert}, {"useSubGroups", s.useSubGroups}, {"useFit", s.useFit},
        {"copiesPerParticipant", s.copiesPerParticipant}, {"itemCount", s.itemCount},
        {"lineCount", s.lineCount}, {"groupCount", s.groupCount}, {"participantCount", s.participantCount},
    };
    for (const auto &[key, value] : values)
        printLine(out, QString::fromLatin1(key), QString::number(value));
    printLine(out, QStringLiteral("fontName"), escaped(document.settings().fontName));
    printLine(out, QStringLiteral("fontSize"), QString::number(document.settings().fontSize));
    printLine(out, QStringLiteral("numberOfGroups"), QString::number(document.settings().numberOfGroups));
    printLine(out, QStringLiteral("colour1"), colourText(document.settings().colour1));
    printLine(out, QStringLiteral("colour2"), colourText(document.settings().colour2));
    printLine(out, QStringLiteral("drawingSize"),
              QString::number(document.drawingSize.cx) + u'x' + QString::number(document.drawingSize.cy));
    for (qint32 k = 0; k < document.study().itemCount; ++k) {
        printLine(out, QStringLiteral("item"),
                  QString::number(k + 1) + u'\t'
                      + QString::number((document.study().itemAverageFit)[size_t(k)], 'g', 17) + u'\t'
                      + escaped(document.study().itemNames.at(k)));
    }
    QStringList leaves;
    for (const int item : document.leafOrder())
        leaves.append(QString::number(item + 1));
    printLine(out, QStringLiteral("leafOrder"), leaves.join(u' '));
    return exitSuccess;
}

int runRender(const QString &documentPath, const QString &picturePath, Platform &platform,
              const RenderOptions &options)
{
    if (isSameFile(picturePath, documentPath)) {
        platform.error(QStringLiteral("The document or picture cannot be written over the input file or an "
                                      "analysis file"));
        return exitUsage;
    }
    Document document;
    if (!openDocumentFile(document, documentPath, platform))
        return exitFailed;
    // The override draws this picture only: the document file is not written.
    if (options.showScale) {
        Settings shown = document.settings();
        shown.showSimilarityScale = *options.showScale;
        document.setSettings(shown);
    }
    const bool saved = options.picture == RenderedPicture::Matrix
        ? saveMatrixPicture(document, picturePath, platform, options.pngDpi)
        : savePicture(document, picturePath, platform, options.pngDpi);
    if (!saved)
        return exitFailed;
    return exitSuccess;
}

} // namespace sortana
