#include "document/ImportRun.h"

#include "analysis/AnalysisExport.h"
#include "analysis/LeafOrder.h"
#include "platform/Platform.h"

namespace sortana {

ImportRun::ImportRun(Platform &platform)
    : m_platform(platform), m_analysis(m_fileNames, *m_summary, platform)
{
}

bool ImportRun::chooseInput(const QString &path)
{
    if (path.isEmpty()) {
        m_platform.error(QStringLiteral("Please provide the name of a data file to be imported"));
        return false;
    }
    StudySummary &s = *m_summary;
    s.fileName = path;
    if (!m_analysis.SurveyInputFile())
        return false;
    if (s.participantCount == 0 || s.itemCount == 0 || s.groupCount == 0) {
        m_platform.error(QStringLiteral("There is insufficient data in this file\n"
                                        "(the number of groups, items or participants is 0)"));
        return false;
    }
    m_analysis.SetInputFileName(path);
    s.useFit = s.hasFitData;
    s.useSubGroups = s.hasSubGroups;
    s.useExpert = false;
    s.copiesPerParticipant = 1;
    return true;
}

bool ImportRun::checkOptions()
{
    const StudySummary &s = *m_summary;
    if (s.copiesPerParticipant < 1 || s.copiesPerParticipant > 10) {
        m_platform.error(QStringLiteral("Please provide a value for the number of copies between 1 and 10"));
        return false;
    }
    // The expert is compared with everybody else: alone, there is nobody to compare.
    if (s.useExpert && s.participantCount < 2) {
        m_platform.error(QStringLiteral("The expert option needs at least two participants\n"
                                        "(the first participant is the expert)"));
        return false;
    }
    return true;
}

bool ImportRun::finish()
{
    const BusyCursor busy(m_platform);
    m_itemCount = m_analysis.Read();
    if (m_itemCount < 2 || !m_analysis.pairMatrix)
        return false;
    return m_clusterAnalysis.Run(m_itemCount, m_analysis.pairMatrix, *m_summary) != 0;
}

bool ImportRun::exportAnalysisFiles()
{
    const BusyCursor busy(m_platform);
    return WriteAnalysisFiles(m_analysis, LeafOrder(m_clusterAnalysis.root));
}

} // namespace sortana
