#pragma once

#include "analysis/FigureTable.h"
#include "analysis/ParticipantChecks.h"

namespace sortana {

// The tables of the participants' checks.

// participant,groups,cards,mean_distance,flags: one row per participant in file order, the
// mean distance as a percentage with one decimal (empty for one not checked), the flags
// separated by semicolons.
FigureTable participantChecksTable(const ParticipantChecks &checks);

// participant, then one column per counted participant's id; one row per counted participant
// in file order, each cell d(row, column).
FigureTable distancesTable(const StudySorts &sorts);

} // namespace sortana
