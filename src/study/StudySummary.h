#pragma once

#include <QString>

#include <algorithm>

namespace sortana {

// The best fit score, and what a card placed without one counts.
inline constexpr int maxFit = 3;

// What the survey found, the options chosen for the import, and study-wide totals. It
// outlives the import engine: the document keeps it.
struct StudySummary {
    QString fileName;
    int fileType = 0; // 1 when the survey recognised a raw card-sort data file
    bool hasFitData = false;
    bool hasSubGroups = false;
    bool useExpert = true;
    bool useSubGroups = false;
    bool useFit = false;
    int copiesPerParticipant = 1;
    int itemCount = 0;
    int lineCount = 0; // read attempts of the survey: one more than the lines
    int groupCount = 0;
    int participantCount = 0;

    // The arithmetic of a study's options, written once.

    // What a pair of cards in one group adds to the weighted score: the two fits (or 1), doubled
    // when they share a sub-group.
    qint64 pairWeight(int fit1, int fit2, bool sameSubGroup) const
    {
        return (useFit ? qint64(fit1) + fit2 : 1) * (useSubGroups && sameSubGroup ? 2 : 1);
    }
    // The most one participant's sort can score per item and per pair: the best fit, doubled
    // for a shared sub-group, for every copy.
    qint64 maxScorePerItem() const
    {
        return qint64(copiesPerParticipant) * (useFit ? maxFit : 1) * (useSubGroups ? 2 : 1);
    }
    // What the weighted pair scores are divided by in the weighted matrix file.
    double weightedScale() const { return double(copiesPerParticipant) * (useFit ? 2 : 1) * (useSubGroups ? 2 : 1); }
    // What a similarity of 1 stands for in the clustering. Unlike the weighted scale it has no
    // sub-group factor: with sub-groups, a pair that always shares a sub-group scores above
    // one per participant. A copy count below one (only a damaged document holds one) counts
    // as one, which keeps the similarities finite.
    double similarityScale() const { return (useFit ? 2.0 : 1.0) * std::max(1, copiesPerParticipant); }
    // The participants whose sorts make up the pair matrix: all but the expert.
    int countedParticipants() const { return participantCount - (useExpert ? 1 : 0); }
    // Their card sets, a set per copy.
    double cardSets() const { return double(copiesPerParticipant) * countedParticipants(); }
    // What an item's squared deviations are averaged over in its agreement.
    double itemAgreementCount() const { return itemCount * cardSets() * 0.5 - 1; }
};

struct AnalysisFileNames {
    QString inputPath;
    QString cardsPath;
    QString itemsPath;
    QString participantsPath;
    QString matrixPath;
    QString weightedMatrixPath;
};

} // namespace sortana
