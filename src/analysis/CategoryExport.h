#pragma once

#include "analysis/Categories.h"
#include "analysis/FigureTable.h"
#include "analysis/GroupNames.h"

#include <QStringList>

#include <vector>

namespace sortana {

// The tables of the categories.

// category,participants,groups,cards,agreement: one row per category, in category order.
FigureTable categoriesTable(const CategoryTable &table);

// card, then one column per category by its shown name; one row per card in the leaf order
// given, each cell P(x, c).
FigureTable placementsTable(const CategoryTable &table, const QStringList &itemNames,
                            const std::vector<int> &leafOrder);

// group,name,card: one row per card in leaf order, the dendrogram's groups numbered from 1
// at the top, each with its suggested name (empty when it has none, and throughout without
// a table of categories).
FigureTable groupsTable(const std::vector<GroupName> &groups, const CategoryTable *table, const QStringList &itemNames,
                        const std::vector<int> &leafOrder);

} // namespace sortana
