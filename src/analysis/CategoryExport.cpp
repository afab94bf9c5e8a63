#include "analysis/CategoryExport.h"

namespace sortana {

namespace {

using Kind = FigureColumn::Kind;

} // namespace

FigureTable categoriesTable(const CategoryTable &table)
{
    FigureTable figures{{{QStringLiteral("category"), Kind::Text, 0},
                         {QStringLiteral("participants"), Kind::Integer, 0},
                         {QStringLiteral("groups"), Kind::Integer, 0},
                         {QStringLiteral("cards"), Kind::Integer, 0},
                         {QStringLiteral("agreement"), Kind::Fixed, agreementDecimals}},
                        {}};
    for (const Category &category : table.categories) {
        figures.rows.push_back({textCell(category.name), numberCell(category.participants), numberCell(category.groups),
                                numberCell(category.cards), numberCell(category.agreement)});
    }
    return figures;
}

FigureTable placementsTable(const CategoryTable &table, const QStringList &itemNames, const std::vector<int> &leafOrder)
{
    FigureTable figures{{{QStringLiteral("card"), Kind::Text, 0}}, {}};
    for (const Category &category : table.categories)
        figures.columns.push_back({category.name, Kind::Integer, 0});
    for (const int item : leafOrder) {
        std::vector<FigureCell> row{textCell(itemNames.value(item))};
        for (const Category &category : table.categories)
            row.push_back(numberCell(category.placed(item)));
        figures.rows.push_back(std::move(row));
    }
    return figures;
}

FigureTable groupsTable(const std::vector<GroupName> &groups, const CategoryTable *table, const QStringList &itemNames,
                        const std::vector<int> &leafOrder)
{
    FigureTable figures{{{QStringLiteral("group"), Kind::Integer, 0},
                         {QStringLiteral("name"), Kind::Text, 0},
                         {QStringLiteral("card"), Kind::Text, 0}},
                        {}};
    for (std::size_t g = 0; g < groups.size(); ++g) {
        const GroupName &group = groups[g];
        const QString name = table ? suggestedName(group, *table) : QString();
        for (int row = group.firstRow; row < group.firstRow + group.rowCount; ++row)
            figures.rows.push_back(
                {numberCell(double(g + 1)), textCell(name), textCell(itemNames.value(leafOrder[std::size_t(row)]))});
    }
    return figures;
}

} // namespace sortana
