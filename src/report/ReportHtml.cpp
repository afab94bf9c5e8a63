#include "report/ReportWriters.h"

namespace sortana {

// Placeholder until the web page is written.
QByteArray reportHtml(const ReportContent &, CSortanaMdiDoc &)
{
    return {};
}

} // namespace sortana
