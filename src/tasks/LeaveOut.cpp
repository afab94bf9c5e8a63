#include "tasks/LeaveOut.h"

#include "analysis/LeftOut.h"
#include "analysis/SortsRecords.h"
#include "document/Document.h"
#include "document/DocumentCategories.h"
#include "formats/CardSortAnalysis.h"
#include "platform/PathParts.h"
#include "platform/Platform.h"
#include "tasks/ImportRun.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <limits>

namespace sortana {

AnalysisFileNames leftOutFileNames(const Document &document, int leftOutCount)
{
    QString input = document.hasStudy() ? document.study().summary.fileName : document.pathName;
    // An input named relative to wherever the import ran is looked for beside the document.
    if (QFileInfo(input).isRelative() && !document.pathName.isEmpty())
        input = QFileInfo(document.pathName).dir().filePath(input);
    const PathParts parts = splitPathAsStored(input);
    // Where the last import or analysis wrote its files, while that folder is there.
    const bool folderThere = !document.analysisFolder.isEmpty() && QFileInfo(document.analysisFolder).isDir();
    const QString base =
        folderThere ? QDir(document.analysisFolder).filePath(parts.baseName) : parts.folder + parts.baseName;
    const QString without = leftOutCount == 0 ? QString() : QStringLiteral("-without-") + QString::number(leftOutCount);
    AnalysisFileNames names = analysisFileNames(base + without + QStringLiteral(".csv"));
    names.inputPath = input;
    return names;
}

namespace {

// The lines of the input the participants' sorts stood on.
qint64 linesOf(const StudySorts &sorts, const std::vector<qint32> &participants)
{
    qint64 lines = 0;
    for (const qint32 index : participants)
        lines += SortsRecords::recordCount(sorts.participants[size_t(index)]);
    return lines;
}

// The totals a survey of the input without the left-out participants' lines would find:
// the lines as far as the sorts tell them.
StudySummary keptSummary(const Study &study, const StudySorts &kept, const std::vector<qint32> &leftOut)
{
    StudySummary summary = study.summary;
    summary.participantCount = int(kept.participants.size());
    summary.groupCount = 0;
    for (const ParticipantSort &sort : kept.participants) {
        for (size_t g = 0; g < sort.groups.size(); ++g)
            summary.groupCount += SortsRecords::hasGroupLine(sort, g) ? 1 : 0;
    }
    summary.lineCount = int(
        std::clamp<qint64>(summary.lineCount + linesOf(*study.sorts, study.leftOut) - linesOf(*study.sorts, leftOut), 0,
                           std::numeric_limits<int>::max()));
    return summary;
}

// Runs the engine on the kept sorts into the files: the run then holds the study.
bool runOnKept(ImportRun &run, const Study &study, const QStringList &itemNames, const StudySorts &kept,
               const std::vector<qint32> &leftOut, const AnalysisFileNames &files, AnalyseAgainOptions options)
{
    run.chooseSorts(itemNames, kept, keptSummary(study, kept, leftOut), files);
    run.setCheckStudyShape(options.checkStudyShape);
    run.setUtf8CsvCopies(options.utf8CsvCopies);
    return run.checkOptions() && run.finish() && run.exportAnalysisFiles();
}

} // namespace

bool analyseKept(const Study &study, AnalysisSink &sink, Platform &platform)
{
    if (const std::optional<QString> error = leaveOutError(study, study.leftOut)) {
        platform.error(*error);
        return false;
    }
    const StudySorts kept = keptSorts(*study.sorts, study.leftOut);
    ImportRun run(platform);
    run.setSink(&sink);
    return runOnKept(run, study, study.itemNames, kept, study.leftOut, AnalysisFileNames{},
                     AnalyseAgainOptions{.checkStudyShape = false, .utf8CsvCopies = false});
}

bool analyseAgain(Document &document, std::vector<qint32> leftOut, const AnalysisFileNames &files, Platform &platform,
                  AnalyseAgainOptions options)
{
    if (!document.hasStudy()) {
        platform.error(QString::fromUtf16(sortsMissingMessage));
        return false;
    }
    // The run goes on from this study whatever the document does meanwhile.
    const std::shared_ptr<const Study> study = document.sharedStudy();
    if (const std::optional<QString> error = leaveOutError(*study, leftOut)) {
        platform.error(*error);
        return false;
    }
    const StudySorts kept = keptSorts(*study->sorts, leftOut);
    ImportRun run(platform);
    if (!runOnKept(run, *study, study->itemNames, kept, leftOut, files, options))
        return false;
    document.analysisFolder = QFileInfo(run.fileNames().cardsPath).absolutePath();
    document.setModified(true);
    document.setStudy(takeStudy(run, study->sorts, std::move(leftOut)));
    return true;
}

} // namespace sortana
