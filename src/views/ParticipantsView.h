#pragma once

#include "analysis/ParticipantChecks.h"
#include "study/Study.h"
#include "views/DocumentWindow.h"
#include "views/ParticipantsModel.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <QCoreApplication>

class QLabel;
class QPushButton;
class QSortFilterProxyModel;
class QStackedWidget;
class QTableView;
class QTextBrowser;

namespace sortana {

struct AnalysisFileNames;

// The window on a document's participants: one row per participant with the figures that
// tell a sort that should not count (groups, cards, mean distance to the others, flags), the
// flagged rows shaded, sortable by every column, and beside it the most representative sorts
// group by group. The user ticks participants (or all the flagged ones) and analyses the study
// again without them, or brings everyone back; every window on the document follows. A
// document saved without the sorts gets a line that says so.
class ParticipantsView final : public DocumentWindow {
    Q_DECLARE_TR_FUNCTIONS(ParticipantsView)

public:
    // Asks where the analysis files go: the default Cards file's path in, the chosen path out
    // (empty when the user cancelled). The other four files take the same name.
    using FilesChooser = std::function<QString(const QString &initialCardsPath)>;

    using Column = ParticipantsModel::Column;
    using enum ParticipantsModel::Column;

    ParticipantsView(Document *document, Platform &platform, QWidget *parent = nullptr);
    ParticipantsView(const ParticipantsView &) = delete;
    ParticipantsView &operator=(const ParticipantsView &) = delete;

    void initialUpdate() override;
    // The figures are worked out again only when the sorts changed (a new import); leaving
    // participants out changes no figure, only who is shown as left out.
    void documentUpdated(UpdateHint hint) override;
    // Copy puts the table on the clipboard as tab-separated text, in the order shown.
    bool canCopy() const override;
    void copyToClipboard() override;
    // The table, who is left out and the representative sorts, over as many pages as needed.
    bool printTo(QPrinter &printer) override;
    // Selects the next participant whose id holds the text, whatever its case.
    bool findNext(const QString &text) override;
    // A table is no picture: the user is told to copy or print it instead.
    bool exportPicture(const QString &path, int pngDpi) override;

    void setFilesChooser(FilesChooser chooser) { m_chooseFiles = std::move(chooser); }
    // Asked at every Analyse Again: whether the analysis files also get their UTF-8 copies.
    void setUtf8CsvChoice(std::function<bool()> choice) { m_utf8CsvChoice = std::move(choice); }

    // The participants ticked to be left out at the next Analyse Again, in file order.
    std::vector<qint32> ticked() const;
    // False when the participant cannot be ticked: the expert, or not a participant.
    bool setTicked(qint32 participant, bool ticked);
    // Ticks every flagged participant; the others keep their ticks.
    void tickAllFlagged();
    // Asks for the analysis files' name and analyses the study again without the ticked
    // participants. False when it was not done (cancelled, refused or failed, after telling
    // the user).
    bool analyseAgain();
    // The same with everybody counted again.
    bool includeAll();

    QTableView &table() const { return *m_table; }
    // What the window says of who is left out, and of the representative sorts, as plain text.
    QString leftOutLine() const;
    QString representativeText() const;
    // The figures shown; nothing for a document without the sorts.
    const std::optional<ParticipantChecks> &checks() const { return m_checks; }

private:
    void fill();
    void showLeftOut();
    void updateButtons();
    bool runAnalysis(std::vector<qint32> leftOut);
    QString tableText() const;
    QString representativeHtml() const;
    QString printedHtml() const;

    QStackedWidget *m_pages;
    QLabel *m_missing;
    QLabel *m_leftOut;
    ParticipantsModel *m_model;
    QSortFilterProxyModel *m_sorted;
    QTableView *m_table;
    QTextBrowser *m_representative;
    QPushButton *m_tickFlagged;
    QPushButton *m_analyseAgain;
    QPushButton *m_includeAll;
    FilesChooser m_chooseFiles;
    std::function<bool()> m_utf8CsvChoice;
    std::optional<ParticipantChecks> m_checks;
    // The study the figures were worked out from, to tell when they must be worked out again.
    std::shared_ptr<const Study> m_checkedStudy;
};

// The five analysis files named after the path the user chose for the Cards file (with or
// without "-Cards.csv"), for a study read from `inputPath`.
AnalysisFileNames analysisFilesNamedBy(const QString &chosenCardsPath, const QString &inputPath);

} // namespace sortana
