#include "app/TableMappingPanel.h"

#include "app/Resources.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace sortana {

namespace {

constexpr int columnIds[] = {ControlId::participantColumn, ControlId::cardColumn, ControlId::cardIdColumn,
                             ControlId::categoryColumn, ControlId::categoryIdColumn};

int columnOf(const TableReading &reading, int role)
{
    switch (role) {
    case TableMappingPanel::Participant: return reading.participant;
    case TableMappingPanel::Card: return reading.card;
    case TableMappingPanel::CardId: return reading.cardId;
    case TableMappingPanel::Category: return reading.category;
    default: return reading.categoryId;
    }
}

QString &givenColumn(TableOptions &options, int role)
{
    switch (role) {
    case TableMappingPanel::Participant: return options.participant;
    case TableMappingPanel::Card: return options.card;
    case TableMappingPanel::CardId: return options.cardId;
    case TableMappingPanel::Category: return options.category;
    default: return options.categoryId;
    }
}

} // namespace

TableMappingPanel::TableMappingPanel(QWidget *parent)
    : QWidget(parent), m_layout(new QComboBox), m_header(new QCheckBox(tr("First row is a &header"))),
      m_preview(new QTableWidget)
{
    setControlId(*m_layout, ControlId::tableLayout);
    setControlId(*m_header, ControlId::tableHeader);
    setControlId(*m_preview, ControlId::tablePreview);
    m_layout->addItems({tr("One row per card"), tr("One row per participant")});
    connect(m_layout, &QComboBox::activated, this, &TableMappingPanel::changed);
    connect(m_header, &QCheckBox::clicked, this, &TableMappingPanel::changed);

    const QString labels[] = {tr("&Participant:"), tr("Car&d:"), tr("Card &id:"), tr("Ca&tegory:"),
                              tr("Categor&y id:")};
    auto *grid = new QGridLayout;
    auto *layoutLabel = new QLabel(tr("&Layout:"));
    layoutLabel->setBuddy(m_layout);
    grid->addWidget(layoutLabel, 0, 0);
    grid->addWidget(m_layout, 0, 1);
    grid->addWidget(m_header, 0, 2, 1, 2);
    for (int role = 0; role < RoleCount; ++role) {
        auto *combo = new QComboBox;
        setControlId(*combo, columnIds[role]);
        // Long header texts would widen the wizard; the list itself shows them whole.
        combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        combo->setMinimumContentsLength(14);
        connect(combo, &QComboBox::activated, this, &TableMappingPanel::changed);
        m_columns[std::size_t(role)] = combo;
        auto *label = new QLabel(labels[role]);
        label->setBuddy(combo);
        // Participant and card on the first row of roles, their ids and the category beside.
        const int row = 1 + role / 2;
        const int column = 2 * (role % 2);
        grid->addWidget(label, row, column);
        grid->addWidget(combo, row, column + 1);
    }
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    m_preview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_preview->setSelectionMode(QAbstractItemView::NoSelection);
    m_preview->setFocusPolicy(Qt::NoFocus);
    m_preview->setWordWrap(false);
    m_preview->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_preview->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_preview->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    // Apart from the options above it: these say how the file is read, not how it is scored.
    auto *line = new QFrame;
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(line);
    layout->addLayout(grid);
    layout->addWidget(new QLabel(tr("First rows:")));
    layout->addWidget(m_preview);
}

void TableMappingPanel::showReading(const Table &table, const TableReading &reading)
{
    qsizetype widest = 0;
    for (const QStringList &row : table.rows)
        widest = std::max(widest, row.size());
    const int columnCount = int(widest);

    m_layout->setCurrentIndex(reading.wide ? 1 : 0);
    m_header->setChecked(reading.header);
    fillColumns(table, reading.header, columnCount);
    for (int role = 0; role < RoleCount; ++role) {
        QComboBox &combo = *m_columns[std::size_t(role)];
        combo.setCurrentIndex(std::max(0, combo.findData(columnOf(reading, role))));
        // In a table of one row per participant every other column is a card.
        combo.setEnabled(role == Participant || !reading.wide);
    }
    fillPreview(table, reading, columnCount);
}

void TableMappingPanel::fillColumns(const Table &table, bool header, int columnCount)
{
    const QStringList names = header && !table.rows.empty() ? table.rows.front() : QStringList();
    for (int role = 0; role < RoleCount; ++role) {
        QComboBox &combo = *m_columns[std::size_t(role)];
        combo.clear();
        // Every role but the participant can be left out: a card or a category by its id alone.
        if (role != Participant)
            combo.addItem(tr("(none)"), -1);
        for (int c = 0; c < columnCount; ++c) {
            const QString name = names.value(c);
            combo.addItem(name.isEmpty() ? tr("Column %1").arg(c + 1) : tr("%1: %2").arg(c + 1).arg(name), c);
        }
    }
}

void TableMappingPanel::fillPreview(const Table &table, const TableReading &reading, int columnCount)
{
    const bool header = reading.header;
    const int first = header ? 1 : 0;
    const int shown = std::clamp(int(table.rows.size()) - first, 0, previewRows);
    m_preview->clear();
    m_preview->setColumnCount(columnCount);
    m_preview->setRowCount(shown);
    // Without a header row the columns are called by the roles they were given.
    const QString roleNames[] = {tr("Participant"), tr("Card"), tr("Card id"), tr("Category"), tr("Category id")};
    QStringList columnNames;
    for (int c = 0; c < columnCount; ++c) {
        QString name = header ? table.rows.front().value(c) : QString();
        for (int role = 0; role < RoleCount && name.isEmpty() && !reading.wide; ++role) {
            if (columnOf(reading, role) == c)
                name = roleNames[role];
        }
        columnNames << (name.isEmpty() ? QString::number(c + 1) : name);
    }
    m_preview->setHorizontalHeaderLabels(columnNames);
    QStringList rowNumbers;   // as the file numbers them, the header row included
    for (int r = 0; r < shown; ++r) {
        const QStringList &cells = table.rows[std::size_t(first) + std::size_t(r)];
        rowNumbers << QString::number(first + r + 1);
        for (int c = 0; c < columnCount; ++c)
            m_preview->setItem(r, c, new QTableWidgetItem(cells.value(c)));
    }
    m_preview->setVerticalHeaderLabels(rowNumbers);
    // Tall enough for the rows shown, so the preview needs no vertical scroll bar,
    int height = m_preview->horizontalHeader()->sizeHint().height() + 2 * m_preview->frameWidth();
    for (int r = 0; r < shown; ++r)
        height += m_preview->verticalHeader()->sectionSizeHint(r);
    // and room for the scroll bar that a table with many columns needs.
    height += m_preview->horizontalScrollBar()->sizeHint().height();
    m_preview->setFixedHeight(height);
}

TableOptions TableMappingPanel::chosenOptions(const QString &sheet) const
{
    TableOptions options;
    options.sheet = sheet;
    const bool wide = m_layout->currentIndex() == 1;
    options.layout = wide ? TableOptions::Layout::Wide : TableOptions::Layout::Long;
    options.header = m_header->isChecked() ? TableOptions::Header::Present : TableOptions::Header::Absent;
    for (int role = 0; role < RoleCount; ++role) {
        const int column = m_columns[std::size_t(role)]->currentData().toInt();
        // A wide table takes its cards from its header row: only its participant column counts.
        if (column >= 0 && (role == Participant || !wide))
            givenColumn(options, role) = QString::number(column + 1);
    }
    return options;
}

void TableMappingPanel::changed()
{
    if (m_onChange)
        m_onChange();
}

} // namespace sortana
