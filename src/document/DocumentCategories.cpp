#include "document/DocumentCategories.h"

#include "analysis/LeftOut.h"
#include "document/Document.h"

namespace sortana {

namespace {

void standardisationChanged(Document &document, Standardisation standardisation)
{
    document.setModified(true);
    document.setStandardisation(std::move(standardisation));
}

} // namespace

const std::optional<CategoryTable> &documentCategories(const Document &document)
{
    static const std::optional<CategoryTable> none;
    return document.hasStudy() ? document.figures().categories() : none;
}

std::vector<GroupName> documentGroupNames(const Document &document, const CategoryTable &table,
                                          std::optional<int> numberOfGroups)
{
    return suggestGroupNames(document.clusterRoot(), numberOfGroups.value_or(document.settings().numberOfGroups),
                             table);
}

void mergeCategories(Document &document, const QStringList &spellings, const QString &standard)
{
    Standardisation changed = document.standardisation();
    changed.merge(spellings, standard);
    standardisationChanged(document, std::move(changed));
}

void mergeSuggested(Document &document, const CategoryTable &table, const std::vector<SuggestedMerge> &accepted)
{
    if (accepted.empty())
        return;
    Standardisation changed = document.standardisation();
    for (const SuggestedMerge &suggestion : accepted) {
        QStringList spellings;
        for (const std::size_t member : suggestion.members)
            spellings << table.categories[member].spellingTexts();
        changed.merge(spellings, suggestion.standard);
    }
    standardisationChanged(document, std::move(changed));
}

void splitCategory(Document &document, const QString &standard)
{
    Standardisation changed = document.standardisation();
    changed.split(standard);
    standardisationChanged(document, std::move(changed));
}

void setStandardisation(Document &document, Standardisation standardisation)
{
    standardisationChanged(document, std::move(standardisation));
}

} // namespace sortana
