#include "document/DocumentCategories.h"

#include "document/Document.h"
#include "document/DocumentLinks.h"
#include "document/LeaveOut.h"

namespace sortana {

namespace {

void standardisationChanged(Document &document)
{
    document.setModified(true);
    document.updateAllViews(UpdateHint::Redraw);
}

} // namespace

std::optional<CategoryTable> documentCategories(const Document &document)
{
    if (!document.sorts)
        return std::nullopt;
    // Participants left out of the study are left out of what it says of their groups too.
    if (!document.leftOut.empty())
        return computeCategories(keptSorts(*document.sorts, document.leftOut), document.itemCount,
                                 document.standardisation);
    return computeCategories(*document.sorts, document.itemCount, document.standardisation);
}

std::vector<GroupName> documentGroupNames(const Document &document, const CategoryTable &table,
                                          std::optional<int> numberOfGroups)
{
    return suggestGroupNames(document.clusterRoot(), numberOfGroups.value_or(document.numberOfGroups), table);
}

void mergeCategories(Document &document, const QStringList &spellings, const QString &standard)
{
    document.standardisation.merge(spellings, standard);
    standardisationChanged(document);
}

void mergeSuggested(Document &document, const CategoryTable &table, const std::vector<SuggestedMerge> &accepted)
{
    if (accepted.empty())
        return;
    for (const SuggestedMerge &suggestion : accepted) {
        QStringList spellings;
        for (const std::size_t member : suggestion.members)
            spellings << table.categories[member].spellingTexts();
        document.standardisation.merge(spellings, suggestion.standard);
    }
    standardisationChanged(document);
}

void splitCategory(Document &document, const QString &standard)
{
    document.standardisation.split(standard);
    standardisationChanged(document);
}

void setStandardisation(Document &document, Standardisation standardisation)
{
    document.standardisation = std::move(standardisation);
    standardisationChanged(document);
}

} // namespace sortana
