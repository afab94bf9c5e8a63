#include "document/DocumentText.h"

#include "analysis/GroupCut.h"
#include "analysis/LeafOrder.h"
#include "document/CSortanaMdiDoc.h"

namespace sortana {

namespace {

bool isLineBreak(QChar c)
{
    return c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f' || c == QChar(0x85) || c == QChar(0x2028)
        || c == QChar(0x2029);
}

QString nameOf(const QStringList &names, int item)
{
    // Only a damaged document names an item beyond its names: its cell stays empty.
    return item >= 0 && item < names.size() ? cellText(names[item]) : QString();
}

} // namespace

QString cellText(const QString &name)
{
    QString cell;
    cell.reserve(name.size());
    for (qsizetype k = 0; k < name.size(); ++k) {
        const QChar c = name[k];
        // A Windows line break is one break, so one space.
        if (c == u'\r' && k + 1 < name.size() && name[k + 1] == u'\n')
            continue;
        cell.append(c == u'\t' || isLineBreak(c) ? QChar(u' ') : c);
    }
    return cell;
}

QString groupsText(const CSortanaMdiDoc &document)
{
    if (!document.clusterRoot() || !document.itemNames)
        return {};
    const std::vector<int> order = LeafOrder(document.clusterRoot());
    const std::vector<int> starts = groupStarts(document.clusterRoot(), document.numberOfGroups);
    QString text;
    size_t group = 0;
    for (size_t row = 0; row < order.size(); ++row) {
        while (group < starts.size() && size_t(starts[group]) <= row)
            ++group;
        text += QString::number(group) + u'\t' + nameOf(*document.itemNames, order[row]) + u'\n';
    }
    return text;
}

QString matrixText(const CSortanaMdiDoc &document)
{
    if (!document.clusterRoot() || !document.itemNames || !document.similarity)
        return {};
    const SimilarityData &similarity = *document.similarity;
    const std::vector<int> order = LeafOrder(document.clusterRoot());
    const auto inMatrix = [&](int item) { return item >= 0 && item < similarity.itemCount(); };
    QString text;
    for (const int item : order)
        text += u'\t' + nameOf(*document.itemNames, item);
    text += u'\n';
    for (const int row : order) {
        text += nameOf(*document.itemNames, row);
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
