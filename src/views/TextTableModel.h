#pragma once

#include "views/PrintedTable.h"

#include <QAbstractTableModel>

namespace sortana {

// A read-only table of texts under a header row, its figures flush right: the lists of the
// Categories window, shown just as they are printed.
class TextTableModel final : public QAbstractTableModel {
public:
    explicit TextTableModel(QStringList headings, QObject *parent = nullptr);

    // Rows of as many cells as there are headings.
    void setRows(std::vector<QStringList> rows);
    const PrintedTable &table() const { return m_table; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    QVariant alignment(int column) const;

    PrintedTable m_table;
};

} // namespace sortana
