#include "views/CategoriesViewDialogs.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace sortana {

namespace {

// Room in a title bar beside its text for the icon and the window's buttons, in lines of text.
constexpr int titleBarButtonLines = 6;
// Names longer than this many average characters scroll in their field.
constexpr int widestNameCharacters = 60;

} // namespace

std::unique_ptr<QInputDialog> newNameDialog(QWidget *parent, const QString &title, const QString &initial)
{
    auto dialog = std::make_unique<QInputDialog>(parent);
    dialog->setWindowTitle(title);
    dialog->setInputMode(QInputDialog::TextInput);
    dialog->setLabelText(QCoreApplication::translate("CategoriesViewDialogs", "Name:"));
    dialog->setTextValue(initial);
    // The dialog's own width is only as wide as its field's, which shows some 20 characters:
    // too narrow for the title in the title bar and for many a category's name.
    const QFontMetrics metrics = dialog->fontMetrics();
    const int frame = 4 * metrics.averageCharWidth();
    const int forTitle = metrics.horizontalAdvance(title) + titleBarButtonLines * metrics.height();
    const int forName = std::min(metrics.horizontalAdvance(initial), widestNameCharacters * metrics.averageCharWidth());
    if (auto *field = dialog->findChild<QLineEdit *>())
        field->setMinimumWidth(std::max(forTitle, forName + frame));
    return dialog;
}

SuggestMergesDialog::SuggestMergesDialog(const CategoryTable &table, std::vector<SuggestedMerge> suggestions,
                                         QWidget *parent)
    : QDialog(parent),
      m_suggestions(std::move(suggestions)),
      m_list(new QTreeWidget)
{
    setWindowTitle(tr("Suggest Merges"));
    auto *explanation = new QLabel(
        tr("These categories differ only in their accents. Tick the sets to merge, each under the name shown."));
    explanation->setWordWrap(true);
    m_list->setHeaderLabels({tr("Category"), tr("Groups")});
    m_list->header()->setStretchLastSection(false);
    m_list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_list->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    for (const SuggestedMerge &suggestion : m_suggestions) {
        auto *set = new QTreeWidgetItem(m_list, {suggestion.standard});
        set->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        set->setCheckState(0, Qt::Unchecked);
        for (const std::size_t member : suggestion.members) {
            const Category &category = table.categories[member];
            auto *row = new QTreeWidgetItem(set, {category.name, QString::number(category.groups)});
            row->setFlags(Qt::ItemIsEnabled);
            row->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        }
        set->setExpanded(true);
    }
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("&Merge Ticked"));
    QPushButton *tickAllButton = buttons->addButton(tr("&Tick All"), QDialogButtonBox::ActionRole);
    QPushButton *clearButton = buttons->addButton(tr("&Clear All"), QDialogButtonBox::ActionRole);
    connect(tickAllButton, &QPushButton::clicked, this, [this] { tickAll(true); });
    connect(clearButton, &QPushButton::clicked, this, [this] { tickAll(false); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(explanation);
    layout->addWidget(m_list, 1);
    layout->addWidget(buttons);
    resize(560, 420);
}

void SuggestMergesDialog::tickAll(bool ticked)
{
    for (int row = 0; row < m_list->topLevelItemCount(); ++row)
        m_list->topLevelItem(row)->setCheckState(0, ticked ? Qt::Checked : Qt::Unchecked);
}

std::vector<SuggestedMerge> SuggestMergesDialog::ticked() const
{
    std::vector<SuggestedMerge> chosen;
    for (int row = 0; row < m_list->topLevelItemCount(); ++row) {
        if (m_list->topLevelItem(row)->checkState(0) == Qt::Checked)
            chosen.push_back(m_suggestions[std::size_t(row)]);
    }
    return chosen;
}

} // namespace sortana
