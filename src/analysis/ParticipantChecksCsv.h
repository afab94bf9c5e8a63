#pragma once

#include "analysis/ParticipantChecks.h"

#include <QByteArray>

namespace sortana {

// The comma-separated files of the participants' checks, in UTF-8.

// participant,groups,cards,mean_distance,flags: one row per participant in file order, the
// mean distance as a percentage with one decimal, the flags separated by semicolons.
QByteArray participantsCsv(const ParticipantChecks &checks);

// participant, then one column per counted participant's id; one row per counted participant
// in file order, each cell d(row, column).
QByteArray distancesCsv(const StudySorts &sorts);

} // namespace sortana
