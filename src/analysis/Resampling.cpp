#include "analysis/Resampling.h"

#include "analysis/SubStudy.h"
#include "document/Document.h"

#include <algorithm>

namespace sortana {

std::vector<int> resamplingParticipants(const Document &doc)
{
    std::vector<int> drawn;
    if (!doc.sorts)
        return drawn;
    const std::vector<ParticipantSort> &all = doc.sorts->participants;
    for (std::size_t p = 0; p < all.size(); ++p) {
        if (all[p].counted && !std::binary_search(doc.leftOut.begin(), doc.leftOut.end(), qint32(p)))
            drawn.push_back(int(p));
    }
    return drawn;
}

QString resamplingProblem(const Document &doc)
{
    return SubStudies(doc).problem();
}

void dropResamplingResults(Document &doc)
{
    doc.treeSupport.reset();
    doc.adequacy.reset();
}

} // namespace sortana
