#include "analysis/SubStudy.h"

#include "analysis/Resampling.h"
#include "study/Study.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <unordered_map>

namespace sortana {

namespace {

constexpr qint64 cellLimit = std::numeric_limits<qint32>::max();

} // namespace

SubStudies::SubStudies(const Study &study)
{
    if (!study.clusterRoot() || study.itemCount < 2) {
        m_problem = QStringLiteral("The document holds no study to resample.");
        return;
    }
    if (!study.sorts) {
        m_problem = QStringLiteral("This document was saved without the participants' sorts. "
                                   "Import the study again to add them.");
        return;
    }
    m_itemCount = study.itemCount;
    m_options = study.summary;
    m_options.useExpert = false;
    const std::vector<int> drawn = resamplingParticipants(study);
    for (const int index : drawn) {
        for (const SortGroup &group : study.sorts->participants[std::size_t(index)].groups) {
            if (group.cards.size() < 2)
                continue;
            const auto first = m_cards.insert(m_cards.end(), group.cards.begin(), group.cards.end());
            std::stable_sort(first, m_cards.end(),
                             [](const SortedCard &a, const SortedCard &b) { return a.item < b.item; });
            m_cardEnds.push_back(m_cards.size());
        }
        m_groupEnds.push_back(m_cardEnds.size());
    }
    if (drawn.empty()) {
        m_problem = QStringLiteral("The study has no participants to draw from.");
        return;
    }
    std::vector<bool> seen(static_cast<std::size_t>(m_itemCount));
    qint64 largest = 0;
    for (int p = 0; p < participants(); ++p) {
        qint64 pairings = 0;
        forEachPairing(p, [&](int, int, qint32) { ++pairings; });
        largest = std::max({largest, largestCell(p, seen), pairings});
    }
    // A participant drawn every time must still fit the cells, as the import requires; and
    // one participant's pairings must fit too, which bounds the sums of the correlations.
    if (largest * participants() > cellLimit)
        m_problem = QStringLiteral("A pair count or score of a sub-study could exceed 2147483647.");
}

qint64 SubStudies::largestCell(int position, std::vector<bool> &seen) const
{
    // Most sorts hold every card once: then no pair is counted twice, and no table of the
    // cells is needed.
    const std::size_t firstCard = position == 0 || m_groupEnds[std::size_t(position) - 1] == 0
        ? 0
        : m_cardEnds[m_groupEnds[std::size_t(position) - 1] - 1];
    const std::size_t endCard =
        m_groupEnds[std::size_t(position)] == 0 ? 0 : m_cardEnds[m_groupEnds[std::size_t(position)] - 1];
    std::fill(seen.begin(), seen.end(), false);
    bool repeated = false;
    for (std::size_t c = firstCard; c < endCard && !repeated; ++c) {
        repeated = seen[std::size_t(m_cards[c].item)];
        seen[std::size_t(m_cards[c].item)] = true;
    }
    qint64 largest = 0;
    if (!repeated) {
        forEachPairing(position, [&](int, int, qint32 weight) { largest = std::max<qint64>(largest, weight); });
        return largest;
    }
    std::unordered_map<std::size_t, qint64> cells;
    forEachPairing(position, [&](int lo, int hi, qint32 weight) {
        qint64 &cell = cells[pairIndex(lo, hi)];
        cell += weight;
        largest = std::max(largest, cell);
    });
    return largest;
}

void SubStudies::fillWeightedScores(std::span<const qint32> drawn, PairMatrix &matrix,
                                    std::vector<qint32> &repeats) const
{
    std::memset(matrix.data(), 0, sizeof(qint32) * std::size_t(matrix.size()) * std::size_t(matrix.size()));
    repeats.assign(std::size_t(participants()), 0);
    for (const qint32 position : drawn)
        ++repeats[std::size_t(position)];
    for (int p = 0; p < participants(); ++p) {
        const qint32 times = repeats[std::size_t(p)];
        if (times == 0)
            continue;
        forEachPairing(p, [&](int lo, int hi, qint32 weight) { matrix.at(hi, lo) += times * weight; });
    }
}

void SubStudies::fillPairCounts(std::span<const qint32> drawn, std::vector<qint32> &counts) const
{
    counts.assign(pairTotal(), 0);
    for (const qint32 position : drawn)
        forEachPairing(position, [&](int lo, int hi, qint32) { ++counts[pairIndex(lo, hi)]; });
}

} // namespace sortana
