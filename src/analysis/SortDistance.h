#pragma once

#include "study/StudySorts.h"

#include <utility>
#include <vector>

namespace sortana {

// A participant's sort as the distance between sorts sees it: each group a set of distinct
// cards, sub-groups ignored, groups without a card dropped.
class CardSets {
public:
    explicit CardSets(const ParticipantSort &sort);

    // (group, card) placements, each card counted once per group that holds it.
    int placements() const { return int(m_byCard.size()); }
    // Distinct cards in all groups.
    int distinctCards() const { return m_distinctCards; }
    int groupCount() const { return m_groupCount; }
    // Every (card, group) placement, by card and then group.
    const std::vector<std::pair<qint32, qint32>> &byCard() const { return m_byCard; }

private:
    std::vector<std::pair<qint32, qint32>> m_byCard;
    int m_distinctCards = 0;
    int m_groupCount = 0;
};

// The fewest card moves that turn sort a into sort b: a's placements less the largest total
// overlap of a one-to-one matching of a's groups with b's, found exactly.
int sortDistance(const ParticipantSort &a, const ParticipantSort &b);
int sortDistance(const CardSets &a, const CardSets &b);
// The largest total overlap of a one-to-one matching of a's groups with b's; the same both ways.
int largestOverlap(const CardSets &a, const CardSets &b);

int distinctCardsPlaced(const ParticipantSort &sort);

} // namespace sortana
