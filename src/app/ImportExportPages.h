#pragma once

#include <QWizardPage>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace sortana {

class CImportExportWizard;
class StudySummaryPanel;

// A step of the import wizard. Pages keep no data of their own: everything lives in the
// wizard's import run, so going back and forth shows what the run holds.
class CImportExportPage : public QWizardPage {
public:
    CImportExportPage(CImportExportWizard &wizard, const QString &caption);
    // The page has just become the current one.
    void activate();

protected:
    virtual void OnSetActive() = 0;
    CImportExportWizard &wizard() { return m_wizard; }

private:
    CImportExportWizard &m_wizard;
    QString m_caption;
};

// Step 1: the input file. Next surveys it and presets the options from what it found.
class CImportExportOpenPage : public CImportExportPage {
public:
    explicit CImportExportOpenPage(CImportExportWizard &wizard);
    bool validatePage() override;

protected:
    void OnSetActive() override;

private:
    void browse();
    QLineEdit *m_input;
};

// Step 2: what the survey found and the analysis options.
class CImportExportOptionsPage : public CImportExportPage {
public:
    explicit CImportExportOptionsPage(CImportExportWizard &wizard);
    bool validatePage() override;
    // Takes the options into the import run and shows what they give; false (after telling
    // the user) when the copies are out of range.
    bool OnOptionChanged();

protected:
    void OnSetActive() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void reset();
    StudySummaryPanel *m_panel;
};

// Step 3: the files to be written. Finish reads the data file and clusters its items.
class CImportExportFinishPage : public CImportExportPage {
public:
    explicit CImportExportFinishPage(CImportExportWizard &wizard);
    bool validatePage() override;

protected:
    void OnSetActive() override;

private:
    QPlainTextEdit *m_exportList;
    QCheckBox *m_openCsv;
};

} // namespace sortana
