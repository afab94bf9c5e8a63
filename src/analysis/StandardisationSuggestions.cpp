#include "analysis/StandardisationSuggestions.h"

#include "study/CategoryKey.h"

#include <QHash>

namespace sortana {

std::vector<SuggestedMerge> suggestMerges(const CategoryTable &table)
{
    std::vector<std::vector<std::size_t>> sets;
    QHash<QString, std::size_t> setOfKey;
    for (std::size_t c = 0; c < table.categories.size(); ++c) {
        const QString key = suggestionKey(table.categories[c].name);
        auto found = setOfKey.constFind(key);
        if (found == setOfKey.cend()) {
            found = setOfKey.insert(key, sets.size());
            sets.emplace_back();
        }
        sets[*found].push_back(c);
    }
    std::vector<SuggestedMerge> suggestions;
    for (std::vector<std::size_t> &members : sets) {
        if (members.size() < 2)
            continue;
        std::size_t largest = members.front();
        for (const std::size_t member : members) {
            if (table.categories[member].groups > table.categories[largest].groups)
                largest = member;
        }
        suggestions.push_back({table.categories[largest].name, std::move(members)});
    }
    return suggestions;
}

std::vector<StandardEntry> suggestionRows(const CategoryTable &table, const std::vector<SuggestedMerge> &suggestions)
{
    std::vector<StandardEntry> rows;
    for (const SuggestedMerge &suggestion : suggestions) {
        for (const std::size_t member : suggestion.members)
            rows.push_back({table.categories[member].name, suggestion.standard});
    }
    return rows;
}

} // namespace sortana
