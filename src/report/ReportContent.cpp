#include "report/ReportContent.h"

namespace sortana {

// Placeholder until the report's content is written.
QDateTime reportCreationTime()
{
    return QDateTime::currentDateTimeUtc();
}

ReportContent buildReport(CSortanaMdiDoc &, const QDateTime &)
{
    return {};
}

} // namespace sortana
