#pragma once

#include "study/StudySorts.h"

#include <QString>
#include <QtGlobal>

#include <memory>

namespace sortana {
class Document;
}

namespace sortana::bench {

// The size of a generated card-sort study.
struct StudyShape {
    int items = 0;
    int participants = 0;
    int groupsPerParticipant = 0;
};

// Writes a raw card-sort data file that imports without a single warning: item names, one
// declared name per group, then every participant placing every item exactly once, spread
// evenly over the groups, each placement with a fit score of 1 to 3, and a sub-group line
// halfway through every group of two or more cards. The same shape and seed always give
// the same bytes, so figures from different runs compare. Returns the file's size in
// bytes, or -1 when the shape is impossible (no items, no participants, or fewer items
// than groups, which would leave a group empty) or the file cannot be written.
qint64 writeStudy(const QString &path, const StudyShape &shape, quint32 seed = 1);

// A document of that study, imported with the options its survey suggests; the program
// stops when it cannot be.
std::unique_ptr<Document> importedStudy(const StudyShape &shape);

// A label of an open sort's vocabulary in one of four spellings that are one category.
QString labelSpelling(int label, quint32 variant);

// The sorts of an open card sort: every participant places every card once, in 6 to 14
// groups named from a vocabulary of `labels` labels in several spellings, one group in twenty
// left unnamed; the same sizes always give the same sorts.
StudySorts openSortOf(int cards, int participants, int labels);

} // namespace sortana::bench
