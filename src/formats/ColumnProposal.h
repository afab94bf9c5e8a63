#pragma once

#include "formats/Table.h"

#include <optional>

namespace sortana {

// The columns of a long table that nothing names, told from what the cells hold: 0-based,
// -1 for a card id the table does not have.
struct ProposedColumns {
    int participant = -1;
    int cardId = -1;
    int card = -1;
    int category = -1;
    bool operator==(const ProposedColumns &) const = default;
};

// Reads the rows from `firstRow` on. The participant is the leftmost column whose values come
// in one run each; the cards are two columns that match one to one (the one of whole numbers
// the id) or else the column that varies most within the participants; the category is the
// leftmost other column that takes two values or more for at least half the participants,
// so answers a participant gives once (questionnaire columns) never are. Nullopt when the
// cells do not tell.
std::optional<ProposedColumns> proposeColumns(const Table &table, int firstRow);

} // namespace sortana
