#pragma once

#include <QString>

namespace sortana {

struct ParticipantRecord {
    QString id;
    int groups = 0;
    int items = 0; // item lines, valid or not
    int pairs = 0;
    int fitTotal = 0;
    bool operator==(const ParticipantRecord &) const = default;
};

// Per item, over all participants but the expert; a card alone in its group is not counted.
struct ItemPlacement {
    int placements = 0;
    int fitSum = 0;
    bool operator==(const ItemPlacement &) const = default;
};

struct GroupEntry {
    int item = 0; // item number, 1 to n
    int fit = 0;
    int subGroup = 0;
};

} // namespace sortana
