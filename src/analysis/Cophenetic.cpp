#include "analysis/Cophenetic.h"

#include "document/CSortanaMdiDoc.h"

namespace sortana {

std::optional<double> copheneticCorrelation(const CSortanaMdiDoc &)
{
    return std::nullopt;
}

} // namespace sortana
