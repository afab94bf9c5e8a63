#pragma once

#include "study/PairMatrix.h"
#include "study/StudySorts.h"
#include "study/StudySummary.h"

#include <QString>
#include <QtGlobal>

#include <span>
#include <vector>

namespace sortana {

struct Study;

// The participants a resampling draws from, kept compact, and the pair matrix that a raw
// data file holding exactly the lines of any list of them (repeats included) would give:
// the study's options with the expert off. The pair rule is local to a group, so such a
// matrix is the sum of what each listed participant adds on their own.
class SubStudies {
public:
    explicit SubStudies(const Study &study);

    // Why no sub-study can be analysed (empty when they can).
    const QString &problem() const { return m_problem; }
    int participants() const { return int(m_groupEnds.size()); }
    int itemCount() const { return m_itemCount; }
    // The options each sub-study is read with.
    const StudySummary &options() const { return m_options; }

    // The weighted scores of the sub-study of `drawn` (positions in the participant list) in
    // the lower triangle of `matrix`, which holds itemCount() items; the upper triangle is
    // left at 0. `repeats` is scratch space.
    void fillWeightedScores(std::span<const qint32> drawn, PairMatrix &matrix, std::vector<qint32> &repeats) const;

    // The pair counts of the sub-study of `drawn`, the pair (lo, hi) at pairIndex(lo, hi).
    void fillPairCounts(std::span<const qint32> drawn, std::vector<qint32> &counts) const;
    static std::size_t pairIndex(int lo, int hi) { return std::size_t(hi) * std::size_t(hi - 1) / 2 + std::size_t(lo); }
    std::size_t pairTotal() const { return pairIndex(0, m_itemCount); }

    // Calls visit(lo, hi, weight) for every pairing the participant at `position` adds: one
    // per two placements of distinct cards in one group, lo < hi.
    template <typename Visit> void forEachPairing(int position, Visit visit) const
    {
        const std::size_t firstGroup = position == 0 ? 0 : m_groupEnds[std::size_t(position) - 1];
        for (std::size_t g = firstGroup; g < m_groupEnds[std::size_t(position)]; ++g) {
            const SortedCard *cards = m_cards.data() + (g == 0 ? 0 : m_cardEnds[g - 1]);
            const std::size_t size = m_cardEnds[g] - (g == 0 ? 0 : m_cardEnds[g - 1]);
            // A group's cards are kept in item order, so the later card of a pair is the higher.
            for (std::size_t i = 1; i < size; ++i) {
                const SortedCard later = cards[i];
                for (std::size_t j = 0; j < i; ++j) {
                    if (cards[j].item == later.item)
                        continue;
                    const auto weight =
                        qint32(m_options.pairWeight(cards[j].fit, later.fit, cards[j].subGroup == later.subGroup));
                    visit(cards[j].item, later.item, weight);
                }
            }
        }
    }

private:
    // The most the participant adds to one cell, count or score (a score is never below
    // its count).
    qint64 largestCell(int position, std::vector<bool> &seen) const;

    QString m_problem;
    int m_itemCount = 0;
    StudySummary m_options;
    // The cards of every group of two or more, group after group and each group's in item
    // order (a pairing does not depend on the order of its two cards); per group the end of
    // its cards, per participant the end of its groups.
    std::vector<SortedCard> m_cards;
    std::vector<std::size_t> m_cardEnds;
    std::vector<std::size_t> m_groupEnds;
};

} // namespace sortana
