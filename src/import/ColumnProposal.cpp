#include "import/ColumnProposal.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <vector>

namespace sortana {

namespace {

// What a column holds, seen participant by participant.
struct ColumnTraits {
    int varyingParticipants = 0;   // participants with two values or more in it
    qsizetype distinctValues = 0;  // its values counted once per participant, summed
    bool wholeNumbers = false;     // every value it has is a whole number
};

// Notes that `key` goes with `value`; false when it went with another.
bool pairsWith(QHash<QString, QString> &pairs, const QString &key, const QString &value)
{
    const auto found = pairs.constFind(key);
    if (found == pairs.cend()) {
        pairs.insert(key, value);
        return true;
    }
    return *found == value;
}

class TableColumns {
public:
    TableColumns(const Table &table, int firstRow) : m_table(table)
    {
        for (std::size_t r = std::size_t(std::max(firstRow, 0)); r < table.rows.size(); ++r) {
            if (!isBlankRow(table.rows[r]))
                m_rows.push_back(r);
        }
        for (const std::size_t r : m_rows)
            m_width = std::max(m_width, int(table.rows[r].size()));
    }

    int width() const { return m_width; }
    QString cell(std::size_t row, int column) const { return m_table.rows[row].value(column); }

    // Every value in one run of rows, and at least one value.
    bool formsBlocks(int column) const
    {
        QSet<QString> ended;
        QString current;
        for (const std::size_t r : m_rows) {
            const QString value = cell(r, column);
            if (value.isEmpty() || value == current)
                continue;
            if (!current.isEmpty())
                ended.insert(current);
            if (ended.contains(value))
                return false;
            current = value;
        }
        return !current.isEmpty();
    }

    // The rows of each participant of the column, in the order they first appear.
    std::vector<std::vector<std::size_t>> participants(int column) const
    {
        std::vector<std::vector<std::size_t>> rowsOf;
        QHash<QString, std::size_t> indexOf;
        for (const std::size_t r : m_rows) {
            const QString id = cell(r, column);
            if (id.isEmpty())
                continue;
            const auto found = indexOf.constFind(id);
            if (found == indexOf.cend()) {
                indexOf.insert(id, rowsOf.size());
                rowsOf.push_back({r});
            } else {
                rowsOf[*found].push_back(r);
            }
        }
        return rowsOf;
    }

    ColumnTraits traits(int column, const std::vector<std::vector<std::size_t>> &participants) const
    {
        ColumnTraits traits;
        bool anyValue = false;
        bool allWhole = true;
        for (const auto &rows : participants) {
            QSet<QString> values;
            for (const std::size_t r : rows) {
                const QString value = cell(r, column);
                if (value.isEmpty())
                    continue;
                anyValue = true;
                if (allWhole) {
                    bool number = false;
                    value.toLongLong(&number);
                    allWhole = number;
                }
                values.insert(value);
            }
            traits.distinctValues += values.size();
            if (values.size() >= 2)
                ++traits.varyingParticipants;
        }
        traits.wholeNumbers = anyValue && allWhole;
        return traits;
    }

    // Each value of one column goes with one value of the other, both ways, where both have one.
    bool matchOneToOne(int first, int second) const
    {
        QHash<QString, QString> forward;
        QHash<QString, QString> backward;
        for (const std::size_t r : m_rows) {
            const QString a = cell(r, first);
            const QString b = cell(r, second);
            if (a.isEmpty() || b.isEmpty())
                continue;
            if (!pairsWith(forward, a, b) || !pairsWith(backward, b, a))
                return false;
        }
        return true;
    }

private:
    const Table &m_table;
    std::vector<std::size_t> m_rows;
    int m_width = 0;
};

} // namespace

std::optional<ProposedColumns> proposeColumns(const Table &table, int firstRow)
{
    const TableColumns columns(table, firstRow);
    ProposedColumns proposed;
    for (int c = 0; c < columns.width() && proposed.participant < 0; ++c) {
        if (columns.formsBlocks(c))
            proposed.participant = c;
    }
    if (proposed.participant < 0)
        return std::nullopt;

    const auto participants = columns.participants(proposed.participant);
    std::vector<ColumnTraits> traits(std::size_t(columns.width()));
    std::vector<int> varying;   // the columns that can hold cards
    for (int c = 0; c < columns.width(); ++c) {
        if (c == proposed.participant)
            continue;
        traits[std::size_t(c)] = columns.traits(c, participants);
        if (traits[std::size_t(c)].varyingParticipants > 0)
            varying.push_back(c);
    }

    std::vector<int> taken = {proposed.participant};
    for (std::size_t i = 0; i < varying.size() && proposed.card < 0; ++i) {
        for (std::size_t j = i + 1; j < varying.size() && proposed.card < 0; ++j) {
            const int first = varying[i];
            const int second = varying[j];
            if (!columns.matchOneToOne(first, second))
                continue;
            // Two names of one card: the numbers are its id; two texts, the first names it.
            const bool secondIsId = traits[std::size_t(second)].wholeNumbers && !traits[std::size_t(first)].wholeNumbers;
            const bool firstIsId = traits[std::size_t(first)].wholeNumbers && !secondIsId;
            proposed.cardId = firstIsId ? first : secondIsId ? second : -1;
            proposed.card = secondIsId ? first : firstIsId ? second : first;
            taken.insert(taken.end(), {first, second});
        }
    }
    if (proposed.card < 0) {
        // A participant places many cards into few categories: the cards vary the most.
        for (const int c : varying) {
            if (proposed.card < 0 || traits[std::size_t(c)].distinctValues > traits[std::size_t(proposed.card)].distinctValues)
                proposed.card = c;
        }
        if (proposed.card < 0)
            return std::nullopt;
        taken.push_back(proposed.card);
    }

    const auto participantCount = qsizetype(participants.size());
    for (const int c : varying) {
        if (std::find(taken.cbegin(), taken.cend(), c) == taken.cend()
            && 2 * qsizetype(traits[std::size_t(c)].varyingParticipants) >= participantCount) {
            proposed.category = c;
            break;
        }
    }
    if (proposed.category < 0)
        return std::nullopt;
    return proposed;
}

} // namespace sortana
