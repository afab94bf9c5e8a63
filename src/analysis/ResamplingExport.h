#pragma once

#include "analysis/Adequacy.h"
#include "analysis/TreeSupport.h"

#include <QByteArray>
#include <QString>

namespace sortana {

class CSortanaMdiDoc;

// The resampling results as UTF-8 CSV files. The support of every join of the document's
// tree: numbered from 1 in post-order, with its similarity and its cards in leaf order.
QByteArray supportCsv(const TreeSupport &support, const CSortanaMdiDoc &doc);
// The stability of each group of the tree cut into that many groups, numbered from 1 at the
// top, with its number of cards.
QByteArray stabilityCsv(const TreeSupport &support, const CSortanaMdiDoc &doc, int numberOfGroups);
// The curve: one row per size, the figures empty where no sub-sample was kept.
QByteArray adequacyCsv(const Adequacy &adequacy);

// A correlation as the outputs write it: four decimals.
QString formatCorrelation(double r);

} // namespace sortana
