#include "analysis/ResamplingExport.h"

#include "analysis/CsvText.h"
#include "analysis/GroupCut.h"
#include "analysis/LeafOrder.h"
#include "document/CSortanaMdiDoc.h"

#include <cmath>

namespace sortana {

QString formatCorrelation(double r)
{
    return fixedText(r, 4);
}

QByteArray supportCsv(const TreeSupport &support, const CSortanaMdiDoc &doc)
{
    QByteArray text = csvLine(
        {QStringLiteral("join"), QStringLiteral("similarity"), QStringLiteral("support"), QStringLiteral("items")});
    const std::vector<int> leaves = LeafOrder(doc.clusterRoot());
    const std::vector<TreeJoin> joins = treeJoins(doc.clusterRoot());
    for (std::size_t j = 0; j < joins.size() && j < support.joinSupport.size(); ++j) {
        QStringList cards;
        for (int row = joins[j].first; row < joins[j].end; ++row)
            cards.append(doc.itemNames->value(leaves[std::size_t(row)]));
        text += csvLine({QString::number(j + 1), fixedText(joins[j].node->similarity, 6),
                         fixedText(support.joinSupport[j], 1), cards.join(QLatin1Char('|'))});
    }
    return text;
}

QByteArray stabilityCsv(const TreeSupport &support, const CSortanaMdiDoc &doc, int numberOfGroups)
{
    QByteArray text = csvLine({QStringLiteral("group"), QStringLiteral("cards"), QStringLiteral("stability")});
    const std::vector<double> stability = groupStability(support, doc, numberOfGroups);
    std::vector<int> starts = groupStarts(doc.clusterRoot(), numberOfGroups);
    starts.push_back(doc.itemCount);
    for (std::size_t g = 0; g < stability.size(); ++g) {
        text +=
            csvLine({QString::number(g + 1), QString::number(starts[g + 1] - starts[g]), fixedText(stability[g], 1)});
    }
    return text;
}

QByteArray adequacyCsv(const Adequacy &adequacy)
{
    QByteArray text = csvLine({QStringLiteral("participants"), QStringLiteral("mean"), QStringLiteral("p05"),
                               QStringLiteral("p95"), QStringLiteral("kept")});
    for (const AdequacyPoint &point : adequacy.points) {
        const bool kept = point.kept > 0;
        text += csvLine({QString::number(point.participants), kept ? formatCorrelation(point.mean) : QString(),
                         kept ? formatCorrelation(point.p05) : QString(),
                         kept ? formatCorrelation(point.p95) : QString(), QString::number(point.kept)});
    }
    return text;
}

} // namespace sortana
