#include "analysis/LeftOut.h"

#include <QStringList>

#include <algorithm>

namespace sortana {

std::optional<QString> leaveOutError(const Study &study, const std::vector<qint32> &leftOut)
{
    if (!study.sorts)
        return QString::fromUtf16(sortsMissingMessage);
    const std::vector<ParticipantSort> &participants = study.sorts->participants;
    if (!std::is_sorted(leftOut.begin(), leftOut.end())
        || std::adjacent_find(leftOut.begin(), leftOut.end()) != leftOut.end()
        || (!leftOut.empty() && (leftOut.front() < 0 || size_t(leftOut.back()) >= participants.size())))
        return QStringLiteral("The participants to leave out are not participants of this study.");
    for (const qint32 index : leftOut) {
        if (!participants[size_t(index)].counted)
            return QStringLiteral("The expert cannot be left out.");
    }
    const auto counted = std::count_if(participants.begin(), participants.end(),
                                       [](const ParticipantSort &sort) { return sort.counted; });
    if (qsizetype(leftOut.size()) >= counted)
        return QStringLiteral("Nobody would be left to analyse.");
    return std::nullopt;
}

StudySorts keptSorts(const StudySorts &sorts, const std::vector<qint32> &leftOut)
{
    StudySorts kept;
    for (size_t p = 0; p < sorts.participants.size(); ++p) {
        if (!std::binary_search(leftOut.begin(), leftOut.end(), qint32(p)))
            kept.participants.push_back(sorts.participants[p]);
    }
    return kept;
}

QString leftOutText(const Study &study)
{
    if (study.leftOut.empty() || !study.sorts)
        return {};
    QStringList names;
    for (const qint32 index : study.leftOut)
        names
            << QStringLiteral("%1 (#%2)").arg(study.sorts->participants[size_t(index)].id, QString::number(index + 1));
    return QStringLiteral("%1 of %2: %3")
        .arg(QString::number(study.leftOut.size()), QString::number(study.sorts->participants.size()),
             names.join(QStringLiteral(", ")));
}

} // namespace sortana
