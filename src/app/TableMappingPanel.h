#pragma once

#include "formats/Table.h"
#include "formats/TableStudy.h"

#include <QCoreApplication>
#include <QWidget>

#include <array>
#include <functional>

class QCheckBox;
class QComboBox;
class QTableWidget;

namespace sortana {

// How a table from another card-sort tool is read: its layout, whether its first row names
// the columns, and the column of each role, beside the table's first rows to choose them by.
class TableMappingPanel : public QWidget {
    Q_DECLARE_TR_FUNCTIONS(TableMappingPanel)

public:
    // The roles in the order of TableReading, and of the combo boxes.
    enum Role { Participant, Card, CardId, Category, CategoryId, RoleCount };

    explicit TableMappingPanel(QWidget *parent = nullptr);

    // Shows the table as the reading reads it.
    void showReading(const Table &table, const TableReading &reading);
    // The options the controls spell out: every role by its column number, so a choice stays
    // put when the header row is switched off.
    TableOptions chosenOptions(const QString &sheet) const;
    // Called when the user changes any choice (never when the panel is filled).
    void setOnChange(std::function<void()> onChange) { m_onChange = std::move(onChange); }

    static constexpr int previewRows = 5;

private:
    void fillColumns(const Table &table, bool header, int columnCount);
    void fillPreview(const Table &table, const TableReading &reading, int columnCount);
    void changed();

    QComboBox *m_layout;
    QCheckBox *m_header;
    std::array<QComboBox *, RoleCount> m_columns{};
    QTableWidget *m_preview;
    std::function<void()> m_onChange;
};

} // namespace sortana
