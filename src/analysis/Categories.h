#pragma once

#include "study/Standardisation.h"
#include "study/StudySorts.h"

#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

namespace sortana {

// A spelling of a category's name as participants wrote it, and in how many groups.
struct Spelling {
    QString text;
    int groups = 0;
};

// What the counted participants called their groups: one category per key of a group name
// (or of the standard name it counts under). Groups without a name or without a card belong
// to none.
struct Category {
    QString name; // the standard name, or the most frequent spelling
    int participants = 0; // counted participants with a group in it
    int groups = 0;
    int cards = 0; // distinct cards placed in its groups
    double agreement = 0.0; // percent, 0 to 100
    std::vector<Spelling> spellings; // in the order first met
    // P(x, c): per card placed in it (item index, ascending), the counted participants who
    // placed that card in at least one of its groups.
    std::vector<std::pair<int, int>> placements;

    // P(x, c) for any item.
    int placed(int item) const;
    QStringList spellingTexts() const;
};

struct CategoryTable {
    // Participants descending, then the names case-folded, in UTF-16 code units.
    std::vector<Category> categories;
    // n(x) per item index: the counted participants who placed the card in any group.
    std::vector<int> placedAnywhere;

    // P(x, c) / n(x), 0 for a card nobody placed.
    double share(int item, std::size_t category) const;
};

CategoryTable computeCategories(const StudySorts &sorts, int itemCount, const Standardisation &standardisation);

// The decimals of an agreement as the exports and windows show it.
inline constexpr int agreementDecimals = 1;
// printf's "%.1f" of the agreement.
QString formatAgreement(double agreement);

} // namespace sortana
