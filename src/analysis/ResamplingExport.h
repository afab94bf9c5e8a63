#pragma once

#include "analysis/Adequacy.h"
#include "analysis/FigureTable.h"
#include "analysis/TreeSupport.h"

#include <QString>

namespace sortana {

struct Study;

// The tables of the resampling results. The support of every join of the document's tree:
// numbered from 1 in post-order, with its similarity and its cards in leaf order.
FigureTable supportTable(const TreeSupport &support, const Study &study);
// The stability of each group of the tree cut into that many groups, numbered from 1 at the
// top, with its number of cards.
FigureTable stabilityTable(const TreeSupport &support, const Study &study, int numberOfGroups);
// The curve: one row per size, the figures empty where no sub-sample was kept.
FigureTable adequacyTable(const Adequacy &adequacy);

// The decimals of a correlation as the outputs write it.
inline constexpr int correlationDecimals = 4;
QString formatCorrelation(double r);

} // namespace sortana
