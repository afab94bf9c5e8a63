#pragma once

#include "analysis/SortDistance.h"
#include "study/StudySorts.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace sortana {

// What may make a participant's sort one that should not count.
enum ParticipantFlag : unsigned {
    OneGroup = 1, // a single group holds every card placed
    EachCardAlone = 2, // every group holds one card
    OneLetterNames = 4, // three or more named groups, most of them named with one character
    FarFromOthers = 8, // a mean distance beyond the outliers' fence of everybody's
};

// The texts of the flags set, in the order of the flags.
QStringList flagTexts(unsigned flags);

struct ParticipantCheck {
    int index = 0; // in the study's file order
    QString id;
    int groups = 0; // groups holding a card
    int cards = 0; // distinct cards placed
    // False for the expert and for a participant who placed no card: no distance, no flags.
    bool checked = false;
    // The mean normalised distance to the other checked participants, as a fraction.
    double meanDistance = 0.0;
    unsigned flags = 0;
};

struct ParticipantChecks {
    std::vector<ParticipantCheck> rows; // one per participant, in file order
    std::vector<int> representative; // up to three indexes into rows, most representative first
    std::vector<int> checkedIndexes; // the checked participants' indexes, in file order
    // d(row, column) over the checked participants, row-major in checkedIndexes' order.
    std::vector<int> distances;

    int distance(size_t row, size_t column) const { return distances[row * checkedIndexes.size() + column]; }
};

// The figures of every participant of the whole study, on every core.
ParticipantChecks checkParticipants(const StudySorts &sorts);

// d(a, b) for every pair of the sorts, row-major, worked out on every core.
std::vector<int> sortDistances(const std::vector<CardSets> &sets);

// The participants with a flag, as indexes in file order: "all flagged".
std::vector<qint32> flaggedParticipants(const ParticipantChecks &checks);

// printf's "%.1f" of the mean distance as a percentage, or nothing for a participant not checked.
QString meanDistanceText(const ParticipantCheck &check);

// A group's cards once each, in the order placed, by name (an item without one by its number).
QStringList distinctCardNames(const SortGroup &group, const QStringList &itemNames);

} // namespace sortana
