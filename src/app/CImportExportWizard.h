#pragma once

#include "document/ImportRun.h"

#include <QWizard>

namespace sortana {

class Platform;

// The three steps from a raw data file to a clustered study: the input file and its survey,
// the analysis options, and the list of files to be written, where Finish reads and
// clusters. It owns the whole import run; the import command takes the results it needs
// once the wizard closed with OK.
class CImportExportWizard : public QWizard {
public:
    enum Step { OpenStep, OptionsStep, FinishStep };

    explicit CImportExportWizard(Platform &platform, QWidget *parent = nullptr);

    // Runs the wizard; QDialog::Accepted once Finish succeeded.
    int DoModal() { return exec(); }
    QString GetInputPath() const { return m_run.fileNames().inputPath; }
    ImportRun &run() { return m_run; }
    const ImportRun &run() const { return m_run; }
    Platform &platform() { return m_platform; }

    // The open-csv box as it was at Finish.
    bool openCsvOnCompletion = false;

private:
    Platform &m_platform;
    ImportRun m_run;
};

} // namespace sortana
