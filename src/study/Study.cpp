#include "study/Study.h"

namespace sortana {

std::optional<qint32> Study::averageGroups() const
{
    if (participantCount <= 0)
        return std::nullopt;
    return static_cast<qint32>(double(totalGroups) / participantCount + 0.5);
}

} // namespace sortana
