#include "tasks/ImportRun.h"

#include "analysis/AnalysisRows.h"
#include "analysis/LeafOrder.h"
#include "analysis/ParallelRuns.h"
#include "analysis/SortsRecords.h"
#include "document/Document.h"
#include "formats/Utf8CsvCopy.h"
#include "platform/MessageText.h"
#include "platform/PathParts.h"
#include "platform/Platform.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>

#include <new>

namespace sortana {

ImportRun::ImportRun(Platform &platform) : m_platform(platform), m_analysis(m_fileNames, m_summary, platform)
{
}

bool ImportRun::chooseInput(const QString &path)
{
    if (path.isEmpty()) {
        m_platform.error(QStringLiteral("Please provide the name of a data file to be imported"));
        return false;
    }
    StudySummary &s = m_summary;
    s.fileName = path;
    // A table from another tool is known by its extension unless its reading was spelt out.
    m_analysis.setTableInput(m_tableOptions          ? m_tableOptions
                                 : isTablePath(path) ? std::optional<TableOptions>(TableOptions{})
                                                     : std::nullopt);
    if (!m_analysis.surveyInputFile())
        return false;
    if (s.participantCount == 0 || s.itemCount == 0 || s.groupCount == 0) {
        m_platform.error(QStringLiteral("There is insufficient data in this file\n"
                                        "(the number of groups, items or participants is 0)"));
        return false;
    }
    nameAnalysisFiles(path);
    s.useFit = s.hasFitData;
    s.useSubGroups = s.hasSubGroups;
    s.useExpert = false;
    s.copiesPerParticipant = 1;
    return true;
}

void ImportRun::chooseSorts(const QStringList &itemNames, const StudySorts &sorts, const StudySummary &summary,
                            const AnalysisFileNames &files)
{
    m_summary = summary;
    m_fileNames = files;
    m_outputFolder.clear();
    m_analysis.setTableInput(std::nullopt);
    m_analysis.setRecordSource([&itemNames, &sorts] { return std::make_unique<SortsRecords>(itemNames, sorts); });
}

void moveAnalysisFiles(AnalysisFileNames &names, const QString &folder)
{
    const QDir target(folder);
    for (QString *path :
         {&names.cardsPath, &names.itemsPath, &names.participantsPath, &names.matrixPath, &names.weightedMatrixPath})
        *path = target.filePath(QFileInfo(*path).fileName());
}

QStringList analysisFilePaths(const AnalysisFileNames &names, bool utf8CsvCopies)
{
    QStringList paths;
    for (const QString *path :
         {&names.cardsPath, &names.itemsPath, &names.matrixPath, &names.participantsPath, &names.weightedMatrixPath}) {
        paths.append(*path);
        if (utf8CsvCopies)
            paths.append(utf8CsvPath(*path));
    }
    return paths;
}

QStringList existingAnalysisFiles(const AnalysisFileNames &names, bool utf8CsvCopies)
{
    QStringList existing;
    for (const QString &path : analysisFilePaths(names, utf8CsvCopies)) {
        const QFileInfo file(path);
        if (file.exists())
            existing.append(file.fileName());
    }
    return existing;
}

void ImportRun::setOutputFolder(const QString &folder)
{
    m_outputFolder = folder;
    if (!m_fileNames.inputPath.isEmpty())
        nameAnalysisFiles(m_fileNames.inputPath);
}

QString ImportRun::outputFolder() const
{
    const QString &cards = m_fileNames.cardsPath;
    return cards.left(cards.lastIndexOf(u'/') + 1);
}

void ImportRun::nameAnalysisFiles(const QString &inputPath)
{
    m_analysis.setInputFileName(inputPath);
    if (!m_outputFolder.isEmpty())
        moveAnalysisFiles(m_fileNames, m_outputFolder);
}

bool ImportRun::checkOptions()
{
    const StudySummary &s = m_summary;
    if (s.copiesPerParticipant < 1 || s.copiesPerParticipant > 10) {
        m_platform.error(QStringLiteral("Please provide a value for the number of copies between 1 and 10"));
        return false;
    }
    // The expert is compared with everybody else: alone, there is nobody to compare.
    if (s.useExpert && s.participantCount < 2) {
        m_platform.error(QStringLiteral("The expert option needs at least two participants\n"
                                        "(the first participant is the expert)"));
        return false;
    }
    return true;
}

bool ImportRun::finish()
{
    const BusyCursor busy(m_platform);
    if (!fitsInMemory() || !lockAnalysisFiles())
        return false;
    try {
        m_itemCount = m_analysis.Read();
        if (m_itemCount >= 2 && m_analysis.pairMatrix && acceptStudyShape()) {
            if (!m_readOnly && clusterBesideParticipants())
                return true;
            if (m_readOnly) {
                // Only the sorts are wanted: the matrices go before the next run needs its own.
                m_analysis.pairMatrix.reset();
                m_analysis.expertMatrix.reset();
                abandon();
                return true;
            }
        }
    } catch (const std::bad_alloc &) {
        reportOutOfMemory();
    }
    abandon();
    return false;
}

bool ImportRun::acceptStudyShape()
{
    if (!m_checkStudyShape)
        return true;
    QStringList reasons;
    const bool fewParticipants = m_analysis.countedParticipants() < 2;
    if (fewParticipants)
        reasons << QStringLiteral("it has fewer than two participants");
    if (!m_analysis.cardsSortedTogether())
        reasons << QStringLiteral("nobody put two cards into one group");
    // With fewer than two participants that goes without saying.
    if (!fewParticipants && !m_analysis.cardSortedByTwo())
        reasons << QStringLiteral("no card was sorted by two participants");
    if (reasons.isEmpty())
        return true;
    // With a table the usual cause is a column taken for another.
    return m_platform.warning(
        formatMessage(u"This does not look like a card sort: %s.\n"
                      u"If the study is a table, its card or category column may be the wrong one.\n"
                      u"OK shows the result anyway, Cancel stops the import.",
                      {reasons.join(QStringLiteral("; "))}));
}

bool ImportRun::clusterBesideParticipants()
{
    // The participants' agreement needs nothing of the tree: a second core works it out
    // while the clustering, which runs on one, goes on.
    int clustered = 0;
    runSideBySide([this] { writeParticipantsRows(m_analysis); },
                  [&] { clustered = m_clusterAnalysis.Run(m_itemCount, m_analysis.pairMatrix, m_summary); });
    return clustered != 0;
}

bool ImportRun::exportAnalysisFiles()
{
    const BusyCursor busy(m_platform);
    bool written = false;
    try {
        written = writeTreeOrderedFiles(m_analysis, LeafOrder(m_clusterAnalysis.root()));
    } catch (const std::bad_alloc &) {
        reportOutOfMemory();
    }
    abandon();
    return written;
}

namespace {

constexpr char16_t notEnoughMemory[] = u"Error - not enough memory for %d items\nThe analysis needs about %s of memory";

// The peak of a run comes with the clustering, which holds the pair matrix, its candidate
// pairs and the sums between clusters at once: measured on generated studies of 2,000 and
// 4,000 items at about 44 bytes per cell of the matrix, taken here with a margin. The input
// is held in memory for the whole run as well.
qint64 memoryNeeded(const StudySummary &s)
{
    const qint64 cells = qint64(s.itemCount) * s.itemCount;
    constexpr qint64 bytesPerCell = 48;
    constexpr qint64 expertBytesPerCell = 4;
    constexpr qint64 programBytes = 32 << 20;
    return cells * (bytesPerCell + (s.useExpert ? expertBytesPerCell : 0)) + programBytes
        + QFileInfo(s.fileName).size();
}

} // namespace

bool ImportRun::fitsInMemory()
{
    if (memoryNeeded(m_summary) <= m_platform.availableMemory())
        return true;
    reportOutOfMemory();
    return false;
}

void ImportRun::reportOutOfMemory()
{
    const QString need = QLocale::c().formattedDataSize(memoryNeeded(m_summary), 1, QLocale::DataSizeSIFormat);
    m_platform.error(formatMessage(notEnoughMemory, {QString::number(m_summary.itemCount), need}));
}

bool ImportRun::lockAnalysisFiles()
{
    if (m_analysis.hasSink())
        return true; // no file is written

    const QFileInfo cards(m_fileNames.cardsPath);
    m_lock = std::make_unique<QLockFile>(cards.dir().filePath(u'.' + cards.fileName() + QStringLiteral(".lock")));
    // Only a live process holds the lock: Qt frees the lock of one that died, however young.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(2000))
        return true;
    const bool heldByAnother = m_lock->error() == QLockFile::LockFailedError;
    m_lock.reset();
    if (!heldByAnother)
        return true; // a folder that refuses the lock refuses the analysis files too, and says so then
    m_platform.error(formatMessage(u"Another import is writing the analysis files of %s\n"
                                   u"Try again when it has finished",
                                   {m_fileNames.inputPath}));
    return false;
}

void ImportRun::abandon()
{
    m_analysis.closeFiles();
    m_lock.reset();
}

std::shared_ptr<const Study> takeStudy(ImportRun &run, std::optional<StudySorts> sorts, std::vector<qint32> leftOut)
{
    auto study = std::make_shared<Study>();
    study->clusterTree = run.clusterAnalysis().takeTree();
    study->itemNames = run.analysis().takeItemNames();
    // A copy: the run's engine goes on reading its own summary until the run is destroyed.
    study->summary = run.summary();
    study->itemAverageFit = run.analysis().itemMeanScores();
    // The matrix is the import's own, moved rather than copied: at 2,000 items it is 16 MB.
    SimilarityData &similarity = study->similarity.emplace();
    similarity.matrix = std::move(run.analysis().pairMatrix);
    similarity.countedParticipants = study->summary.countedParticipants();
    similarity.copies = study->summary.copiesPerParticipant;
    study->sorts = std::move(sorts);
    study->leftOut = std::move(leftOut);
    study->itemCount = run.itemCount();
    study->totalGroups = study->summary.groupCount;
    study->participantCount = study->summary.participantCount;
    return study;
}

bool completeImport(Document &document, ImportRun &run)
{
    const bool exported = run.exportAnalysisFiles();
    document.analysisFolder = QFileInfo(run.fileNames().cardsPath).absolutePath();
    // Named after the input as it is stored, beside the analysis files, but not written until
    // the user saves.
    const PathParts input = splitPathAsStored(run.fileNames().inputPath);
    document.title = input.baseName;
    document.pathName = run.outputFolder() + input.baseName + QStringLiteral(".klus");
    document.setModified(true);
    document.setStudy(takeStudy(run, std::move(run.analysis().sorts), {}));
    return exported;
}

} // namespace sortana
