#include "views/TextTableModel.h"

namespace sortana {

TextTableModel::TextTableModel(QStringList headings, QObject *parent)
    : QAbstractTableModel(parent)
{
    // The first column names, the others count.
    for (qsizetype column = 0; column < headings.size(); ++column)
        m_table.flushRight.push_back(column > 0);
    m_table.headings = std::move(headings);
}

void TextTableModel::setRows(std::vector<QStringList> rows)
{
    beginResetModel();
    m_table.rows = std::move(rows);
    endResetModel();
}

int TextTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_table.rows.size());
}

int TextTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_table.headings.size());
}

QVariant TextTableModel::alignment(int column) const
{
    if (m_table.flushRight[size_t(column)])
        return int(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant TextTableModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const QStringList &row = m_table.rows[size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole: return index.column() < row.size() ? row[index.column()] : QString();
    case Qt::TextAlignmentRole: return alignment(index.column());
    default: return {};
    }
}

QVariant TextTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && section >= 0 && section < m_table.headings.size()) {
        if (role == Qt::DisplayRole)
            return m_table.headings[section];
        if (role == Qt::TextAlignmentRole)
            return alignment(section);
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags TextTableModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled : Qt::NoItemFlags;
}

} // namespace sortana
