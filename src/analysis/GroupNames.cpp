#include "analysis/GroupNames.h"

#include "analysis/GroupCut.h"
#include "analysis/LeafOrder.h"

#include <algorithm>

namespace sortana {

namespace {

std::vector<NameCandidate> topCandidates(const std::vector<int> &band, const CategoryTable &table)
{
    std::vector<std::pair<std::size_t, qint64>> sums;
    qint64 total = 0;
    for (std::size_t c = 0; c < table.categories.size(); ++c) {
        qint64 sum = 0;
        for (const int item : band)
            sum += table.categories[c].placed(item);
        if (sum > 0)
            sums.emplace_back(c, sum);
        total += sum;
    }
    // Stable: equal sums stay in category order.
    std::stable_sort(sums.begin(), sums.end(), [](const auto &a, const auto &b) { return a.second > b.second; });
    std::vector<NameCandidate> top;
    for (std::size_t k = 0; k < sums.size() && k < 3; ++k)
        top.push_back({sums[k].first, double(sums[k].second) / double(total)});
    return top;
}

} // namespace

std::vector<GroupName> suggestGroupNames(const ClusterNode *root, int numberOfGroups, const CategoryTable &table)
{
    const std::vector<int> order = LeafOrder(root);
    std::vector<int> starts = groupStarts(root, numberOfGroups);
    starts.push_back(int(order.size()));
    std::vector<GroupName> names;
    for (std::size_t g = 0; g + 1 < starts.size(); ++g) {
        const std::vector<int> band(order.begin() + starts[g], order.begin() + starts[g + 1]);
        names.push_back({starts[g], starts[g + 1] - starts[g], topCandidates(band, table)});
    }
    return names;
}

} // namespace sortana
