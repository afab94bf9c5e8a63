#include "formats/CardSortAnalysis.h"

#include "analysis/AnalysisRow.h"
#include "formats/ImportMessages.h"
#include "formats/RawRecord.h"
#include "platform/Platform.h"
#include "platform/SafeFiles.h"

namespace sortana {

namespace {

constexpr quint32 outputFlags =
    TextFile::modeCreate | TextFile::modeWrite | TextFile::shareExclusive | TextFile::modeUnicode;

} // namespace

CardSortAnalysis::CardSortAnalysis(AnalysisFileNames &names, StudySummary &studySummary, Platform &platform)
    : CardSortEngine(studySummary, platform),
      fileNames(&names)
{
}

CardSortAnalysis::OutputFiles::OutputFiles(CardSortAnalysis &analysis)
    : m_files{&analysis.cardsFile, &analysis.itemsFile, &analysis.participantsFile, &analysis.matrixFile,
              &analysis.weightedMatrixFile}
{
}

void CardSortAnalysis::OutputFiles::write(AnalysisFile file, const AnalysisRow &row)
{
    m_files[std::size_t(file)]->writeString(row.line());
}

CardSortAnalysis::~CardSortAnalysis()
{
    closeFiles();
}

void CardSortAnalysis::closeFiles()
{
    dropRecords();
    for (TextFile *file : {&inputFile, &cardsFile, &itemsFile, &participantsFile, &matrixFile, &weightedMatrixFile})
        file->Close();
    for (Utf8CsvCopy &copy : m_copies)
        copy.close();
}

bool CardSortAnalysis::openOutputs()
{
    const std::array<Output, 5> files = outputs();
    // All are looked at before any is created, so a refusal leaves nothing behind.
    for (const Output &output : files) {
        if (!checkOutputFile(output.path, platform())
            || (m_utf8CsvCopies && !checkOutputFile(utf8CsvPath(output.path), platform())))
            return false;
    }
    for (const Output &output : files) {
        if (!output.file.Open(output.path, outputFlags)
            || (m_utf8CsvCopies && !output.copy.open(utf8CsvPath(output.path)))) {
            platform().fileFailure(QString::fromUtf16(output.createFailure));
            return false;
        }
        if (m_utf8CsvCopies)
            output.file.setCopy([&copy = output.copy](QStringView text) { copy.write(text); });
        else
            output.file.setCopy({});
    }
    return true;
}

std::unique_ptr<RecordSource> CardSortAnalysis::openInput()
{
    if (!checkInputFile(fileNames->inputPath, platform()))
        return nullptr;
    if (m_tableOptions) {
        auto table = std::make_unique<TableRecords>();
        if (!loadTable(fileNames->inputPath, *table))
            return nullptr;
        return table;
    }
    if (!inputFile.Open(fileNames->inputPath, TextFile::modeRead | TextFile::shareDenyWrite)) {
        platform().fileFailure(QString::fromUtf16(messages::inputOpenFailed));
        return nullptr;
    }
    // The read and the participants pass must see the same bytes, whatever happens to the
    // file meanwhile: it is read into memory once.
    if (!inputFile.Preload()) {
        platform().fileFailure(QString::fromUtf16(messages::inputReadFailed));
        closeFiles();
        return nullptr;
    }
    return std::make_unique<RawTextRecords>(inputFile);
}

std::array<CardSortAnalysis::Output, 5> CardSortAnalysis::outputs()
{
    return {{
        {cardsFile, m_copies[0], fileNames->cardsPath,
         u"Failed to create cards output file\nMake sure it is not in use in other applications",
         u"Failed to write cards output file\nMake sure there is enough free space on the disk"},
        {itemsFile, m_copies[1], fileNames->itemsPath,
         u"Failed to create items output file\nMake sure it is not in use in other applications",
         u"Failed to write items output file\nMake sure there is enough free space on the disk"},
        {participantsFile, m_copies[2], fileNames->participantsPath,
         u"Failed to create participants output file\nMake sure it is not in use in other applications",
         u"Failed to write participants output file\nMake sure there is enough free space on the disk"},
        {matrixFile, m_copies[3], fileNames->matrixPath,
         u"Failed to create matrix output file\nMake sure it is not in use in other applications",
         u"Failed to write matrix output file\nMake sure there is enough free space on the disk"},
        {weightedMatrixFile, m_copies[4], fileNames->weightedMatrixPath,
         u"Failed to create weighted matrix output file\nMake sure it is not in use in other applications",
         u"Failed to write weighted matrix output file\nMake sure there is enough free space on the disk"},
    }};
}

bool CardSortAnalysis::commitFiles()
{
    dropRecords();
    inputFile.Close();
    if (hasSink())
        return true;
    const std::array<Output, 5> files = outputs();
    // Every file must be complete before the first replaces its old version: the five and
    // their copies belong together, and a half-replaced set would mix two runs.
    for (const Output &output : files) {
        if (!output.file.Flush() || (m_utf8CsvCopies && !output.copy.flush())) {
            platform().fileFailure(QString::fromUtf16(output.writeFailure));
            closeFiles();
            return false;
        }
    }
    for (const Output &output : files) {
        if (!output.file.Commit() || (m_utf8CsvCopies && !output.copy.commit())) {
            platform().fileFailure(QString::fromUtf16(output.writeFailure));
            closeFiles();
            return false;
        }
    }
    return true;
}

} // namespace sortana
