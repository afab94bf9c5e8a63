#pragma once

#include "formats/AnalysisSink.h"
#include "formats/CardSortRecords.h"
#include "formats/RecordSource.h"
#include "formats/TableStudy.h"
#include "formats/TextFile.h"
#include "formats/Utf8CsvCopy.h"
#include "study/PairMatrix.h"
#include "study/StudySorts.h"
#include "study/StudySummary.h"

#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>
#include <vector>

namespace sortana {

class Platform;

// The five analysis paths of an input file: beside it, named after it as it is stored.
AnalysisFileNames analysisFileNames(const QString &inputPath);

// The import engine of one card-sort study: surveys the raw data file, reads it into pair
// matrices and totals, and holds the open analysis files until the export run.
class CardSortAnalysis {
public:
    enum class ReadState { Start, ItemName, Participant, Group, SubGroup, Item };

    CardSortAnalysis(AnalysisFileNames &fileNames, StudySummary &summary, Platform &platform);
    ~CardSortAnalysis();
    CardSortAnalysis(const CardSortAnalysis &) = delete;
    CardSortAnalysis &operator=(const CardSortAnalysis &) = delete;

    // The input is a table from another card-sort tool, read as the options say; without
    // options it is a raw data file.
    void setTableInput(std::optional<TableOptions> options) { m_tableOptions = std::move(options); }
    const std::optional<TableOptions> &tableInput() const { return m_tableOptions; }
    // The study is read from the records this makes instead of from the input file. Their
    // data warnings were answered when the study was first read: they are answered OK
    // without being shown again.
    void setRecordSource(std::function<std::unique_ptr<RecordSource>()> source) { m_recordSource = std::move(source); }
    // Whether the analysis files also get their spreadsheet copies (Utf8CsvCopy), written
    // and put in place with them as one set. Off by default.
    void setUtf8CsvCopies(bool on) { m_utf8CsvCopies = on; }
    bool utf8CsvCopies() const { return m_utf8CsvCopies; }
    // The outputs go to this sink instead of the analysis files, which are then neither
    // created nor committed; null goes back to the files.
    void setSink(AnalysisSink *sink) { m_sink = sink; }
    bool hasSink() const { return m_sink != nullptr; }
    // Where the five outputs go: the analysis files unless another sink was given.
    AnalysisSink &sink() { return m_sink ? *m_sink : m_files; }
    // After a refused survey: whether the table lacked a column it needs (a usage error).
    bool columnsRefused() const { return m_columnsRefused; }
    // After a survey or read of a table: how its columns were read.
    const TableReading &tableReading() const { return m_tableReading; }

    // Survey and naming: the counts and features of the file named by the summary's
    // fileName, and the five analysis paths derived from an input path.
    bool surveyInputFile();
    void setInputFileName(const QString &path);

    // -1 when a file could not be opened or created, 0 after an error or a cancelled
    // warning (files closed), otherwise the item count (at least 2, files left open).
    int Read();
    // Closes every file; analysis files not yet committed are thrown away, so whatever an
    // earlier run left under their names stays as it was.
    void closeFiles();
    // Closes the input and puts the five finished analysis files (and their copies) in
    // place. False, after telling the user, when any of them could not be written
    // completely: then none of them replaces its old version (barring a failed rename halfway).
    bool commitFiles();

    // What the last read saw of the participants that count (the expert apart): how many
    // there were, whether one of them put two cards into one group, and whether a card was
    // sorted by two of them. A study without these cannot be a card sort.
    int countedParticipants() const;
    bool cardsSortedTogether() const { return m_cardsSortedTogether; }
    bool cardSortedByTwo() const { return m_cardSortedByTwo; }

    // Per item: fitSum over the counted card sets.
    std::vector<double> itemMeanScores() const;

    // Where the engine's messages go; the export run reports through it too.
    Platform &platform() const { return m_platform; }

    // Hands the item names to the caller (the document keeps them).
    QStringList takeItemNames() { return std::move(itemNames); }

    // The records of the input while a read and its export run: the same bytes for both.
    RecordSource &records() { return *m_records; }

    AnalysisFileNames *fileNames;
    StudySummary *summary;

    TextFile inputFile;
    TextFile cardsFile;
    TextFile itemsFile;
    TextFile participantsFile;
    TextFile matrixFile;
    TextFile weightedMatrixFile;

    ReadState readState = ReadState::Start;
    bool isExpert = false;
    bool participantSeen = false;
    int fitTotal = 0;
    int groupCounter = 0;
    int itemLineCount = 0;
    int pairCount = 0;
    int subGroupCounter = 0;
    int participantCounter = 0;
    QString participantId;
    std::vector<ParticipantRecord> participants;
    // Every participant's sort as read, for the analyses of the groups and their names.
    StudySorts sorts;
    PairMatrix pairMatrix;
    PairMatrix expertMatrix;
    QStringList groupNames;
    QStringList itemNames;
    std::vector<GroupEntry> currentGroup;
    // Empty until a read has seen the first participant.
    std::vector<ItemPlacement> itemPlacements;
    std::vector<double> itemAlignmentSums;
    std::vector<double> itemExpertAlignmentSums;

private:
    // What a line handler tells the read loop: go on, or stop (a message has been shown).
    enum class Step { Go, Stop };

    // The five analysis files as a sink.
    class OutputFiles final : public AnalysisSink {
    public:
        explicit OutputFiles(CardSortAnalysis &analysis);
        void write(AnalysisFile file, QStringView text) override;

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

    bool beginRead();
    bool openInput();
    bool surveyRecords(RecordSource &records);
    bool loadTable(const QString &path, TableRecords &records);
    void closeGroup();
    void keepSortedCard(const SortedCard &card);
    // Gives the sub-group lines that no card followed to the group they closed.
    void keepSubGroupLinesWithoutCards();
    void endParticipant();

    Step handleParticipant(QStringView value);
    Step handleGroup(const StudyRecord &record);
    Step handleSubGroup();
    Step handleItem(QStringView value);
    Step addPairs(int item, int weight);
    void noteSorted(int item);
    bool allocateStudyTables(const QString &firstId);

    int readRecords();
    bool warn(QStringView format);
    // A data warning, or none once the user answered one with Ignore All: true to go on.
    bool dataWarning(const QString &text);
    void errorAtLine(QStringView format);
    void writeCards(QStringView prefix, QStringView text, QStringView suffix);
    int itemCount() const { return summary->itemCount; }

    Platform &m_platform;
    std::optional<TableOptions> m_tableOptions;
    std::function<std::unique_ptr<RecordSource>()> m_recordSource;
    bool m_utf8CsvCopies = false;
    std::array<Utf8CsvCopy, 5> m_copies;
    OutputFiles m_files{*this};
    AnalysisSink *m_sink = nullptr;
    bool m_columnsRefused = false;
    TableReading m_tableReading;
    std::unique_ptr<RecordSource> m_records;
    int m_lineNumber = 0;
    bool m_ignoringWarnings = false;
    int m_unshownWarnings = 0;
    bool m_cardsSortedTogether = false;
    bool m_cardSortedByTwo = false;
    // Sub-group lines of the participant since the last card placed.
    int m_subGroupLinesSinceCard = 0;
    // Per item, 1 + the index of the first counted participant that sorted it, 0 for none.
    std::vector<int> m_firstSorter;
};

} // namespace sortana
