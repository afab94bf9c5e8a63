#include "import/SortsRecords.h"

namespace sortana {

SortsRecords::SortsRecords(const QStringList &itemNames, const StudySorts &sorts)
{
    for (const QString &name : itemNames)
        m_entries.push_back({RecordKind::Item, &name, {}, false});
    for (const ParticipantSort &sort : sorts.participants)
        addSort(m_entries, sort);
}

void SortsRecords::addSort(std::vector<Entry> &entries, const ParticipantSort &sort)
{
    entries.push_back({RecordKind::Participant, &sort.id, {}, false});
    // The reader numbers sub-groups on from 0 at each participant, one step for every group
    // line and every sub-group line.
    qint32 subGroup = 0;
    for (size_t g = 0; g < sort.groups.size(); ++g) {
        const SortGroup &group = sort.groups[g];
        if (hasGroupLine(sort, g)) {
            entries.push_back({RecordKind::Group, &group.name, {}, group.idOnly});
            ++subGroup;
        }
        for (const SortedCard &card : group.cards) {
            for (; subGroup < card.subGroup; ++subGroup)
                entries.push_back({RecordKind::SubGroup, nullptr, {}, false});
            entries.push_back({RecordKind::Item, nullptr, card, false});
        }
    }
    // Item 0 places nothing, wherever it stands.
    for (qint32 line = 0; line < sort.unplacedLines; ++line)
        entries.push_back({RecordKind::Item, nullptr, {-1, 0, 0}, false});
}

int SortsRecords::recordCount(const ParticipantSort &sort)
{
    std::vector<Entry> entries;
    addSort(entries, sort);
    return int(entries.size());
}

bool SortsRecords::next(StudyRecord &record)
{
    if (m_at >= m_entries.size())
        return false;
    const Entry &entry = m_entries[m_at++];
    if (entry.text)
        m_value = *entry.text;
    else if (entry.kind == RecordKind::Item)
        m_value = QStringLiteral("%1f%2").arg(entry.card.item + 1).arg(entry.card.fit);
    else
        m_value.clear();
    record.kind = entry.kind;
    record.value = m_value;
    record.position = int(m_at);
    record.literalName = entry.kind == RecordKind::Group;
    record.idOnly = entry.idOnly;
    return true;
}

} // namespace sortana
