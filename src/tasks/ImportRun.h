#pragma once

#include "analysis/ClusterAnalysis.h"
#include "formats/CardSortAnalysis.h"
#include "study/Study.h"
#include "study/StudySummary.h"

#include <QLockFile>

#include <memory>
#include <vector>

namespace sortana {

class Platform;

// The analysis files keep their names but go into the given folder.
void moveAnalysisFiles(AnalysisFileNames &names, const QString &folder);
// The paths of the five analysis files in the order step 3 of the wizard lists them, each
// followed by its UTF-8 copy when those are written too.
QStringList analysisFilePaths(const AnalysisFileNames &names, bool utf8CsvCopies);
// The file names of those of them that exist, in the same order.
QStringList existingAnalysisFiles(const AnalysisFileNames &names, bool utf8CsvCopies);

// One import from raw data file to analysis files, in the steps the import wizard gates:
// choosing the input, checking the options, finishing (read and clustering) and the export.
// The desktop wizard and sortana-cli both drive it; each step tells the user why it refuses.
class ImportRun {
public:
    explicit ImportRun(Platform &platform);
    ImportRun(const ImportRun &) = delete;
    ImportRun &operator=(const ImportRun &) = delete;

    // How the next input is read when it is a table: set, every input is read as a table
    // so; unset, files are told apart by their extension.
    void setTableOptions(std::optional<TableOptions> options) { m_tableOptions = std::move(options); }
    const std::optional<TableOptions> &tableOptions() const { return m_tableOptions; }
    // How workbooks are read (CardSortAnalysis::setWorkbookLoader).
    void setWorkbookLoader(WorkbookLoader loader) { m_analysis.setWorkbookLoader(loader); }
    // The folder the analysis files go into; empty for the input's own folder.
    void setOutputFolder(const QString &folder);
    // The folder of the analysis files as their paths spell it, with its final separator;
    // empty when they go into the current folder.
    QString outputFolder() const;
    // Surveys the file, derives the analysis file names and presets the options from what
    // the survey found. False when the file is refused.
    bool chooseInput(const QString &path);
    // Instead of an input: a study said by its item names and sorts (which must outlive the
    // run), read with the options and totals of `summary` into the given analysis files.
    void chooseSorts(const QStringList &itemNames, const StudySorts &sorts, const StudySummary &summary,
                     const AnalysisFileNames &files);
    // Whether the analysis files also get their UTF-8 copies for spreadsheets, put in place
    // with them as one set. Off by default.
    void setUtf8CsvCopies(bool on) { m_analysis.setUtf8CsvCopies(on); }
    bool utf8CsvCopies() const { return m_analysis.utf8CsvCopies(); }
    // The five outputs go to the sink instead of the analysis files (see CardSortAnalysis).
    void setSink(AnalysisSink *sink) { m_analysis.setSink(sink); }
    // Whether finish() asks before going on with a study that cannot be a card sort (no two
    // cards ever in one group, no card sorted by two participants, or fewer than two
    // participants); on by default.
    void setCheckStudyShape(bool check) { m_checkStudyShape = check; }
    // Whether finish() stops once the study is read, for its sorts: then nothing is clustered,
    // no analysis file is written and the pair matrices are not kept. Off by default.
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    // False when the options cannot be used (copies outside 1..10, an expert without others).
    bool checkOptions();
    // Reads the file, clusters its items and writes the participants file. False when the
    // study cannot fit in memory, when another import is writing the same analysis files,
    // when the read failed or was cancelled, or when the user stopped at the warning that
    // the study cannot be a card sort; nothing of the run is left on disk then.
    bool finish();
    // Writes the remaining analysis files in the tree's leaf order and puts all five in
    // place. False, after telling the user, when they could not be written.
    bool exportAnalysisFiles();

    StudySummary &summary() { return m_summary; }
    const StudySummary &summary() const { return m_summary; }
    AnalysisFileNames &fileNames() { return m_fileNames; }
    const AnalysisFileNames &fileNames() const { return m_fileNames; }
    CardSortAnalysis &analysis() { return m_analysis; }
    ClusterAnalysis &clusterAnalysis() { return m_clusterAnalysis; }
    // The reader's result: the item count, or below 2 when it failed.
    int itemCount() const { return m_itemCount; }

private:
    void nameAnalysisFiles(const QString &inputPath);
    bool clusterBesideParticipants();
    bool acceptStudyShape();
    bool fitsInMemory();
    void reportOutOfMemory();
    // Held from the read to the last analysis file, so that two imports into one folder
    // cannot interleave their files.
    bool lockAnalysisFiles();
    void abandon();

    Platform &m_platform;
    AnalysisFileNames m_fileNames;
    StudySummary m_summary;
    CardSortAnalysis m_analysis;
    ClusterAnalysis m_clusterAnalysis;
    int m_itemCount = 0;
    std::unique_ptr<QLockFile> m_lock;
    std::optional<TableOptions> m_tableOptions;
    bool m_checkStudyShape = true;
    bool m_readOnly = false;
    QString m_outputFolder;
};

// The study a finished run found: its tree, names, summary, fits and matrix move out of the
// run, which is spent afterwards; the sorts and who was left out are the caller's.
std::shared_ptr<const Study> takeStudy(ImportRun &run, std::optional<StudySorts> sorts, std::vector<qint32> leftOut);

class Document;

// What the import command does once the wizard closed with OK: the export run, then the
// study goes into the document, which is named after the input file. Returns false (after
// telling the user) when an analysis file could not be written; the study is taken all the
// same.
bool completeImport(Document &document, ImportRun &run);

} // namespace sortana
