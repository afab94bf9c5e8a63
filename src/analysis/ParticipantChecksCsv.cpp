#include "analysis/ParticipantChecksCsv.h"

namespace sortana {

namespace {

using Kind = FigureColumn::Kind;

} // namespace

FigureTable participantChecksTable(const ParticipantChecks &checks)
{
    FigureTable table{{{QStringLiteral("participant"), Kind::Text, 0},
                       {QStringLiteral("groups"), Kind::Integer, 0},
                       {QStringLiteral("cards"), Kind::Integer, 0},
                       {QStringLiteral("mean_distance"), Kind::Fixed, 1},
                       {QStringLiteral("flags"), Kind::Text, 0}},
                      {}};
    for (const ParticipantCheck &row : checks.rows) {
        table.rows.push_back({textCell(row.id), numberCell(row.groups), numberCell(row.cards),
                              row.checked ? numberCell(100.0 * row.meanDistance) : FigureCell(),
                              textCell(flagTexts(row.flags).join(u';'))});
    }
    return table;
}

FigureTable distancesTable(const StudySorts &sorts)
{
    FigureTable table{{{QStringLiteral("participant"), Kind::Text, 0}}, {}};
    std::vector<CardSets> sets;
    for (const ParticipantSort &sort : sorts.participants) {
        if (sort.counted) {
            table.columns.push_back({sort.id, Kind::Integer, 0});
            sets.emplace_back(sort);
        }
    }
    const std::size_t count = sets.size();
    const std::vector<int> distances = sortDistances(sets);
    for (std::size_t i = 0; i < count; ++i) {
        std::vector<FigureCell> row{textCell(table.columns[i + 1].header)};
        for (std::size_t j = 0; j < count; ++j)
            row.push_back(numberCell(distances[i * count + j]));
        table.rows.push_back(std::move(row));
    }
    return table;
}

} // namespace sortana
