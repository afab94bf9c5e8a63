#pragma once

#include "analysis/Categories.h"
#include "analysis/GroupNames.h"
#include "analysis/LeftOut.h"
#include "analysis/StandardisationSuggestions.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace sortana {

class Document;

// The categories of the document's study (without the participants it leaves out) under its
// standardisation; nothing for a document saved without the participants' sorts.
const std::optional<CategoryTable> &documentCategories(const Document &document);

// The suggested names of the dendrogram's groups, cut into the document's number of groups
// unless another is given.
std::vector<GroupName> documentGroupNames(const Document &document, const CategoryTable &table,
                                          std::optional<int> numberOfGroups = std::nullopt);

// Changes of the standardisation: the document is then modified and its windows redrawn.
// A rename is a merge of one category's spellings.
void mergeCategories(Document &document, const QStringList &spellings, const QString &standard);
// Each accepted suggestion merges its members' spellings under its standard, as one change.
void mergeSuggested(Document &document, const CategoryTable &table, const std::vector<SuggestedMerge> &accepted);
void splitCategory(Document &document, const QString &standard);
void setStandardisation(Document &document, Standardisation standardisation);

} // namespace sortana
