#pragma once

#include "analysis/StudyRecords.h"
#include "study/StudySorts.h"

#include <QStringList>

#include <vector>

namespace sortana {

// A study said again as records from its kept sorts: the item names, then every
// participant's groups and cards, with the sub-group lines where the cards' sub-group
// numbers step on, and the fit each card was read with. Read with the options the sorts were
// read with, they give what the records they were read from gave.
class SortsRecords final : public RecordSource {
public:
    // Both must outlive the records.
    SortsRecords(const QStringList &itemNames, const StudySorts &sorts);

    bool next(StudyRecord &record) override;
    void rewind() override { m_at = 0; }
    int position() const override { return int(m_at); }
    bool failed() const override { return false; }
    void reportFailure(Platform &) const override {}

    // How many records a participant's sort gives, and how many of them are sub-group lines.
    static qint64 recordCount(const ParticipantSort &sort);
    static qint64 subGroupLineCount(const ParticipantSort &sort);
    // Whether a group of the sort came from a group line: all but the group of cards read
    // before the participant's first group line, which has no name.
    static bool hasGroupLine(const ParticipantSort &sort, size_t group)
    {
        return group > 0 || !sort.groups[group].name.isEmpty() || sort.groups[group].idOnly;
    }

private:
    struct Entry {
        RecordKind kind;
        const QString *text; // a name or id; null for a placement
        SortedCard card;
        bool idOnly;
    };
    static void addSort(std::vector<Entry> &entries, const ParticipantSort &sort);

    std::vector<Entry> m_entries;
    size_t m_at = 0;
    QString m_value;
};

} // namespace sortana
