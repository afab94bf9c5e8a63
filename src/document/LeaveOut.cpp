#include "document/LeaveOut.h"

#include "document/Document.h"
#include "document/DocumentCategories.h"
#include "document/ImportRun.h"
#include "import/CardSortAnalysis.h"
#include "import/SortsRecords.h"
#include "platform/PathParts.h"
#include "platform/Platform.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <limits>

namespace sortana {

std::optional<QString> leaveOutError(const Study &study, const std::vector<qint32> &leftOut)
{
    if (!study.sorts)
        return QString::fromUtf16(sortsMissingMessage);
    const std::vector<ParticipantSort> &participants = study.sorts->participants;
    if (!std::is_sorted(leftOut.begin(), leftOut.end())
        || std::adjacent_find(leftOut.begin(), leftOut.end()) != leftOut.end()
        || (!leftOut.empty() && (leftOut.front() < 0 || size_t(leftOut.back()) >= participants.size())))
        return QStringLiteral("The participants to leave out are not participants of this study.");
    for (const qint32 index : leftOut) {
        if (!participants[size_t(index)].counted)
            return QStringLiteral("The expert cannot be left out.");
    }
    const auto counted = std::count_if(participants.begin(), participants.end(),
                                       [](const ParticipantSort &sort) { return sort.counted; });
    if (qsizetype(leftOut.size()) >= counted)
        return QStringLiteral("Nobody would be left to analyse.");
    return std::nullopt;
}

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
    const QString without =
        leftOutCount == 0 ? QString() : QStringLiteral("-without-") + QString::number(leftOutCount);
    AnalysisFileNames names = analysisFileNames(base + without + QStringLiteral(".csv"));
    names.inputPath = input;
    return names;
}

StudySorts keptSorts(const StudySorts &sorts, const std::vector<qint32> &leftOut)
{
    StudySorts kept;
    for (size_t p = 0; p < sorts.participants.size(); ++p) {
        if (!std::binary_search(leftOut.begin(), leftOut.end(), qint32(p)))
            kept.participants.push_back(sorts.participants[p]);
    }
    return kept;
}

QString leftOutText(const Study &study)
{
    if (study.leftOut.empty() || !study.sorts)
        return {};
    QStringList names;
    for (const qint32 index : study.leftOut)
        names
            << QStringLiteral("%1 (#%2)").arg(study.sorts->participants[size_t(index)].id, QString::number(index + 1));
    return QStringLiteral("%1 of %2: %3")
        .arg(QString::number(study.leftOut.size()), QString::number(study.sorts->participants.size()),
             names.join(QStringLiteral(", ")));
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

bool analyseAgain(Document &document, std::vector<qint32> leftOut, const AnalysisFileNames &files,
                  Platform &platform, AnalyseAgainOptions options)
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
