#pragma once

#include <QtGlobal>

#include <vector>

namespace sortana {

class CardSortEngine;

// Hands the engine's sink the rows of the matrix and weighted matrix outputs, rows and
// columns in the dendrogram's leaf order, and returns every item's pair total (the sum of its
// counts), by item. The two outputs are made side by side on two threads; their rows do not
// depend on that.
//
// Most studies hold a few hundred distinct cell values, each repeated thousands of times, so
// the text of every value up to `tableLimit` is formatted once; a study with larger values,
// or a sink that wants the rows' cells, is formatted cell by cell, to the same text.
std::vector<qint64> writeMatrixRows(CardSortEngine &analysis, const std::vector<int> &leafOrder,
                                    qint32 tableLimit = 65535);

} // namespace sortana
