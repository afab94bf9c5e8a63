#pragma once

#include "analysis/Categories.h"
#include "analysis/StandardisationSuggestions.h"
#include "views/DocumentWindow.h"

#include <functional>
#include <optional>

#include <QCoreApplication>

class QLabel;
class QPushButton;
class QSplitter;
class QTreeView;

namespace sortana {

class TextTableModel;

// The window on what the participants called their groups: the categories with their
// figures; for the one selected, its cards with the participants who placed each there and
// its original spellings. The user merges several categories under a name of their own,
// renames one, splits a merged one again, merges those that differ only in accents when
// the user accepts the suggestion, and exports or imports the standardisation as a
// file a spreadsheet can edit; every change is the document's, which is then modified, and
// every window follows it at once. A document saved without the sorts gets a line that says
// so.
class CategoriesView final : public DocumentWindow {
    Q_DECLARE_TR_FUNCTIONS(CategoriesView)

public:
    // Asks for a text, the initial one in; empty when cancelled.
    using TextChooser = std::function<QString(const QString &title, const QString &initial)>;
    // Shows the suggested merges and returns those the user accepted; none when cancelled.
    using MergeChooser =
        std::function<std::vector<SuggestedMerge>(const CategoryTable &, const std::vector<SuggestedMerge> &)>;

    CategoriesView(Document *document, Platform &platform, QWidget *parent = nullptr);
    CategoriesView(const CategoriesView &) = delete;
    CategoriesView &operator=(const CategoriesView &) = delete;

    void initialUpdate() override;
    void documentUpdated(UpdateHint hint) override;
    // The window shows a table, not a picture: nothing to copy, drag or export as one.
    bool canCopy() const override { return false; }
    void copyToClipboard() override {}
    bool exportPicture(const QString &, int) override { return false; }
    // Selects the next category whose name holds the text.
    bool findNext(const QString &text) override;
    bool canFind() const override { return m_table.has_value(); }
    // The categories' table, on as many pages as it takes.
    bool printTo(QPrinter &printer) override;

    // The name of a merge or rename; the files of the standardisation's export and import.
    void setNameChooser(TextChooser chooser) { m_chooseName = std::move(chooser); }
    void setSaveFileChooser(TextChooser chooser) { m_chooseSaveFile = std::move(chooser); }
    void setOpenFileChooser(TextChooser chooser) { m_chooseOpenFile = std::move(chooser); }
    void setMergeChooser(MergeChooser chooser) { m_chooseMerges = std::move(chooser); }

    // The commands of the window's buttons, on the categories selected.
    void mergeSelected();
    void renameSelected();
    void splitSelected();
    // Offers the categories that differ only in accents for merging.
    void suggestMerges();
    void exportStandardisation();
    void importStandardisation();

    const std::optional<CategoryTable> &table() const { return m_table; }
    QTreeView &categoryList() const { return *m_categories; }
    QTreeView &cardList() const { return *m_cards; }
    QTreeView &spellingList() const { return *m_spellings; }
    QLabel &messageLine() const { return *m_message; }
    // Selects the categories of these names, and only them.
    void selectCategories(const QStringList &names);
    QStringList selectedNames() const;

private:
    std::vector<const Category *> selectedCategories() const;
    void fillCategories(const QStringList &selected);
    // The category's name on a row of the list.
    QString nameOnRow(int row) const;
    void showSelected();
    void updateButtons();

    std::optional<CategoryTable> m_table;
    QWidget *m_page;
    QLabel *m_message;
    QSplitter *m_splitter;
    TextTableModel *m_categoryRows;
    TextTableModel *m_cardRows;
    TextTableModel *m_spellingRows;
    QTreeView *m_categories;
    QTreeView *m_cards;
    QTreeView *m_spellings;
    QPushButton *m_merge;
    QPushButton *m_rename;
    QPushButton *m_split;
    QPushButton *m_suggest;
    QPushButton *m_import;
    QPushButton *m_export;
    TextChooser m_chooseName;
    TextChooser m_chooseSaveFile;
    TextChooser m_chooseOpenFile;
    MergeChooser m_chooseMerges;
};

} // namespace sortana
