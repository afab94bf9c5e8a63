#pragma once

#include "analysis/StudyRecords.h"
#include "formats/TextFile.h"

#include <QString>
#include <QStringView>

namespace sortana {

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

} // namespace sortana
