#include "report/ReportWriters.h"

namespace sortana {

// Placeholder until reports are saved.
bool isReportPath(const QString &)
{
    return false;
}

bool saveReport(CSortanaMdiDoc &, const QString &, Platform &, const ResamplingProgress &)
{
    return false;
}

} // namespace sortana
