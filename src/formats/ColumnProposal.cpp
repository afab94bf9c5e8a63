#include "formats/ColumnProposal.h"

#include <QHash>

#include <algorithm>
#include <vector>

namespace sortana {

namespace {

constexpr int none = -1;

// One column with its values numbered in the order they first appear: large tables are read
// as numbers, each text hashed once.
struct Column {
    std::vector<int> value; // per row, none for an empty cell
    int distinct = 0;
    bool wholeNumbers = false; // every value it has is a whole number
};

Column numbered(const Table &table, const std::vector<std::size_t> &rows, int column)
{
    Column result;
    result.value.reserve(rows.size());
    QHash<QString, int> numberOf;
    bool allWhole = true;
    for (const std::size_t r : rows) {
        const QStringList &cells = table.rows[r];
        if (column >= cells.size() || cells[column].isEmpty()) {
            result.value.push_back(none);
            continue;
        }
        const QString &text = cells[column];
        auto found = numberOf.constFind(text);
        if (found == numberOf.cend()) {
            found = numberOf.insert(text, result.distinct++);
            if (allWhole) {
                bool number = false;
                text.toLongLong(&number);
                allWhole = number;
            }
        }
        result.value.push_back(*found);
    }
    result.wholeNumbers = result.distinct > 0 && allWhole;
    return result;
}

// Every value in one run of rows, and at least one value.
bool formsBlocks(const Column &column)
{
    std::vector<bool> ended(std::size_t(column.distinct), false);
    int current = none;
    for (const int value : column.value) {
        if (value == none || value == current)
            continue;
        if (current != none)
            ended[std::size_t(current)] = true;
        if (ended[std::size_t(value)])
            return false;
        current = value;
    }
    return current != none;
}

// What a column holds, seen participant by participant.
struct Traits {
    int varyingParticipants = 0; // participants with two values or more in it
    qint64 distinctValues = 0; // its values counted once per participant, summed
};

Traits traitsOf(const Column &column, const Column &participant)
{
    Traits traits;
    // Per value, the last participant it was seen with (participants come in blocks of rows,
    // so that tells whether this one has it already); per participant, its values so far.
    std::vector<int> seenWith(std::size_t(column.distinct), none);
    std::vector<int> valuesOf(std::size_t(participant.distinct), 0);
    for (std::size_t r = 0; r < column.value.size(); ++r) {
        const int value = column.value[r];
        const int who = participant.value[r];
        if (value == none || who == none || seenWith[std::size_t(value)] == who)
            continue;
        seenWith[std::size_t(value)] = who;
        if (++valuesOf[std::size_t(who)] == 2)
            ++traits.varyingParticipants;
        ++traits.distinctValues;
    }
    return traits;
}

// Each value of one column goes with one value of the other, both ways, where both have one.
bool matchOneToOne(const Column &first, const Column &second)
{
    std::vector<int> forward(std::size_t(first.distinct), none);
    std::vector<int> backward(std::size_t(second.distinct), none);
    for (std::size_t r = 0; r < first.value.size(); ++r) {
        const int a = first.value[r];
        const int b = second.value[r];
        if (a == none || b == none)
            continue;
        int &toB = forward[std::size_t(a)];
        int &toA = backward[std::size_t(b)];
        if ((toB != none && toB != b) || (toA != none && toA != a))
            return false;
        toB = b;
        toA = a;
    }
    return true;
}

} // namespace

std::optional<ProposedColumns> proposeColumns(const Table &table, int firstRow)
{
    std::vector<std::size_t> rows;
    int width = 0;
    for (std::size_t r = std::size_t(std::max(firstRow, 0)); r < table.rows.size(); ++r) {
        if (!isBlankRow(table.rows[r])) {
            rows.push_back(r);
            width = std::max(width, int(table.rows[r].size()));
        }
    }
    std::vector<Column> columns;
    columns.reserve(std::size_t(width));
    for (int c = 0; c < width; ++c)
        columns.push_back(numbered(table, rows, c));

    ProposedColumns proposed;
    for (int c = 0; c < width && proposed.participant < 0; ++c) {
        if (formsBlocks(columns[std::size_t(c)]))
            proposed.participant = c;
    }
    if (proposed.participant < 0)
        return std::nullopt;

    const Column &participant = columns[std::size_t(proposed.participant)];
    std::vector<Traits> traits(static_cast<std::size_t>(width));
    std::vector<int> varying; // the columns that can hold cards
    for (int c = 0; c < width; ++c) {
        if (c == proposed.participant)
            continue;
        traits[std::size_t(c)] = traitsOf(columns[std::size_t(c)], participant);
        if (traits[std::size_t(c)].varyingParticipants > 0)
            varying.push_back(c);
    }

    std::vector<int> taken = {proposed.participant};
    for (std::size_t i = 0; i < varying.size() && proposed.card < 0; ++i) {
        for (std::size_t j = i + 1; j < varying.size() && proposed.card < 0; ++j) {
            const int first = varying[i];
            const int second = varying[j];
            if (!matchOneToOne(columns[std::size_t(first)], columns[std::size_t(second)]))
                continue;
            // Two names of one card: the numbers are its id; two texts, the first names it.
            const bool secondIsId =
                columns[std::size_t(second)].wholeNumbers && !columns[std::size_t(first)].wholeNumbers;
            const bool firstIsId = columns[std::size_t(first)].wholeNumbers && !secondIsId;
            proposed.cardId = firstIsId ? first : secondIsId ? second : -1;
            proposed.card = secondIsId ? first : firstIsId ? second : first;
            taken.insert(taken.end(), {first, second});
        }
    }
    if (proposed.card < 0) {
        // A participant places many cards into few categories: the cards vary the most.
        for (const int c : varying) {
            if (proposed.card < 0
                || traits[std::size_t(c)].distinctValues > traits[std::size_t(proposed.card)].distinctValues)
                proposed.card = c;
        }
        if (proposed.card < 0)
            return std::nullopt;
        taken.push_back(proposed.card);
    }

    for (const int c : varying) {
        if (std::find(taken.cbegin(), taken.cend(), c) == taken.cend()
            && 2 * traits[std::size_t(c)].varyingParticipants >= participant.distinct) {
            proposed.category = c;
            break;
        }
    }
    if (proposed.category < 0)
        return std::nullopt;
    return proposed;
}

} // namespace sortana
