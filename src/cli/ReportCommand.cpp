#include "cli/ReportCommand.h"

#include "cli/CommandFiles.h"
#include "cli/ExitStatus.h"
#include "document/Document.h"
#include "formats/ReportWriters.h"

namespace sortana {

int runReport(const QString &documentPath, const QString &reportPath, Platform &platform)
{
    if (const int refused = refuseOutputs({reportPath}, documentPath, platform))
        return refused;
    Document document;
    if (!openStudyDocument(document, documentPath, platform))
        return exitFailed;
    return saveReport(document, reportPath, platform) ? exitSuccess : exitFailed;
}

} // namespace sortana
