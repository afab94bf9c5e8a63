#pragma once

#include "analysis/Categories.h"
#include "study/Standardisation.h"

#include <cstddef>
#include <vector>

namespace sortana {

// Categories that are likely one, told apart only by accents (or other non-spacing marks),
// offered to be merged under one standard.
struct SuggestedMerge {
    QString standard; // the shown name of the member with the most groups
    std::vector<std::size_t> members; // indexes into the table's categories, ascending
};

// Every set of two or more categories with equal suggestion keys, in the category order of
// their first members. Of members with the most groups, the first in the category order
// gives the standard.
std::vector<SuggestedMerge> suggestMerges(const CategoryTable &table);

// One row per member category: its shown name and its set's standard.
std::vector<StandardEntry> suggestionRows(const CategoryTable &table, const std::vector<SuggestedMerge> &suggestions);

} // namespace sortana
