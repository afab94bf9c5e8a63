#pragma once

#include "formats/RecordSource.h"
#include "formats/TextFile.h"
#include "study/StudySummary.h"

#include <QString>
#include <QStringList>
#include <QStringView>

namespace sortana {

// The pieces of one line of a raw card-sort data file. Shared by the reader, the survey
// and the second pass over the file, so all three read a line the same way.

// The records of a raw data file, one a line: the first letter is the kind, blank lines
// are skipped, and positions are line numbers.
class RawTextRecords final : public RecordSource {
public:
    explicit RawTextRecords(TextFile &file) : m_file(file) {}

    bool next(StudyRecord &record) override;
    void rewind() override;
    int position() const override { return m_lineNumber; }
    bool failed() const override { return m_failure != Failure::None; }
    void reportFailure(Platform &platform) const override;

private:
    enum class Failure { None, TooManyLines, LineTooLong, ReadError };
    TextFile &m_file;
    QString m_line;
    int m_lineNumber = 0;
    Failure m_failure = Failure::None;
};

// Removes trailing white space as the wide-character classification knows it.
void trimTrailingWhiteSpace(QString &line);

RecordKind recordKind(QChar first);

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
