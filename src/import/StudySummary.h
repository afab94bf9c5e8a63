#pragma once

#include <QString>

namespace sortana {

// What the survey found, the options chosen for the import, and study-wide totals. It
// outlives the import engine: the document keeps it.
struct StudySummary {
    QString fileName;
    int fileType = 0;             // 1 when the survey recognised a raw card-sort data file
    bool hasFitData = false;
    bool hasSubGroups = false;
    bool useExpert = true;
    bool useSubGroups = false;
    bool useFit = false;
    int copiesPerParticipant = 1;
    int itemCount = 0;
    int lineCount = 0;            // read attempts of the survey: one more than the lines
    int groupCount = 0;
    int participantCount = 0;
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
