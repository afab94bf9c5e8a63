#include "analysis/ParticipantChecksCsv.h"

#include "analysis/CsvText.h"

namespace sortana {

QByteArray participantsCsv(const ParticipantChecks &checks)
{
    QByteArray text = csvLine({QStringLiteral("participant"), QStringLiteral("groups"), QStringLiteral("cards"),
                               QStringLiteral("mean_distance"), QStringLiteral("flags")});
    for (const ParticipantCheck &row : checks.rows) {
        text += csvLine({row.id, QString::number(row.groups), QString::number(row.cards), meanDistanceText(row),
                         flagTexts(row.flags).join(u';')});
    }
    return text;
}

QByteArray distancesCsv(const StudySorts &sorts)
{
    QStringList ids;
    std::vector<CardSets> sets;
    for (const ParticipantSort &sort : sorts.participants) {
        if (sort.counted) {
            ids.append(sort.id);
            sets.emplace_back(sort);
        }
    }
    const std::vector<int> distances = sortDistances(sets);
    QByteArray text = csvLine(QStringList{QStringLiteral("participant")} + ids);
    for (qsizetype i = 0; i < ids.size(); ++i) {
        QStringList row{ids[i]};
        for (qsizetype j = 0; j < ids.size(); ++j)
            row.append(QString::number(distances[size_t(i * ids.size() + j)]));
        text += csvLine(row);
    }
    return text;
}

} // namespace sortana
