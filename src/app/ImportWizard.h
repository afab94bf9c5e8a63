#pragma once

#include "tasks/ImportRun.h"

#include <QWizard>

class QSettings;

namespace sortana {

class Platform;

// The user's last choice on step 3, kept per user: whether the analysis files also get their
// UTF-8 copies for spreadsheets, at an import and at Analyse Again.
bool utf8CsvCopiesChosen(const QSettings &settings);
void chooseUtf8CsvCopies(QSettings &settings, bool chosen);

// The three steps from a raw data file to a clustered study: the input file and its survey,
// the analysis options, and the list of files to be written, where Finish reads and
// clusters. It owns the whole import run; the import command takes the results it needs
// once the wizard closed with OK.
class ImportWizard : public QWizard {
public:
    enum Step { OpenStep, OptionsStep, FinishStep };

    // The choices the user makes for every import start as they were last time and are kept
    // at Finish, in the settings when there are any.
    explicit ImportWizard(Platform &platform, QWidget *parent = nullptr, QSettings *settings = nullptr);

    // Runs the wizard; QDialog::Accepted once Finish succeeded.
    QString inputPath() const { return m_run.fileNames().inputPath; }
    ImportRun &run() { return m_run; }
    const ImportRun &run() const { return m_run; }
    Platform &platform() { return m_platform; }

    // The open-csv box as it was at Finish.
    bool openCsvOnCompletion = false;
    // What the input field first holds: a dropped or opened data file, or the last input.
    QString presetInput;
    // Keeps the choices for the next import; called at Finish.
    void rememberChoices();

private:
    Platform &m_platform;
    QSettings *m_settings;
    ImportRun m_run;
};

} // namespace sortana
