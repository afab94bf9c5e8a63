#pragma once

#include "study/ClusterTree.h"
#include "study/PairMatrix.h"
#include "study/StudySorts.h"
#include "study/StudySummary.h"

#include <QStringList>

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

namespace sortana {

// The pair matrix of the import, kept with the study for the similarity matrix: counts of
// item indexes i < j in the cell (i, j), weighted scores in the cell (j, i), as the reader
// fills it (the expert's sort is not in it).
struct SimilarityData {
    PairMatrix matrix;
    qint32 countedParticipants = 0;
    qint32 copies = 1;

    int itemCount() const { return matrix.size(); }
    qint32 count(int a, int b) const { return a == b ? 0 : matrix.at(std::min(a, b), std::max(a, b)); }
    qint32 weightedScore(int a, int b) const { return a == b ? 0 : matrix.at(std::max(a, b), std::min(a, b)); }
    // The most a pair can count: every copy of each counted participant with every copy.
    double maxCount() const { return double(countedParticipants) * copies * copies; }
    // The pair's count as a share of that: 0 to 1, unless a card was placed twice in one
    // group; 0 when nobody was counted.
    double share(int a, int b) const { return maxCount() > 0 ? count(a, b) / maxCount() : 0.0; }
};

// One processed study: what an import or Analyse Again found, or a document file held. It
// never changes once made; whoever reads it, on any thread, holds a
// std::shared_ptr<const Study>, and a new analysis makes a new one.
struct Study {
    // Null only for a study without joins, which no import makes.
    std::shared_ptr<const ClusterTree> clusterTree;
    QStringList itemNames;
    StudySummary summary;
    // One mean fit per item.
    std::vector<double> itemAverageFit;
    // Nothing for a document that was saved without it (by an older program).
    std::optional<SimilarityData> similarity;
    // Every participant's sort; nothing for a document saved without them (by an older
    // program), which the analyses of group names then cannot serve.
    std::optional<StudySorts> sorts;
    // The participants the study leaves out: indexes into the sorts, in file order,
    // ascending; empty when everybody counts.
    std::vector<qint32> leftOut;
    // The counts as the document file stores them beside the summary.
    qint32 itemCount = 0;
    qint32 totalGroups = 0;
    qint32 participantCount = 0;

    const ClusterNode *clusterRoot() const { return clusterTree ? clusterTree->root() : nullptr; }
    // The average number of groups per participant, rounded half up: the number of groups a
    // new study is first shown with. Nothing without participants.
    std::optional<qint32> averageGroups() const;
};

} // namespace sortana
