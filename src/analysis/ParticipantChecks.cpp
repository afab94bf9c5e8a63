#include "analysis/ParticipantChecks.h"

#include "study/CategoryKey.h"
#include "analysis/ParallelRuns.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <numeric>
#include <set>
#include <thread>

namespace sortana {

QStringList flagTexts(unsigned flags)
{
    static const std::pair<ParticipantFlag, const char *> texts[] = {
        {OneGroup, "one group"},
        {EachCardAlone, "each card alone"},
        {OneLetterNames, "one-letter names"},
        {FarFromOthers, "far from the others"},
    };
    QStringList result;
    for (const auto &[flag, text] : texts) {
        if (flags & flag)
            result << QString::fromLatin1(text);
    }
    return result;
}

QString meanDistanceText(const ParticipantCheck &check)
{
    return check.checked ? QString::asprintf("%.1f", 100.0 * check.meanDistance) : QString();
}

QStringList distinctCardNames(const SortGroup &group, const QStringList &itemNames)
{
    QStringList names;
    std::set<qint32> seen;
    for (const SortedCard &card : group.cards) {
        if (seen.insert(card.item).second)
            names << itemNames.value(card.item, QStringLiteral("#%1").arg(card.item + 1));
    }
    return names;
}

std::vector<qint32> flaggedParticipants(const ParticipantChecks &checks)
{
    std::vector<qint32> flagged;
    for (const ParticipantCheck &row : checks.rows) {
        if (row.flags != 0)
            flagged.push_back(qint32(row.index));
    }
    return flagged;
}

namespace {

int codePoints(const QString &text)
{
    int count = 0;
    for (auto it = text.cbegin(); it != text.cend(); ++it) {
        if (!(it->isLowSurrogate() && it != text.cbegin() && (it - 1)->isHighSurrogate()))
            ++count;
    }
    return count;
}

// The flags a sort earns on its own, without the others.
unsigned ownFlags(const ParticipantSort &sort, int distinctCards)
{
    unsigned flags = 0;
    int holding = 0;
    int alone = 0;
    int named = 0;
    int oneLetter = 0;
    for (const SortGroup &group : sort.groups) {
        if (group.cards.empty())
            continue;
        std::set<qint32> cards;
        for (const SortedCard &card : group.cards)
            cards.insert(card.item);
        ++holding;
        if (int(cards.size()) == distinctCards)
            flags |= OneGroup;
        if (cards.size() == 1)
            ++alone;
        if (!isUnnamedGroup(group.name, group.idOnly)) {
            ++named;
            if (codePoints(group.name.trimmed()) == 1)
                ++oneLetter;
        }
    }
    if (holding > 0 && alone == holding)
        flags |= EachCardAlone;
    if (named >= 3 && 2 * oneLetter > named)
        flags |= OneLetterNames;
    return flags;
}

// The value at fraction p of sorted values, interpolated linearly between the two nearest
// ranks, the two sides weighed as numpy's default percentile weighs them.
double quartile(const std::vector<double> &sorted, double p)
{
    const double position = p * double(sorted.size() - 1);
    const size_t below = size_t(std::floor(position));
    const size_t above = std::min(below + 1, sorted.size() - 1);
    const double t = position - double(below);
    const double a = sorted[below];
    const double b = sorted[above];
    const double difference = b - a;
    return t >= 0.5 ? b - difference * (1 - t) : a + difference * t;
}

} // namespace

std::vector<int> sortDistances(const std::vector<CardSets> &sets)
{
    // The matching is the same both ways: each pair is matched once, rows dealt out to the
    // cores as they come free, as their lengths differ.
    const size_t k = sets.size();
    std::vector<int> distances(k * k, 0);
    std::atomic<size_t> nextRow{0};
    const auto work = [&](int) {
        for (size_t i = nextRow++; i < k; i = nextRow++) {
            for (size_t j = i + 1; j < k; ++j) {
                const int overlap = largestOverlap(sets[i], sets[j]);
                distances[i * k + j] = sets[i].placements() - overlap;
                distances[j * k + i] = sets[j].placements() - overlap;
            }
        }
    };
    runOnThreads(int(std::clamp<size_t>(k, 1, size_t(coreCount()))), work);
    return distances;
}

ParticipantChecks checkParticipants(const StudySorts &sorts)
{
    ParticipantChecks result;
    std::vector<CardSets> sets;
    for (size_t p = 0; p < sorts.participants.size(); ++p) {
        const ParticipantSort &sort = sorts.participants[p];
        CardSets own(sort);
        ParticipantCheck row;
        row.index = int(p);
        row.id = sort.id;
        row.groups = own.groupCount();
        row.cards = own.distinctCards();
        row.checked = sort.counted && row.cards > 0;
        if (row.checked) {
            row.flags = ownFlags(sort, row.cards);
            result.checkedIndexes.push_back(int(p));
            sets.push_back(std::move(own));
        }
        result.rows.push_back(std::move(row));
    }

    const size_t k = sets.size();
    result.distances = sortDistances(sets);

    std::vector<double> means;
    for (size_t i = 0; i < k; ++i) {
        qint64 total = 0;
        for (size_t j = 0; j < k; ++j)
            total += result.distances[i * k + j];
        ParticipantCheck &row = result.rows[size_t(result.checkedIndexes[i])];
        row.meanDistance = k > 1 ? double(total) / (double(row.cards) * double(k - 1)) : 0.0;
        means.push_back(row.meanDistance);
    }
    if (!means.empty()) {
        std::vector<double> sorted = means;
        std::sort(sorted.begin(), sorted.end());
        const double q1 = quartile(sorted, 0.25);
        const double q3 = quartile(sorted, 0.75);
        const double fence = q3 + 1.5 * (q3 - q1);
        for (const int index : result.checkedIndexes) {
            ParticipantCheck &row = result.rows[size_t(index)];
            if (row.meanDistance > fence)
                row.flags |= FarFromOthers;
        }
    }

    std::vector<int> order = result.checkedIndexes;
    std::stable_sort(order.begin(), order.end(), [&](int x, int y) {
        return result.rows[size_t(x)].meanDistance < result.rows[size_t(y)].meanDistance;
    });
    order.resize(std::min<size_t>(order.size(), 3));
    result.representative = std::move(order);
    return result;
}

} // namespace sortana
