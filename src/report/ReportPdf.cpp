#include "report/ReportWriters.h"

namespace sortana {

// Placeholder until the PDF is drawn.
bool printReport(const ReportContent &, CSortanaMdiDoc &, QPdfWriter &, const ResamplingProgress &)
{
    return false;
}

} // namespace sortana
