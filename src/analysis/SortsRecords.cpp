#include "analysis/SortsRecords.h"

#include <algorithm>

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
    const auto subGroupLines = [&](qint32 lines) {
        for (qint32 line = 0; line < lines; ++line, ++subGroup)
            entries.push_back({RecordKind::SubGroup, nullptr, {}, false});
    };
    subGroupLines(sort.openingSubGroupLines);
    for (size_t g = 0; g < sort.groups.size(); ++g) {
        const SortGroup &group = sort.groups[g];
        if (hasGroupLine(sort, g)) {
            entries.push_back({RecordKind::Group, &group.name, {}, group.idOnly});
            ++subGroup;
        }
        for (const SortedCard &card : group.cards) {
            subGroupLines(card.subGroup - subGroup);
            entries.push_back({RecordKind::Item, nullptr, card, false});
        }
        subGroupLines(group.closingSubGroupLines);
    }
    // Item 0 places nothing, wherever it stands.
    for (qint32 line = 0; line < sort.unplacedLines; ++line)
        entries.push_back({RecordKind::Item, nullptr, {-1, 0, 0}, false});
}

qint64 SortsRecords::subGroupLineCount(const ParticipantSort &sort)
{
    // As addSort numbers them, without making the records.
    qint64 lines = sort.openingSubGroupLines;
    qint64 subGroup = lines;
    for (size_t g = 0; g < sort.groups.size(); ++g) {
        const SortGroup &group = sort.groups[g];
        subGroup += hasGroupLine(sort, g) ? 1 : 0;
        for (const SortedCard &card : group.cards) {
            const qint64 step = std::max<qint64>(0, card.subGroup - subGroup);
            lines += step;
            subGroup += step;
        }
        lines += group.closingSubGroupLines;
        subGroup += group.closingSubGroupLines;
    }
    return lines;
}

qint64 SortsRecords::recordCount(const ParticipantSort &sort)
{
    qint64 records = 1 + sort.unplacedLines + subGroupLineCount(sort);
    for (size_t g = 0; g < sort.groups.size(); ++g)
        records += (hasGroupLine(sort, g) ? 1 : 0) + qint64(sort.groups[g].cards.size());
    return records;
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
