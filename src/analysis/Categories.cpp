#include "analysis/Categories.h"

#include "study/CategoryKey.h"
#include "analysis/CsvText.h"

#include <QHash>

#include <algorithm>

namespace sortana {

namespace {

struct GroupRef {
    int participant = 0;
    const SortGroup *group = nullptr;
};

struct Gathering {
    QString key;
    std::vector<GroupRef> groups;
    std::vector<Spelling> spellings;
    QHash<QString, int> spellingIndex;
};

// The groups of each category, in the order of the file, with their spellings.
std::vector<Gathering> gather(const StudySorts &sorts, const Standardisation &standardisation)
{
    std::vector<Gathering> gathered;
    QHash<QString, int> categoryOfKey;
    // Names repeat across participants: each distinct spelling is keyed once.
    QHash<QString, QString> keyOfName;
    for (std::size_t p = 0; p < sorts.participants.size(); ++p) {
        const ParticipantSort &participant = sorts.participants[p];
        if (!participant.counted)
            continue;
        for (const SortGroup &group : participant.groups) {
            if (group.cards.empty() || isUnnamedGroup(group.name, group.idOnly))
                continue;
            auto key = keyOfName.constFind(group.name);
            if (key == keyOfName.cend()) {
                const std::optional<QString> standard = standardisation.standardOf(group.name);
                key = keyOfName.insert(group.name, categoryKey(standard ? *standard : group.name));
            }
            auto category = categoryOfKey.constFind(*key);
            if (category == categoryOfKey.cend()) {
                category = categoryOfKey.insert(*key, int(gathered.size()));
                gathered.push_back({*key, {}, {}, {}});
            }
            Gathering &into = gathered[std::size_t(*category)];
            into.groups.push_back({int(p), &group});
            auto spelling = into.spellingIndex.constFind(group.name);
            if (spelling == into.spellingIndex.cend()) {
                spelling = into.spellingIndex.insert(group.name, int(into.spellings.size()));
                into.spellings.push_back({group.name, 0});
            }
            ++into.spellings[std::size_t(*spelling)].groups;
        }
    }
    return gathered;
}

// Scratch arrays over the items, reset only where a category touched them.
struct ItemScratch {
    explicit ItemScratch(int itemCount)
        : holdingGroups(std::size_t(itemCount), 0),
          placedBy(std::size_t(itemCount), 0),
          lastGroup(std::size_t(itemCount), -1),
          lastParticipant(std::size_t(itemCount), -1)
    {
    }
    std::vector<int> holdingGroups;
    std::vector<int> placedBy;
    std::vector<int> lastGroup;
    std::vector<int> lastParticipant;
    std::vector<int> touched;
};

Category measure(const Gathering &gathering, ItemScratch &scratch, const Standardisation &standardisation)
{
    Category category;
    int lastParticipant = -1;
    for (std::size_t g = 0; g < gathering.groups.size(); ++g) {
        const GroupRef &ref = gathering.groups[g];
        if (ref.participant != lastParticipant) {
            ++category.participants;
            lastParticipant = ref.participant;
        }
        for (const SortedCard &card : ref.group->cards) {
            const auto x = std::size_t(card.item);
            if (scratch.lastGroup[x] == int(g))
                continue; // placed twice in one group: held once
            if (scratch.lastGroup[x] < 0)
                scratch.touched.push_back(card.item);
            scratch.lastGroup[x] = int(g);
            ++scratch.holdingGroups[x];
            if (scratch.lastParticipant[x] != ref.participant) {
                scratch.lastParticipant[x] = ref.participant;
                ++scratch.placedBy[x];
            }
        }
    }
    category.groups = int(gathering.groups.size());
    category.cards = int(scratch.touched.size());
    std::sort(scratch.touched.begin(), scratch.touched.end());
    double sum = 0.0;
    category.placements.reserve(scratch.touched.size());
    for (const int item : scratch.touched) {
        const auto x = std::size_t(item);
        sum += double(scratch.holdingGroups[x]) / category.groups;
        category.placements.emplace_back(item, scratch.placedBy[x]);
        scratch.holdingGroups[x] = scratch.placedBy[x] = 0;
        scratch.lastGroup[x] = scratch.lastParticipant[x] = -1;
    }
    scratch.touched.clear();
    category.agreement = category.cards > 0 ? sum / category.cards * 100.0 : 0.0;

    category.spellings = gathering.spellings;
    if (const std::optional<QString> standard = standardisation.standardWithKey(gathering.key)) {
        category.name = *standard;
    } else {
        // The most frequent spelling; of equals, the first met.
        const auto most = std::max_element(category.spellings.cbegin(), category.spellings.cend(),
                                           [](const Spelling &a, const Spelling &b) { return a.groups < b.groups; });
        category.name = most->text;
    }
    return category;
}

std::vector<int> placedAnywhere(const StudySorts &sorts, int itemCount)
{
    std::vector<int> placed(std::size_t(itemCount), 0);
    std::vector<int> lastParticipant(std::size_t(itemCount), -1);
    for (std::size_t p = 0; p < sorts.participants.size(); ++p) {
        if (!sorts.participants[p].counted)
            continue;
        for (const SortGroup &group : sorts.participants[p].groups) {
            for (const SortedCard &card : group.cards) {
                const auto x = std::size_t(card.item);
                if (lastParticipant[x] != int(p)) {
                    lastParticipant[x] = int(p);
                    ++placed[x];
                }
            }
        }
    }
    return placed;
}

bool inCategoryOrder(const Category &a, const QString &aFolded, const Category &b, const QString &bFolded)
{
    if (a.participants != b.participants)
        return a.participants > b.participants;
    return std::lexicographical_compare(aFolded.utf16(), aFolded.utf16() + aFolded.size(), bFolded.utf16(),
                                        bFolded.utf16() + bFolded.size());
}

} // namespace

int Category::placed(int item) const
{
    const auto found = std::lower_bound(placements.cbegin(), placements.cend(), item,
                                        [](const std::pair<int, int> &entry, int x) { return entry.first < x; });
    return found != placements.cend() && found->first == item ? found->second : 0;
}

QStringList Category::spellingTexts() const
{
    QStringList texts;
    for (const Spelling &spelling : spellings)
        texts.append(spelling.text);
    return texts;
}

double CategoryTable::share(int item, std::size_t category) const
{
    const int anywhere = placedAnywhere[std::size_t(item)];
    return anywhere > 0 ? double(categories[category].placed(item)) / anywhere : 0.0;
}

CategoryTable computeCategories(const StudySorts &sorts, int itemCount, const Standardisation &standardisation)
{
    CategoryTable table;
    table.placedAnywhere = placedAnywhere(sorts, itemCount);
    const std::vector<Gathering> gathered = gather(sorts, standardisation);
    ItemScratch scratch(itemCount);
    std::vector<std::pair<Category, QString>> measured;
    measured.reserve(gathered.size());
    for (const Gathering &gathering : gathered) {
        Category category = measure(gathering, scratch, standardisation);
        QString folded = category.name.toCaseFolded();
        measured.emplace_back(std::move(category), std::move(folded));
    }
    std::stable_sort(measured.begin(), measured.end(), [](const auto &a, const auto &b) {
        return inCategoryOrder(a.first, a.second, b.first, b.second);
    });
    table.categories.reserve(measured.size());
    for (auto &entry : measured)
        table.categories.push_back(std::move(entry.first));
    return table;
}

QString formatAgreement(double agreement)
{
    return fixedText(agreement, agreementDecimals);
}

} // namespace sortana
