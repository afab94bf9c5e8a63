#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace sortana {

class Document;

// The groups of the document's current cut, one line "N<TAB>name" per card, the cards in the
// dendrogram's order and the groups numbered from 1 at the top. Empty without a tree.
QString groupsText(const Document &document);

// The whole similarity matrix as tab-separated text: the names in the first row and column,
// in the dendrogram's order, and the pair counts as the matrix file gives them (0 on the
// diagonal). Empty without a tree or without the matrix.
QString matrixText(const Document &document);

// The next row after `after` (before the first row when absent) whose item's name holds
// `text`, whatever its case, going round past the last row to the first. None for an empty
// text or when no name holds it.
std::optional<int> findRow(const QStringList &names, const std::vector<int> &order, const QString &text,
                           std::optional<int> after);

} // namespace sortana
