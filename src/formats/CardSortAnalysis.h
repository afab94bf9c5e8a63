#pragma once

#include "analysis/CardSortEngine.h"
#include "formats/TableStudy.h"
#include "formats/TextFile.h"
#include "formats/Utf8CsvCopy.h"

#include <QString>

#include <array>
#include <optional>

namespace sortana {

// The five analysis paths of an input file: beside it, named after it as it is stored.
AnalysisFileNames analysisFileNames(const QString &inputPath);

// The import engine on files: surveys the raw data file or table, reads it, and writes the
// five analysis files (and their UTF-8 copies) as one set.
class CardSortAnalysis final : public CardSortEngine {
public:
    CardSortAnalysis(AnalysisFileNames &fileNames, StudySummary &summary, Platform &platform);
    ~CardSortAnalysis() override;

    // The input is a table from another card-sort tool, read as the options say; without
    // options it is a raw data file.
    void setTableInput(std::optional<TableOptions> options) { m_tableOptions = std::move(options); }
    const std::optional<TableOptions> &tableInput() const { return m_tableOptions; }
    // How a workbook is read; without a loader a workbook is refused.
    void setWorkbookLoader(WorkbookLoader loader) { m_workbooks = loader; }
    // Whether the analysis files also get their spreadsheet copies (Utf8CsvCopy), written
    // and put in place with them as one set. Off by default.
    void setUtf8CsvCopies(bool on) { m_utf8CsvCopies = on; }
    bool utf8CsvCopies() const { return m_utf8CsvCopies; }
    // After a refused survey: whether the table lacked a column it needs (a usage error).
    bool columnsRefused() const { return m_columnsRefused; }
    // After a survey or read of a table: how its columns were read.
    const TableReading &tableReading() const { return m_tableReading; }

    // Survey and naming: the counts and features of the file named by the summary's
    // fileName, and the five analysis paths derived from an input path.
    bool surveyInputFile();
    void setInputFileName(const QString &path);

    // Closes every file; analysis files not yet committed are thrown away, so whatever an
    // earlier run left under their names stays as it was.
    void closeFiles() override;
    // Closes the input and puts the five finished analysis files (and their copies) in
    // place. False, after telling the user, when any of them could not be written
    // completely: then none of them replaces its old version (barring a failed rename halfway).
    bool commitFiles() override;

    AnalysisFileNames *fileNames;

    TextFile inputFile;
    TextFile cardsFile;
    TextFile itemsFile;
    TextFile participantsFile;
    TextFile matrixFile;
    TextFile weightedMatrixFile;

protected:
    std::unique_ptr<RecordSource> openInput() override;
    bool openOutputs() override;
    AnalysisSink &ownOutputs() override { return m_files; }

private:
    // The five analysis files as a sink.
    class OutputFiles final : public AnalysisSink {
    public:
        explicit OutputFiles(CardSortAnalysis &analysis);
        void write(AnalysisFile file, const AnalysisRow &row) override;

    private:
        std::array<TextFile *, analysisFileCount> m_files;
    };

    struct Output {
        TextFile &file;
        Utf8CsvCopy &copy;
        const QString &path;
        const char16_t *createFailure;
        const char16_t *writeFailure;
    };
    std::array<Output, 5> outputs();

    bool loadTable(const QString &path, TableRecords &records);

    std::optional<TableOptions> m_tableOptions;
    WorkbookLoader m_workbooks = nullptr;
    bool m_utf8CsvCopies = false;
    std::array<Utf8CsvCopy, 5> m_copies;
    OutputFiles m_files{*this};
    bool m_columnsRefused = false;
    TableReading m_tableReading;
};

} // namespace sortana
