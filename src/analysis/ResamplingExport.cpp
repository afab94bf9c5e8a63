#include "analysis/ResamplingExport.h"

#include "analysis/CsvText.h"
#include "analysis/GroupCut.h"
#include "analysis/GroupNames.h"
#include "analysis/LeafOrder.h"
#include "study/Study.h"

namespace sortana {

namespace {

using Kind = FigureColumn::Kind;

} // namespace

QString formatCorrelation(double r)
{
    return fixedText(r, correlationDecimals);
}

FigureTable supportTable(const TreeSupport &support, const Study &study)
{
    FigureTable table{{{QStringLiteral("join"), Kind::Integer, 0},
                       {QStringLiteral("similarity"), Kind::Fixed, 6},
                       {QStringLiteral("support"), Kind::Fixed, 1},
                       {QStringLiteral("items"), Kind::Text, 0}},
                      {}};
    const std::vector<int> leaves = LeafOrder(study.clusterRoot());
    const std::vector<TreeJoin> joins = treeJoins(study.clusterRoot());
    for (std::size_t j = 0; j < joins.size() && j < support.joinSupport.size(); ++j) {
        QStringList cards;
        for (int row = joins[j].first; row < joins[j].end; ++row)
            cards.append(study.itemNames.value(leaves[std::size_t(row)]));
        table.rows.push_back({numberCell(double(j + 1)), numberCell(joins[j].node->similarity),
                              numberCell(support.joinSupport[j]), textCell(cards.join(QLatin1Char('|')))});
    }
    return table;
}

FigureTable stabilityTable(const TreeSupport &support, const Study &study, int numberOfGroups)
{
    FigureTable table{{{QStringLiteral("group"), Kind::Integer, 0},
                       {QStringLiteral("cards"), Kind::Integer, 0},
                       {QStringLiteral("stability"), Kind::Fixed, 1}},
                      {}};
    const std::vector<double> stability = groupStability(support, study, numberOfGroups);
    const std::vector<GroupName> bands = groupBands(study.clusterRoot(), numberOfGroups);
    for (std::size_t g = 0; g < stability.size(); ++g)
        table.rows.push_back({numberCell(double(g + 1)), numberCell(bands[g].rowCount), numberCell(stability[g])});
    return table;
}

FigureTable adequacyTable(const Adequacy &adequacy)
{
    FigureTable table{{{QStringLiteral("participants"), Kind::Integer, 0},
                       {QStringLiteral("mean"), Kind::Fixed, correlationDecimals},
                       {QStringLiteral("p05"), Kind::Fixed, correlationDecimals},
                       {QStringLiteral("p95"), Kind::Fixed, correlationDecimals},
                       {QStringLiteral("kept"), Kind::Integer, 0}},
                      {}};
    for (const AdequacyPoint &point : adequacy.points) {
        const bool kept = point.kept > 0;
        const auto figure = [kept](double value) { return kept ? numberCell(value) : FigureCell(); };
        table.rows.push_back({numberCell(point.participants), figure(point.mean), figure(point.p05), figure(point.p95),
                              numberCell(point.kept)});
    }
    return table;
}

} // namespace sortana
