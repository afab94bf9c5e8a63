#pragma once

#include "study/StudySummary.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

namespace sortana {

class Platform;

// Invalid: a record the input could not make sense of, which the reader reports as invalid
// data (a table row without a participant or a card).
enum class RecordKind { Item, Group, Participant, SubGroup, Other, Invalid };

// One record of a study as every pass over it sees it: what kind it is, the text after the
// kind, and where it stands in its input (a line, or a row of a table), for messages.
struct StudyRecord {
    RecordKind kind = RecordKind::Other;
    QStringView value; // valid until the next record is read
    int position = 0;
    // A group's value is its name as it stands, never a number of a declared group.
    bool literalName = false;
    // A group given no name, called by its id (a table's category id without a label).
    bool idOnly = false;
    // An invalid table row for want of a participant id, which its warning names.
    bool withoutParticipant = false;
};

// Where the passes over a study (the survey, the reader and the participants pass) take
// their records from. They know nothing else of the input, so any format that can say its
// study as these records feeds the same analysis.
class RecordSource {
public:
    virtual ~RecordSource() = default;

    // The next record that is not blank. False at the end, and when the input cannot be read
    // on: failed() tells the two apart.
    virtual bool next(StudyRecord &record) = 0;
    // Back to before the first record.
    virtual void rewind() = 0;
    // How many lines or rows were looked at so far, the last one included.
    virtual int position() const = 0;
    virtual bool failed() const = 0;
    // Tells the user why the input could not be read on.
    virtual void reportFailure(Platform &platform) const = 0;
    // A data warning about the input as a whole, shown before the read begins.
    virtual std::optional<QString> warningBeforeRead() const { return std::nullopt; }
};

// What the values of records mean, read the same way by every pass over a study.

// "P" followed by the value when it starts with a digit, otherwise the value itself.
QString participantIdFrom(QStringView value);

// The name a group line gives its group, given the names declared before the first participant.
QString groupNameFrom(QStringView value, const QStringList &declaredNames);

struct Placement {
    int item = 0; // 0 when the value starts with no digit
    bool fitGiven = false;
    int fit = 0;
    bool numbersFit = true; // false when a digit run does not fit in 32 bits

    // 1 without quality of fit; with it the score given, or the best when none was.
    int weight(bool useFit) const { return useFit ? (fitGiven ? fit : maxFit) : 1; }
    bool isValid(int itemCount, bool useFit) const
    {
        return numbersFit && item >= 1 && item <= itemCount && weight(useFit) >= 1;
    }
};

// "5f2" places item 5 with fit 2: the leading digits, one separator character, then digits.
Placement parsePlacement(QStringView value);

} // namespace sortana
