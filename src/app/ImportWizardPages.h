#pragma once

#include "formats/Table.h"
#include "formats/TableStudy.h"

#include <QCoreApplication>
#include <QWizardPage>

#include <optional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace sortana {

class ImportWizard;
class StudySummaryPanel;
class TableMappingPanel;

// A step of the import wizard. Pages keep no data of their own: everything lives in the
// wizard's import run, so going back and forth shows what the run holds.
class ImportWizardPage : public QWizardPage {
public:
    ImportWizardPage(ImportWizard &wizard, const QString &caption);
    // The page has just become the current one.
    void activate();

protected:
    virtual void activatePage() = 0;
    ImportWizard &wizard() { return m_wizard; }

private:
    ImportWizard &m_wizard;
    QString m_caption;
};

// Step 1: the input file and the folder of the analysis files. Next surveys the file, presets
// the options from what it found, and makes sure the folder can be written to.
class ImportInputPage : public ImportWizardPage {
    Q_DECLARE_TR_FUNCTIONS(ImportInputPage)

public:
    explicit ImportInputPage(ImportWizard &wizard);
    bool validatePage() override;

protected:
    void activatePage() override;

private:
    void browse();
    void chooseFolder();
    void inputChanged();
    // The folder the analysis files go into: the one shown, or the input's when none is.
    QString outputFolder() const;
    // Empty when that is the input's own folder, which the analysis files' names already say.
    QString otherFolder() const;
    void showExistingFiles();
    // Why the analysis files cannot go into the folder; empty when they can.
    QString folderRefusal();
    // Asks for another folder until one can be written to; false when the user gives up.
    bool settleWritableFolder();
    // A table whose columns neither its header nor its content tell apart, or whose header
    // names some roles and not all: the user is asked to choose them on step 2, which starts
    // from the columns suggested. Nullopt for every other input, read as its kind says.
    std::optional<TableOptions> undecidedColumns(const QString &path);
    QLineEdit *m_input;
    QLineEdit *m_folder;
    QLabel *m_existingFiles;
    // Until the user picks a folder, it is the input's.
    bool m_folderFollowsInput = true;
};

// Step 2: what the survey found and the analysis options; for a table from another card-sort
// tool also how it is read, which can be changed here.
class ImportOptionsPage : public ImportWizardPage {
    Q_DECLARE_TR_FUNCTIONS(ImportOptionsPage)

public:
    explicit ImportOptionsPage(ImportWizard &wizard);
    bool validatePage() override;
    // Takes the options into the import run and shows what they give; false (after telling
    // the user) when the copies are out of range.
    bool optionChanged();

protected:
    void activatePage() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void reset();
    // Shows how the input is read when it is a table, and hides the table's controls when it
    // is not.
    void showTable();
    // Surveys the table afresh as the controls now read it; a reading that cannot be used is
    // told and the previous one kept.
    void tableChoiceChanged();
    StudySummaryPanel *m_panel;
    TableMappingPanel *m_tablePanel;
    // The input table as read for its preview, read again at every arrival on the page.
    Table m_table;
};

// Step 3: the files to be written. Finish reads the data file and clusters its items.
class ImportFinishPage : public ImportWizardPage {
    Q_DECLARE_TR_FUNCTIONS(ImportFinishPage)

public:
    explicit ImportFinishPage(ImportWizard &wizard);
    bool validatePage() override;

protected:
    void activatePage() override;

private:
    // The files to be written and those of them that exist, with the UTF-8 copies when on.
    void showFiles();
    QPlainTextEdit *m_exportList;
    QLabel *m_existingFiles;
    QCheckBox *m_utf8Csv;
    QCheckBox *m_openCsv;
};

} // namespace sortana
