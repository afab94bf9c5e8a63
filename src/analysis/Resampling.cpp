#include "analysis/Resampling.h"

#include "analysis/SubStudy.h"
#include "study/Study.h"

#include <algorithm>

namespace sortana {

std::vector<int> resamplingParticipants(const Study &study)
{
    std::vector<int> drawn;
    if (!study.sorts)
        return drawn;
    const std::vector<ParticipantSort> &all = study.sorts->participants;
    for (std::size_t p = 0; p < all.size(); ++p) {
        if (all[p].counted && !std::binary_search(study.leftOut.begin(), study.leftOut.end(), qint32(p)))
            drawn.push_back(int(p));
    }
    return drawn;
}

QString resamplingProblem(const Study &study)
{
    return SubStudies(study).problem();
}

} // namespace sortana
