#pragma once

#include "analysis/AnalysisRow.h"
#include "analysis/AnalysisSink.h"
#include "analysis/CardSortRecords.h"
#include "analysis/StudyRecords.h"
#include "study/PairMatrix.h"
#include "study/StudySorts.h"
#include "study/StudySummary.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

namespace sortana {

class Platform;

namespace messages {
inline constexpr char16_t tooManyItems[] =
    u"Error - too many items for analysis (%d)\nAt most 32767 items can be analysed";
} // namespace messages

// The import engine of one card-sort study: reads the study's records into pair matrices,
// totals and every participant's sort, and hands the rows of the five outputs to a sink.
// Where the records come from and where the rows go is the business of its subclass or its
// caller: it knows no file.
class CardSortEngine {
public:
    enum class ReadState { Start, ItemName, Participant, Group, SubGroup, Item };

    CardSortEngine(StudySummary &summary, Platform &platform);
    virtual ~CardSortEngine();
    CardSortEngine(const CardSortEngine &) = delete;
    CardSortEngine &operator=(const CardSortEngine &) = delete;

    // The study is read from the records this makes instead of from the input. Their data
    // warnings were answered when the study was first read: they are answered OK without
    // being shown again.
    void setRecordSource(std::function<std::unique_ptr<RecordSource>()> source) { m_recordSource = std::move(source); }
    // The outputs go to this sink instead of the outputs' own (the analysis files of the
    // subclass), which are then neither created nor committed; null goes back to them.
    void setSink(AnalysisSink *sink) { m_sink = sink; }
    bool hasSink() const { return m_sink != nullptr; }
    // Where the five outputs go.
    AnalysisSink &sink() { return m_sink ? *m_sink : ownOutputs(); }

    // -1 when the input or the outputs could not be opened, 0 after an error or a cancelled
    // warning (outputs closed), otherwise the item count (at least 2, outputs left open).
    int Read();
    // Closes the input and the outputs; outputs not yet committed are thrown away.
    virtual void closeFiles();
    // Closes the input and puts the finished outputs in place. False, after telling the
    // user, when any of them could not be written completely.
    virtual bool commitFiles();

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

    StudySummary *summary;

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

protected:
    // The records of the input when no record source was set: null, after telling the user,
    // when the input cannot be opened.
    virtual std::unique_ptr<RecordSource> openInput() = 0;
    // Makes the outputs' own sink ready for a read; false, after telling the user, when it
    // cannot be.
    virtual bool openOutputs() { return true; }
    // The outputs' own sink, used when no other was set.
    virtual AnalysisSink &ownOutputs() = 0;
    // Counts the records of a study into the summary, as a survey does before the options
    // are chosen. False, after telling the user, when they cannot be a study.
    bool surveyRecords(RecordSource &records);
    // Lets go of the records.
    void dropRecords() { m_records.reset(); }

private:
    // What a line handler tells the read loop: go on, or stop (a message has been shown).
    enum class Step { Go, Stop };

    bool beginRead();
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
    int itemCount() const { return summary->itemCount; }

    Platform &m_platform;
    std::function<std::unique_ptr<RecordSource>()> m_recordSource;
    AnalysisSink *m_sink = nullptr;
    std::unique_ptr<RecordSource> m_records;
    // The cards output's rows, in one reused buffer.
    AnalysisRow m_cardsRow;
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
