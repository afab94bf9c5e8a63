#pragma once

#include <QtGlobal>

#include <vector>

namespace sortana {

class CardSortAnalysis;

// Writes the matrix and weighted matrix files, rows and columns in the dendrogram's leaf
// order, and returns every item's pair total (the sum of its counts), by item. The two files
// are written side by side on two threads; their bytes do not depend on that.
//
// Most studies hold a few hundred distinct cell values, each repeated thousands of times, so
// the text of every value up to `tableLimit` is formatted once; a study with larger values is
// formatted cell by cell, to the same text.
std::vector<qint64> writeMatrixFiles(CardSortAnalysis &analysis, const std::vector<int> &leafOrder,
                                     qint32 tableLimit = 65535);

} // namespace sortana
