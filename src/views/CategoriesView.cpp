#include "views/CategoriesView.h"

#include "document/Document.h"
#include "document/DocumentCategories.h"
#include "formats/StandardisationFile.h"
#include "platform/PathParts.h"
#include "platform/Platform.h"
#include "platform/SafeFiles.h"
#include "study/CategoryKey.h"
#include "views/CategoriesViewDialogs.h"
#include "views/PrintedTable.h"
#include "views/TextTableModel.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QSplitter>
#include <QTreeView>

#include <algorithm>
#include <QVBoxLayout>

namespace sortana {

namespace {

QString csvFilter()
{
    return QCoreApplication::translate("CategoriesView", "Comma-separated files (*.csv);;All files (*)");
}

QTreeView *newList(TextTableModel *rows, QAbstractItemView::SelectionMode selection)
{
    auto *list = new QTreeView;
    list->setModel(rows);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setSelectionMode(selection);
    list->header()->setStretchLastSection(false);
    list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int column = 1; column < rows->columnCount(); ++column)
        list->header()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    return list;
}

QStringList figures(const Category &category)
{
    return {category.name, QString::number(category.participants), QString::number(category.groups),
            QString::number(category.cards), formatAgreement(category.agreement)};
}

} // namespace

CategoriesView::CategoriesView(Document *document, Platform &platform, QWidget *parent)
    : DocumentWindow(document, platform, parent),
      m_page(new QWidget),
      m_message(new QLabel),
      m_splitter(new QSplitter(Qt::Horizontal)),
      m_categoryRows(
          new TextTableModel({tr("Category"), tr("Participants"), tr("Groups"), tr("Cards"), tr("Agreement %")}, this)),
      m_cardRows(new TextTableModel({tr("Card"), tr("Placed by")}, this)),
      m_spellingRows(new TextTableModel({tr("Spelling"), tr("Groups")}, this)),
      m_categories(newList(m_categoryRows, QAbstractItemView::ExtendedSelection)),
      m_cards(newList(m_cardRows, QAbstractItemView::NoSelection)),
      m_spellings(newList(m_spellingRows, QAbstractItemView::NoSelection)),
      m_merge(new QPushButton(tr("&Merge..."))),
      m_rename(new QPushButton(tr("&Rename..."))),
      m_split(new QPushButton(tr("&Split"))),
      m_suggest(new QPushButton(tr("S&uggest Merges..."))),
      m_import(new QPushButton(tr("&Import Standardisation..."))),
      m_export(new QPushButton(tr("&Export Standardisation...")))
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
        return QFileDialog::getSaveFileName(this, title, initial, csvFilter());
    };
    m_chooseOpenFile = [this](const QString &title, const QString &initial) {
        return QFileDialog::getOpenFileName(this, title, initial, csvFilter());
    };
    connect(m_categories->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        showSelected();
        updateButtons();
    });
    connect(m_merge, &QPushButton::clicked, this, [this] { mergeSelected(); });
    connect(m_rename, &QPushButton::clicked, this, [this] { renameSelected(); });
    connect(m_split, &QPushButton::clicked, this, [this] { splitSelected(); });
    connect(m_suggest, &QPushButton::clicked, this, [this] { suggestMerges(); });
    connect(m_import, &QPushButton::clicked, this, [this] { importStandardisation(); });
    connect(m_export, &QPushButton::clicked, this, [this] { exportStandardisation(); });
}

void CategoriesView::initialUpdate()
{
    documentUpdated(UpdateHint::NewStudy);
}

void CategoriesView::documentUpdated(UpdateHint)
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
    std::vector<QStringList> rows;
    if (m_table) {
        for (const Category &category : m_table->categories)
            rows.push_back(figures(category));
    }
    m_categoryRows->setRows(std::move(rows));
    selectCategories(selected);
}

QString CategoriesView::nameOnRow(int row) const
{
    return m_categoryRows->index(row, 0).data().toString();
}

std::vector<const Category *> CategoriesView::selectedCategories() const
{
    std::vector<const Category *> chosen;
    if (!m_table)
        return chosen;
    for (const QModelIndex &row : m_categories->selectionModel()->selectedRows()) {
        if (size_t(row.row()) < m_table->categories.size())
            chosen.push_back(&m_table->categories[size_t(row.row())]);
    }
    // In the table's order, whatever order the user selected them in.
    std::sort(chosen.begin(), chosen.end());
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
    QItemSelection rows;
    for (int row = 0; row < m_categoryRows->rowCount(); ++row) {
        if (keys.contains(categoryKey(nameOnRow(row))))
            rows.select(m_categoryRows->index(row, 0), m_categoryRows->index(row, m_categoryRows->columnCount() - 1));
    }
    m_categories->selectionModel()->select(rows, QItemSelectionModel::ClearAndSelect);
    showSelected();
    updateButtons();
}

void CategoriesView::showSelected()
{
    std::vector<QStringList> cards;
    std::vector<QStringList> spellings;
    const std::vector<const Category *> chosen = selectedCategories();
    if (chosen.size() == 1 && m_document->hasStudy()) {
        const Category &category = *chosen.front();
        // The cards as the dendrogram lists them.
        for (const int item : m_document->leafOrder()) {
            const int placed = category.placed(item);
            if (placed > 0 && item < m_document->study().itemNames.size())
                cards.push_back({(m_document->study().itemNames)[item], QString::number(placed)});
        }
        for (const Spelling &spelling : category.spellings)
            spellings.push_back({spelling.text, QString::number(spelling.groups)});
    }
    m_cardRows->setRows(std::move(cards));
    m_spellingRows->setRows(std::move(spellings));
}

void CategoriesView::updateButtons()
{
    const std::vector<const Category *> chosen = selectedCategories();
    const bool merged = chosen.size() == 1 && m_document
        && m_document->standardisation().standardWithKey(categoryKey(chosen.front()->name));
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
    const QString name = m_chooseName(tr("Merge Categories"), chosen.front()->name);
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
    const QString name = m_chooseName(tr("Rename Category"), chosen.front()->name);
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
        m_platform.messageBox(tr("No categories differ only in their accents."), MessageIcon::Information,
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
    const QString named =
        saved || !m_document->hasStudy() ? m_document->pathName : m_document->study().summary.fileName;
    const PathParts parts = splitPathAsStored(named);
    const QString initial = parts.folder + parts.baseName + QStringLiteral("-standardisation.csv");
    const QString path = m_chooseSaveFile(tr("Export Standardisation"), initial);
    if (path.isEmpty())
        return;
    const QByteArray csv = standardisationCsv(standardisationRows(*m_table, m_document->standardisation()));
    if (!saveReplacing(path, [&](QIODevice &file) { return file.write(csv) == csv.size(); }))
        m_platform.fileFailure(tr("Failed to save the standardisation.\nMake sure the folder exists and is writable"));
}

void CategoriesView::importStandardisation()
{
    if (!m_table)
        return;
    const QString path = m_chooseOpenFile(tr("Import Standardisation"), QFileInfo(m_document->pathName).path());
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
    const int count = m_categoryRows->rowCount();
    const std::vector<const Category *> chosen = selectedCategories();
    const int after = chosen.empty() ? -1 : int(chosen.front() - m_table->categories.data());
    for (int step = 1; step <= count; ++step) {
        const int row = (after + step) % count;
        if (nameOnRow(row).contains(text, Qt::CaseInsensitive)) {
            selectCategories({nameOnRow(row)});
            m_categories->scrollTo(m_categoryRows->index(row, 0));
            return true;
        }
    }
    return false;
}

bool CategoriesView::printTo(QPrinter &printer)
{
    if (!m_table)
        return false;
    const PrintedTable &table = m_categoryRows->table();
    return printPagesOn(printer, tr("The categories"), [&](QPainter &painter, const auto &newPage) {
        return printTextPages(painter, newPage, m_document->title,
                              QStringLiteral("<h2>%1</h2>").arg(tr("Categories")) + tableHtml(table));
    });
}

} // namespace sortana
