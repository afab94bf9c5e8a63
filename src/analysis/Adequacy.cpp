#include "analysis/Adequacy.h"

#include "document/CSortanaMdiDoc.h"

#include <cmath>

namespace sortana {

std::vector<int> adequacySizes(int participants)
{
    std::vector<int> sizes;
    if (participants <= 41) {
        for (int k = 2; k <= participants; ++k)
            sizes.push_back(k);
        return sizes;
    }
    for (int j = 0; j <= 39; ++j)
        sizes.push_back(int(std::lround(2 + (participants - 2) * j / 39.0)));
    return sizes;
}

std::optional<Adequacy> computeAdequacy(const CSortanaMdiDoc &, int, quint64, const ResamplingProgress &)
{
    return std::nullopt;
}

QString adequacySentence(const Adequacy &)
{
    return {};
}

} // namespace sortana
