#include "views/CategoriesView.h"

#include "analysis/CategoryKey.h"
#include "analysis/LeafOrder.h"
#include "analysis/StandardisationFile.h"
#include "document/CSortanaMdiDoc.h"
#include "document/DocumentCategories.h"
#include "platform/PathParts.h"
#include "platform/Platform.h"
#include "platform/SafeFiles.h"
#include "views/CategoriesViewDialogs.h"
#include "views/PrintedTable.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace sortana {

namespace {

const QString csvFilter = QStringLiteral("Comma-separated files (*.csv);;All files (*)");

QTreeWidget *newList(const QStringList &headings, QAbstractItemView::SelectionMode selection)
{
    auto *list = new QTreeWidget;
    list->setHeaderLabels(headings);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setSelectionMode(selection);
    list->header()->setStretchLastSection(false);
    list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int column = 1; column < headings.size(); ++column) {
        list->header()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
        list->headerItem()->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
    }
    return list;
}

QTreeWidgetItem *newRow(const QStringList &cells)
{
    auto *row = new QTreeWidgetItem(cells);
    for (int column = 1; column < cells.size(); ++column)
        row->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
    return row;
}

QStringList figures(const Category &category)
{
    return {category.name, QString::number(category.participants), QString::number(category.groups),
            QString::number(category.cards), formatAgreement(category.agreement)};
}

} // namespace

CategoriesView::CategoriesView(CSortanaMdiDoc *document, Platform &platform, QWidget *parent)
    : DocumentWindow(document, platform, parent),
      m_page(new QWidget),
      m_message(new QLabel),
      m_splitter(new QSplitter(Qt::Horizontal)),
      m_categories(newList({QStringLiteral("Category"), QStringLiteral("Participants"), QStringLiteral("Groups"),
                            QStringLiteral("Cards"), QStringLiteral("Agreement %")},
                           QAbstractItemView::ExtendedSelection)),
      m_cards(newList({QStringLiteral("Card"), QStringLiteral("Placed by")}, QAbstractItemView::NoSelection)),
      m_spellings(newList({QStringLiteral("Spelling"), QStringLiteral("Groups")}, QAbstractItemView::NoSelection)),
      m_merge(new QPushButton(QStringLiteral("&Merge..."))),
      m_rename(new QPushButton(QStringLiteral("&Rename..."))),
      m_split(new QPushButton(QStringLiteral("&Split"))),
      m_suggest(new QPushButton(QStringLiteral("S&uggest Merges..."))),
      m_import(new QPushButton(QStringLiteral("&Import Standardisation..."))),
      m_export(new QPushButton(QStringLiteral("&Export Standardisation...")))
{
    // The window is a page of lists, not a scrolled drawing: the lists scroll themselves.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setViewport(m_page);
    m_message->setWordWrap(true);
    m_message->setAlignment(Qt::AlignCenter);
    m_message->setText(QString::fromUtf16(sortsMissingMessage));
    auto *details = new QSplitter(Qt::Vertical);
    details->addWidget(m_cards);
    details->addWidget(m_spellings);
    m_splitter->addWidget(m_categories);
    m_splitter->addWidget(details);
    m_splitter->setStretchFactor(0, 3);
    m_splitter->setStretchFactor(1, 2);
    auto *buttons = new QHBoxLayout;
    for (QPushButton *button : {m_merge, m_rename, m_split, m_suggest})
        buttons->addWidget(button);
    buttons->addStretch();
    buttons->addWidget(m_import);
    buttons->addWidget(m_export);
    auto *layout = new QVBoxLayout(m_page);
    layout->addWidget(m_message);
    layout->addWidget(m_splitter, 1);
    layout->addLayout(buttons);

    m_chooseName = [this](const QString &title, const QString &initial) {
        const std::unique_ptr<QInputDialog> dialog = newNameDialog(this, title, initial);
        return dialog->exec() == QDialog::Accepted ? dialog->textValue().trimmed() : QString();
    };
    m_chooseMerges = [this](const CategoryTable &table, const std::vector<SuggestedMerge> &suggestions) {
        SuggestMergesDialog dialog(table, suggestions, this);
        return dialog.exec() == QDialog::Accepted ? dialog.ticked() : std::vector<SuggestedMerge>();
    };
    m_chooseSaveFile = [this](const QString &title, const QString &initial) {
        return QFileDialog::getSaveFileName(this, title, initial, csvFilter);
    };
    m_chooseOpenFile = [this](const QString &title, const QString &initial) {
        return QFileDialog::getOpenFileName(this, title, initial, csvFilter);
    };
    connect(m_categories, &QTreeWidget::itemSelectionChanged, this, [this] {
        showSelected();
        updateButtons();
    });
    connect(m_merge, &QPushButton::clicked, this, [this] { mergeSelected(); });
    connect(m_rename, &QPushButton::clicked, this, [this] { renameSelected(); });
    connect(m_split, &QPushButton::clicked, this, [this] { splitSelected(); });
    connect(m_suggest, &QPushButton::clicked, this, [this] { suggestMerges(); });
    connect(m_import, &QPushButton::clicked, this, [this] { importStandardisation(); });
    connect(m_export, &QPushButton::clicked, this, [this] { exportStandardisation(); });
    if (m_document)
        m_document->addView(this);
}

CategoriesView::~CategoriesView()
{
    if (m_document)
        m_document->removeView(this);
}

void CategoriesView::OnInitialUpdate()
{
    OnUpdate(UpdateHint::NewStudy);
}

void CategoriesView::OnUpdate(UpdateHint)
{
    // Taken while the rows still stand for the old table: a change may reorder the
    // categories, and the selection goes with them rather than staying on its rows.
    const QStringList selected = selectedNames();
    m_table = m_document ? documentCategories(*m_document) : std::nullopt;
    // An empty document, before its first import, has nothing to say.
    m_message->setVisible(!m_table && m_document && m_document->hasStudy());
    m_splitter->setVisible(m_table.has_value());
    fillCategories(selected);
}

void CategoriesView::fillCategories(const QStringList &selected)
{
    const QSignalBlocker blocker(m_categories);
    m_categories->clear();
    if (m_table) {
        QList<QTreeWidgetItem *> rows;
        for (const Category &category : m_table->categories)
            rows << newRow(figures(category));
        m_categories->addTopLevelItems(rows);
    }
    selectCategories(selected);
}

std::vector<const Category *> CategoriesView::selectedCategories() const
{
    std::vector<const Category *> chosen;
    if (!m_table)
        return chosen;
    for (int row = 0; row < m_categories->topLevelItemCount(); ++row) {
        if (m_categories->topLevelItem(row)->isSelected() && size_t(row) < m_table->categories.size())
            chosen.push_back(&m_table->categories[size_t(row)]);
    }
    return chosen;
}

QStringList CategoriesView::selectedNames() const
{
    QStringList names;
    for (const Category *category : selectedCategories())
        names << category->name;
    return names;
}

void CategoriesView::selectCategories(const QStringList &names)
{
    QStringList keys;
    for (const QString &name : names)
        keys << categoryKey(name);
    for (int row = 0; row < m_categories->topLevelItemCount(); ++row) {
        QTreeWidgetItem *item = m_categories->topLevelItem(row);
        item->setSelected(keys.contains(categoryKey(item->text(0))));
    }
    showSelected();
    updateButtons();
}

void CategoriesView::showSelected()
{
    m_cards->clear();
    m_spellings->clear();
    const std::vector<const Category *> chosen = selectedCategories();
    if (chosen.size() != 1 || !m_document->itemNames)
        return;
    const Category &category = *chosen.front();
    // The cards as the dendrogram lists them.
    QList<QTreeWidgetItem *> cards;
    for (const int item : LeafOrder(m_document->clusterRoot())) {
        const int placed = category.placed(item);
        if (placed > 0 && item < m_document->itemNames->size())
            cards << newRow({(*m_document->itemNames)[item], QString::number(placed)});
    }
    m_cards->addTopLevelItems(cards);
    QList<QTreeWidgetItem *> spellings;
    for (const Spelling &spelling : category.spellings)
        spellings << newRow({spelling.text, QString::number(spelling.groups)});
    m_spellings->addTopLevelItems(spellings);
}

void CategoriesView::updateButtons()
{
    const std::vector<const Category *> chosen = selectedCategories();
    const bool merged = chosen.size() == 1 && m_document
        && m_document->standardisation.standardWithKey(categoryKey(chosen.front()->name));
    m_merge->setEnabled(chosen.size() >= 2);
    m_rename->setEnabled(chosen.size() == 1);
    m_split->setEnabled(merged);
    m_suggest->setEnabled(m_table.has_value());
    m_import->setEnabled(m_table.has_value());
    m_export->setEnabled(m_table.has_value());
}

void CategoriesView::mergeSelected()
{
    const std::vector<const Category *> chosen = selectedCategories();
    if (chosen.size() < 2)
        return;
    const QString name = m_chooseName(QStringLiteral("Merge Categories"), chosen.front()->name);
    if (name.isEmpty())
        return;
    QStringList spellings;
    for (const Category *category : chosen)
        spellings << category->spellingTexts();
    mergeCategories(*m_document, spellings, name);
    selectCategories({name});
}

void CategoriesView::renameSelected()
{
    const std::vector<const Category *> chosen = selectedCategories();
    if (chosen.size() != 1)
        return;
    const QString name = m_chooseName(QStringLiteral("Rename Category"), chosen.front()->name);
    if (name.isEmpty())
        return;
    mergeCategories(*m_document, chosen.front()->spellingTexts(), name);
    selectCategories({name});
}

void CategoriesView::splitSelected()
{
    const std::vector<const Category *> chosen = selectedCategories();
    if (chosen.size() != 1)
        return;
    // The originals come back selected, under their own names. The names are copied: the
    // change works the categories out again.
    const QStringList originals = chosen.front()->spellingTexts();
    const QString standard = chosen.front()->name;
    splitCategory(*m_document, standard);
    selectCategories(originals);
}

void CategoriesView::suggestMerges()
{
    if (!m_table)
        return;
    // A copy: the merge works the categories out again.
    const CategoryTable table = *m_table;
    const std::vector<SuggestedMerge> suggestions = sortana::suggestMerges(table);
    if (suggestions.empty()) {
        m_platform.messageBox(QStringLiteral("No categories differ only in their accents."), MessageIcon::Information,
                              MessageButtons::Ok);
        return;
    }
    const std::vector<SuggestedMerge> accepted = m_chooseMerges(table, suggestions);
    if (accepted.empty())
        return;
    mergeSuggested(*m_document, table, accepted);
    QStringList standards;
    for (const SuggestedMerge &merge : accepted)
        standards << merge.standard;
    selectCategories(standards);
}

void CategoriesView::exportStandardisation()
{
    if (!m_table)
        return;
    // Beside the document once it is saved, beside the study's input until then.
    const bool saved = !m_document->pathName.isEmpty() && QFileInfo::exists(m_document->pathName);
    const QString named = saved || !m_document->summary ? m_document->pathName : m_document->summary->fileName;
    const PathParts parts = splitPathAsStored(named);
    const QString initial = parts.folder + parts.baseName + QStringLiteral("-standardisation.csv");
    const QString path = m_chooseSaveFile(QStringLiteral("Export Standardisation"), initial);
    if (path.isEmpty())
        return;
    const QByteArray csv = standardisationCsv(standardisationRows(*m_table, m_document->standardisation));
    if (!saveReplacing(path, [&](QIODevice &file) { return file.write(csv) == csv.size(); }))
        m_platform.fileFailure(
            QStringLiteral("Failed to save the standardisation.\nMake sure the folder exists and is writable"));
}

void CategoriesView::importStandardisation()
{
    if (!m_table)
        return;
    const QString path =
        m_chooseOpenFile(QStringLiteral("Import Standardisation"), QFileInfo(m_document->pathName).path());
    if (path.isEmpty())
        return;
    QString error;
    std::optional<Standardisation> read = readStandardisationFile(path, error);
    if (!read) {
        m_platform.error(error);
        return;
    }
    setStandardisation(*m_document, std::move(*read));
}

bool CategoriesView::findNext(const QString &text)
{
    if (!m_table || text.isEmpty())
        return false;
    const int count = m_categories->topLevelItemCount();
    const std::vector<const Category *> chosen = selectedCategories();
    const int after = chosen.empty() ? -1 : int(chosen.front() - m_table->categories.data());
    for (int step = 1; step <= count; ++step) {
        const int row = (after + step) % count;
        if (m_categories->topLevelItem(row)->text(0).contains(text, Qt::CaseInsensitive)) {
            selectCategories({m_categories->topLevelItem(row)->text(0)});
            m_categories->scrollToItem(m_categories->topLevelItem(row));
            return true;
        }
    }
    return false;
}

bool CategoriesView::printTo(QPrinter &printer)
{
    if (!m_table)
        return false;
    PrintedTable table;
    for (int column = 0; column < m_categories->columnCount(); ++column) {
        table.headings << m_categories->headerItem()->text(column);
        table.flushRight.push_back(column > 0);
    }
    for (const Category &category : m_table->categories)
        table.rows.push_back(figures(category));
    return printPagesOn(printer, QStringLiteral("The categories"), [&](QPainter &painter, const auto &newPage) {
        return printTextPages(painter, newPage, m_document->title,
                              QStringLiteral("<h2>Categories</h2>") + tableHtml(table));
    });
}

} // namespace sortana
