#pragma once

#include <QString>

#include <algorithm>
#include <vector>

namespace sortana {

// One card in a participant's group: the item's index (from 0), the fit score it was read
// with, and the sub-group it stands in (cards of a group with the same number share one).
struct SortedCard {
    qint32 item = 0;
    qint32 fit = 0;
    qint32 subGroup = 0;
    bool operator==(const SortedCard &) const = default;
};

// A group as the participant made it: its name as the Cards file writes it, and whether it
// was given no name at all (a table's group known only by its category id; the raw data's
// unnamed groups are told apart by their names). A card placed twice stands in it twice.
struct SortGroup {
    QString name;
    bool idOnly = false;
    std::vector<SortedCard> cards;
    // Sub-group lines after the group's last card (or its group line) that no card followed
    // before the next group or participant.
    qint32 closingSubGroupLines = 0;
    bool operator==(const SortGroup &) const = default;
};

// One participant's sort: the id, whether the analysis counts it (the expert is not
// counted), and the groups in the order of the input.
struct ParticipantSort {
    QString id;
    bool counted = true;
    std::vector<SortGroup> groups;
    // Item lines of the participant that placed no card (answered OK to the warning): the
    // Participants file counts them among the participant's items.
    qint32 unplacedLines = 0;
    // Sub-group lines between the participant's line and the first group that no card followed.
    qint32 openingSubGroupLines = 0;

    // Whether the sort holds lines beyond its groups and cards.
    bool hasOtherLines() const
    {
        return unplacedLines != 0 || openingSubGroupLines != 0
            || std::any_of(groups.begin(), groups.end(),
                           [](const SortGroup &group) { return group.closingSubGroupLines != 0; });
    }
    bool operator==(const ParticipantSort &) const = default;
};

// Every participant's sort of a study, in the order of the input: what each analysis of the
// participants' groups reads, and what a document keeps of them.
struct StudySorts {
    std::vector<ParticipantSort> participants;
    bool operator==(const StudySorts &) const = default;
};

} // namespace sortana
