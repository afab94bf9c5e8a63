#include "document/DocumentText.h"

#include "analysis/CategoryExport.h"
#include "document/Document.h"

namespace sortana {

namespace {

QString nameOf(const QStringList &names, int item)
{
    // Only a damaged document names an item beyond its names: its cell stays empty.
    return item >= 0 && item < names.size() ? cellText(names[item]) : QString();
}

} // namespace

QString groupsText(const Document &document)
{
    if (!document.hasStudy() || !document.clusterRoot())
        return {};
    const FigureTable groups = groupsTable(document.figures().bands(document.settings().numberOfGroups), nullptr,
                                           document.study().itemNames, document.leafOrder());
    return clipboardText(groups, {0, 2});
}

QString matrixText(const Document &document)
{
    if (!document.hasStudy() || !document.clusterRoot() || !document.study().similarity)
        return {};
    const SimilarityData &similarity = *document.study().similarity;
    const std::vector<int> &order = document.leafOrder();
    const auto inMatrix = [&](int item) { return item >= 0 && item < similarity.itemCount(); };
    QString text;
    for (const int item : order)
        text += u'\t' + nameOf(document.study().itemNames, item);
    text += u'\n';
    for (const int row : order) {
        text += nameOf(document.study().itemNames, row);
        for (const int column : order)
            text += u'\t' + QString::number(inMatrix(row) && inMatrix(column) ? similarity.count(row, column) : 0);
        text += u'\n';
    }
    return text;
}

std::optional<int> findRow(const QStringList &names, const std::vector<int> &order, const QString &text,
                           std::optional<int> after)
{
    const int rows = int(order.size());
    if (text.isEmpty() || rows == 0)
        return std::nullopt;
    const int start = after && *after >= 0 && *after < rows ? *after + 1 : 0;
    for (int step = 0; step < rows; ++step) {
        const int row = (start + step) % rows;
        const int item = order[size_t(row)];
        if (item >= 0 && item < names.size() && names[item].contains(text, Qt::CaseInsensitive))
            return row;
    }
    return std::nullopt;
}

} // namespace sortana
