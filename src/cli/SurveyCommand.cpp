#include "cli/SurveyCommand.h"

#include "cli/ExitStatus.h"
#include "import/CardSortAnalysis.h"

namespace sortana {

int runSurvey(const QString &inputPath, Platform &platform, std::FILE *out)
{
    AnalysisFileNames names;
    StudySummary summary;
    CardSortAnalysis analysis(names, summary, platform);
    summary.fileName = inputPath;
    const bool identified = analysis.SurveyInputFile();
    std::fprintf(out,
                 "fileType=%d\nhasFitData=%d\nhasSubGroups=%d\nitemCount=%d\nlineCount=%d\n"
                 "groupCount=%d\nparticipantCount=%d\n",
                 summary.fileType, summary.hasFitData ? 1 : 0, summary.hasSubGroups ? 1 : 0,
                 summary.itemCount, summary.lineCount, summary.groupCount, summary.participantCount);
    return identified ? exitSuccess : exitFailed;
}

} // namespace sortana
