#pragma once

#include "platform/Progress.h"

#include <QString>
#include <QtGlobal>

#include <optional>
#include <vector>

namespace sortana {

struct Study;

// How close sub-samples of one size come to the whole study. With no sub-sample kept the
// three figures are NaN.
struct AdequacyPoint {
    qint32 participants = 0;
    qint32 kept = 0;
    double mean = 0.0;
    double p05 = 0.0;
    double p95 = 0.0;
};

struct Adequacy {
    quint64 seed = 1;
    qint32 subsets = 0;
    qint32 studyParticipants = 0;
    std::vector<AdequacyPoint> points;
    // The smallest size whose mean correlation reaches 0.90 and 0.95.
    std::optional<qint32> enough90;
    std::optional<qint32> enough95;
    bool operator==(const Adequacy &) const;
};

// The sizes the curve is drawn at for a study of this many counted participants.
std::vector<int> adequacySizes(int participants);

std::optional<Adequacy> computeAdequacy(const Study &study, int subsets, quint64 seed, const Progress &progress);

// How a sub-sample's sums are found: from a table of the products of every two
// participants' pair counts, or from its own pair counts. Both give the same exact sums;
// Automatic takes the table when it is small enough.
enum class AdequacyMethod { Automatic, ProductTable, PairCounts };
std::optional<Adequacy> computeAdequacy(const Study &study, int subsets, quint64 seed, const Progress &progress,
                                        AdequacyMethod method);

// Sets enough90 and enough95 from the points.
void settleAnswers(Adequacy &adequacy);

// The chart's answer in one sentence.
QString adequacySentence(const Adequacy &a);

} // namespace sortana
