#pragma once

#include "analysis/StandardisationSuggestions.h"

#include <QCoreApplication>
#include <QDialog>

#include <memory>

class QInputDialog;
class QTreeWidget;

namespace sortana {

// Asks for the name of a merge or rename, wide enough to show its whole title and the
// name it starts with.
std::unique_ptr<QInputDialog> newNameDialog(QWidget *parent, const QString &title, const QString &initial);

// Suggest Merges: the proposed sets, each a row the user ticks with its members under it.
// Nothing is ticked until the user ticks it.
class SuggestMergesDialog final : public QDialog {
    Q_DECLARE_TR_FUNCTIONS(SuggestMergesDialog)

public:
    SuggestMergesDialog(const CategoryTable &table, std::vector<SuggestedMerge> suggestions, QWidget *parent = nullptr);

    QTreeWidget &list() const { return *m_list; }
    void tickAll(bool ticked);
    std::vector<SuggestedMerge> ticked() const;

private:
    std::vector<SuggestedMerge> m_suggestions;
    QTreeWidget *m_list;
};

} // namespace sortana
