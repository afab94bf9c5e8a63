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

std::vector<GroupName> groupBands(const ClusterNode *root, int numberOfGroups)
{
    std::vector<int> starts = groupStarts(root, numberOfGroups);
    if (starts.empty())
        return {};
    starts.push_back(int(LeafOrder(root).size()));
    std::vector<GroupName> bands;
    for (std::size_t g = 0; g + 1 < starts.size(); ++g)
        bands.push_back({starts[g], starts[g + 1] - starts[g], {}});
    return bands;
}

std::vector<GroupName> suggestGroupNames(const ClusterNode *root, int numberOfGroups, const CategoryTable &table)
{
    const std::vector<int> order = LeafOrder(root);
    std::vector<GroupName> names = groupBands(root, numberOfGroups);
    for (GroupName &name : names) {
        const auto first = order.begin() + name.firstRow;
        name.candidates = topCandidates(std::vector<int>(first, first + name.rowCount), table);
    }
    return names;
}

QString suggestedName(const GroupName &group, const CategoryTable &table)
{
    return group.candidates.empty() ? QString() : table.categories[group.candidates.front().category].name;
}

} // namespace sortana
