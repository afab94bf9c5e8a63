#include "analysis/CategoryExport.h"

#include "analysis/CsvText.h"

namespace sortana {

QByteArray categoriesCsv(const CategoryTable &table)
{
    QByteArray text = csvLine({QStringLiteral("category"), QStringLiteral("participants"), QStringLiteral("groups"),
                               QStringLiteral("cards"), QStringLiteral("agreement")});
    for (const Category &category : table.categories) {
        text += csvLine({category.name, QString::number(category.participants), QString::number(category.groups),
                         QString::number(category.cards), formatAgreement(category.agreement)});
    }
    return text;
}

QByteArray placementsCsv(const CategoryTable &table, const QStringList &itemNames, const std::vector<int> &leafOrder)
{
    QStringList header{QStringLiteral("card")};
    for (const Category &category : table.categories)
        header.append(category.name);
    QByteArray text = csvLine(header);
    for (const int item : leafOrder) {
        QStringList row{itemNames.value(item)};
        for (const Category &category : table.categories)
            row.append(QString::number(category.placed(item)));
        text += csvLine(row);
    }
    return text;
}

QByteArray groupsCsv(const std::vector<GroupName> &groups, const CategoryTable &table, const QStringList &itemNames,
                     const std::vector<int> &leafOrder)
{
    QByteArray text = csvLine({QStringLiteral("group"), QStringLiteral("name"), QStringLiteral("card")});
    for (std::size_t g = 0; g < groups.size(); ++g) {
        const GroupName &group = groups[g];
        const QString name =
            group.candidates.empty() ? QString() : table.categories[group.candidates.front().category].name;
        for (int row = group.firstRow; row < group.firstRow + group.rowCount; ++row)
            text += csvLine({QString::number(g + 1), name, itemNames.value(leafOrder[std::size_t(row)])});
    }
    return text;
}

} // namespace sortana
