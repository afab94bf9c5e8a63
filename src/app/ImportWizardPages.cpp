#include "app/ImportWizardPages.h"

#include "app/HelpWindow.h"
#include "app/ImportWizard.h"
#include "app/Resources.h"
#include "app/StudySummaryPanel.h"
#include "app/TableMappingPanel.h"
#include "formats/ImportMessages.h"
#include "formats/WorkbookReader.h"
#include "platform/MessageText.h"
#include "platform/Platform.h"
#include "tasks/ImportRun.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace sortana {

ImportWizardPage::ImportWizardPage(ImportWizard &wizard, const QString &caption)
    : m_wizard(wizard), m_caption(caption)
{
}

void ImportWizardPage::activate()
{
    m_wizard.setWindowTitle(m_caption);
    activatePage();
}

// Step 1 ------------------------------------------------------------------------------------

namespace {

// "These files exist and will be replaced:" and their names, on a label hidden when none do.
void showExisting(QLabel &label, const QStringList &existing)
{
    label.setText(existing.isEmpty()
                      ? QString()
                      : QCoreApplication::translate("ImportWizardPages", "These files exist and will be replaced:\n")
                          + existing.join(u'\n'));
    label.setVisible(!existing.isEmpty());
}

QLabel *existingFilesLabel()
{
    auto *label = new QLabel;
    setControlId(*label, ControlId::existingFiles);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->hide();
    return label;
}

QString absoluteFolder(const QString &folder)
{
    return QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
}

} // namespace

ImportInputPage::ImportInputPage(ImportWizard &wizard)
    : ImportWizardPage(wizard, tr("Import and Export - Step 1 of 3")),
      m_input(new QLineEdit),
      m_folder(new QLineEdit),
      m_existingFiles(existingFilesLabel())
{
    setControlId(*m_input, ControlId::inputFile);
    setControlId(*m_folder, ControlId::outputFolder);
    auto *browseButton = new QPushButton(tr("&Browse..."));
    setControlId(*browseButton, ControlId::browse);
    connect(browseButton, &QPushButton::clicked, this, &ImportInputPage::browse);
    auto *chooseButton = new QPushButton(tr("Choose &Folder..."));
    setControlId(*chooseButton, ControlId::chooseFolder);
    connect(chooseButton, &QPushButton::clicked, this, &ImportInputPage::chooseFolder);
    connect(m_input, &QLineEdit::textChanged, this, &ImportInputPage::inputChanged);
    connect(m_folder, &QLineEdit::textEdited, this, [this] { m_folderFollowsInput = false; });
    connect(m_folder, &QLineEdit::textChanged, this, &ImportInputPage::showExistingFiles);

    auto *label = new QLabel(tr("&Input file:"));
    label->setBuddy(m_input);
    auto *row = new QHBoxLayout;
    row->addWidget(m_input, 1);
    row->addWidget(browseButton);
    auto *folderLabel = new QLabel(tr("&Write the analysis files to:"));
    folderLabel->setBuddy(m_folder);
    auto *folderRow = new QHBoxLayout;
    folderRow->addWidget(m_folder, 1);
    folderRow->addWidget(chooseButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addLayout(row);
    layout->addSpacing(label->sizeHint().height() / 2);
    layout->addWidget(folderLabel);
    layout->addLayout(folderRow);
    layout->addWidget(m_existingFiles);
    layout->addStretch();
}

void ImportInputPage::activatePage()
{
    // Coming back to this step keeps what the user typed.
    if (m_input->text().isEmpty())
        m_input->setText(wizard().presetInput);
}

void ImportInputPage::inputChanged()
{
    const QString input = m_input->text();
    if (m_folderFollowsInput)
        m_folder->setText(input.isEmpty() ? QString() : QDir::toNativeSeparators(QFileInfo(input).absolutePath()));
    showExistingFiles();
}

void ImportInputPage::chooseFolder()
{
    const QString chosen = wizard().platform().chooseFolder(outputFolder());
    if (chosen.isEmpty())
        return;
    m_folderFollowsInput = false;
    m_folder->setText(QDir::toNativeSeparators(chosen));
}

QString ImportInputPage::outputFolder() const
{
    const QString shown = m_folder->text().trimmed();
    return shown.isEmpty() ? QFileInfo(m_input->text()).absolutePath() : QDir::fromNativeSeparators(shown);
}

QString ImportInputPage::otherFolder() const
{
    const QString folder = outputFolder();
    return absoluteFolder(folder) == absoluteFolder(QFileInfo(m_input->text()).absolutePath()) ? QString() : folder;
}

void ImportInputPage::showExistingFiles()
{
    const QString input = m_input->text();
    if (input.isEmpty()) {
        showExisting(*m_existingFiles, {});
        return;
    }
    AnalysisFileNames names = analysisFileNames(input);
    if (const QString other = otherFolder(); !other.isEmpty())
        moveAnalysisFiles(names, other);
    showExisting(*m_existingFiles, existingAnalysisFiles(names, wizard().run().utf8CsvCopies()));
}

QString ImportInputPage::folderRefusal()
{
    const QString folder = outputFolder();
    const QString shown = QDir::toNativeSeparators(folder);
    const QFileInfo info(folder);
    if (info.exists() && !info.isDir())
        return formatMessage(messages::folderIsAFile, {shown});
    if (!wizard().platform().canWriteIn(folder))
        return tr("The folder %1 cannot be written to.\nChoose another folder for the analysis files.").arg(shown);
    return {};
}

bool ImportInputPage::settleWritableFolder()
{
    Platform &platform = wizard().platform();
    for (QString text = folderRefusal(); !text.isEmpty(); text = folderRefusal()) {
        if (platform.messageBox(text, MessageIcon::Exclamation, MessageButtons::ChooseFolderCancel)
            != MessageAnswer::ChooseFolder)
            return false;
        const QString chosen = platform.chooseFolder(outputFolder());
        if (chosen.isEmpty())
            return false;
        m_folderFollowsInput = false;
        m_folder->setText(QDir::toNativeSeparators(chosen));
        wizard().run().setOutputFolder(otherFolder());
    }
    return true;
}

void ImportInputPage::browse()
{
    QFileDialog dialog(this);
    dialog.setFileMode(QFileDialog::ExistingFile);
    // Raw data files and tables alike are shown at first.
    dialog.setNameFilters({tr("Card-sort data (*.txt *.csv *.tsv *.xlsx)"), tr("Text Files (*.txt)"),
                           tr("All Files (*)"), tr("Card-sort tables (*.csv *.tsv *.xlsx)")});
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    dialog.selectFile(m_input->text());
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        m_input->setText(dialog.selectedFiles().constFirst());
}

std::optional<TableOptions> ImportInputPage::undecidedColumns(const QString &path)
{
    if (!isTablePath(path))
        return std::nullopt;
    Table table;
    QString error;
    if (!loadTableFile(path, QString(), readWorkbook, table, error))
        return std::nullopt;   // the survey tells why
    if (readingOf(table, TableOptions(), error))
        return std::nullopt;
    // Step 2 starts from what the header and the cells tell, for the user to put right.
    const std::optional<TableOptions> suggested = suggestedColumns(table);
    QString unused;
    if (!suggested || !readingOf(table, *suggested, unused))
        return std::nullopt;
    wizard().platform().messageBox(error.section(u'\n', 0, 0)
                                       + tr("\nChoose its participant, card and category columns on the next step."),
                                   MessageIcon::Information, MessageButtons::Ok);
    return suggested;
}

bool ImportInputPage::validatePage()
{
    const QString path = m_input->text();
    // A new choice of input is read as its kind says, whatever an earlier table was set to.
    wizard().run().setTableOptions(undecidedColumns(path));
    wizard().run().setOutputFolder(path.isEmpty() ? QString() : otherFolder());
    // Better found now than when the reading has begun.
    return wizard().run().chooseInput(path) && settleWritableFolder();
}

// Step 2 ------------------------------------------------------------------------------------

ImportOptionsPage::ImportOptionsPage(ImportWizard &wizard)
    : ImportWizardPage(wizard, tr("Import and Export - Step 2 of 3")),
      m_panel(new StudySummaryPanel),
      m_tablePanel(new TableMappingPanel)
{
    auto *resetButton = new QPushButton(tr("&Reset"));
    setControlId(*resetButton, ControlId::reset);
    m_panel->addOptionButton(resetButton);
    connect(resetButton, &QPushButton::clicked, this, &ImportOptionsPage::reset);
    for (QCheckBox *box : {&m_panel->useFit(), &m_panel->useSubGroups(), &m_panel->useExpert()})
        connect(box, &QCheckBox::clicked, this, &ImportOptionsPage::optionChanged);
    m_panel->copies().installEventFilter(this);
    m_tablePanel->setOnChange([this] { tableChoiceChanged(); });
    m_tablePanel->hide();
    auto *optionsHelp = new QLabel(tr("<a href=\"%1\">What do these options mean?</a>").arg(HelpPage::options));
    setControlId(*optionsHelp, ControlId::optionsHelp);
    optionsHelp->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    connect(optionsHelp, &QLabel::linkActivated, this,
            [this, &platform = wizard.platform()](const QString &page) { HelpWindow::open(*this, page, platform); });

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_panel);
    layout->addWidget(optionsHelp);
    layout->addWidget(m_tablePanel);
    layout->addStretch();
}

void ImportOptionsPage::activatePage()
{
    const StudySummary &summary = wizard().run().summary();
    m_panel->showSurvey(summary);
    m_panel->useExpert().setEnabled(summary.participantCount > 1);
    m_panel->showOptions(summary);
    optionChanged();
    showTable();
}

void ImportOptionsPage::showTable()
{
    ImportRun &run = wizard().run();
    const int fileType = run.summary().fileType;
    const bool isTable = fileType == 2 || fileType == 3;
    m_tablePanel->setVisible(isTable);
    if (!isTable) {
        m_table = Table();
        return;
    }
    const QString path = wizard().inputPath();
    const TableOptions options = run.tableOptions().value_or(TableOptions());
    QString error;
    if (!loadTableFile(path, options.sheet, readWorkbook, m_table, error)) {
        // The survey has just read it; a file gone since is told at Finish.
        m_tablePanel->hide();
        return;
    }
    if (const auto reading = readingOf(m_table, options, error))
        m_tablePanel->showReading(m_table, *reading);
    else
        m_tablePanel->hide();
    // The wizard was sized for the steps without a table: it grows to show the table's
    // controls rather than squeeze them, and keeps its width.
    layout()->activate();
    const int height = wizard().sizeHint().height();
    if (height > wizard().height())
        wizard().resize(wizard().width(), height);
}

void ImportOptionsPage::tableChoiceChanged()
{
    ImportRun &run = wizard().run();
    const std::optional<TableOptions> previous = run.tableOptions();
    const TableOptions chosen = m_tablePanel->chosenOptions(previous.value_or(TableOptions()).sheet);
    QString error;
    if (!readingOf(m_table, chosen, error)) {
        wizard().platform().error(error);
        showTable();
        return;
    }
    const QString path = wizard().inputPath();
    run.setTableOptions(chosen);
    if (!run.chooseInput(path)) {
        // The survey has told why; the previous reading was surveyed before and is put back.
        run.setTableOptions(previous);
        run.chooseInput(path);
    }
    // The counts are the new survey's; the options stay as the user left them.
    const StudySummary &summary = run.summary();
    m_panel->showSurvey(summary);
    m_panel->useExpert().setEnabled(summary.participantCount > 1);
    if (summary.participantCount <= 1)
        m_panel->useExpert().setChecked(false);
    optionChanged();
    showTable();
}

bool ImportOptionsPage::optionChanged()
{
    StudySummary &summary = wizard().run().summary();
    // The choices are kept even when the copies are refused.
    summary.useExpert = m_panel->useExpert().isChecked();
    summary.useFit = m_panel->useFit().isChecked();
    summary.useSubGroups = m_panel->useSubGroups().isChecked();
    summary.copiesPerParticipant = m_panel->copies().text().toInt();
    if (!wizard().run().checkOptions()) {
        m_panel->copies().setFocus();
        m_panel->setMaximumScoreText(tr("Invalid number of copies entered"));
        return false;
    }
    m_panel->showParticipants(summary);
    m_panel->setMaximumScoreText(maximumScoreLine(summary));
    return true;
}

bool ImportOptionsPage::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        // Focus lost to another window (a message box among them) is no edit that ended. A
        // button of the wizard or of this page (Reset and the option boxes) that takes the
        // focus by a click or its key is being used, and checks the options itself: checking
        // here as well would show the same message twice, and a message shown between the
        // press and the release of a button would swallow its click. Tabbing onto a button
        // only leaves the field.
        QWidget *next = QApplication::focusWidget();
        const bool buttonUsed = qobject_cast<QAbstractButton *>(next) && wizard().isAncestorOf(next)
            && reason != Qt::TabFocusReason && reason != Qt::BacktabFocusReason;
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && !buttonUsed) {
            // After the focus change has finished, so a refusal can take the focus back.
            QTimer::singleShot(0, this, [this] {
                if (wizard().currentPage() == this)
                    optionChanged();
            });
        }
    }
    return ImportWizardPage::eventFilter(watched, event);
}

void ImportOptionsPage::reset()
{
    const StudySummary &summary = wizard().run().summary();
    m_panel->useFit().setChecked(summary.hasFitData);
    m_panel->useSubGroups().setChecked(summary.hasSubGroups);
    m_panel->useExpert().setChecked(false);
    optionChanged();
}

bool ImportOptionsPage::validatePage()
{
    return optionChanged();
}

// Step 3 ------------------------------------------------------------------------------------

ImportFinishPage::ImportFinishPage(ImportWizard &wizard)
    : ImportWizardPage(wizard, tr("Import and Export - Step 3 of 3")),
      m_exportList(new QPlainTextEdit),
      m_existingFiles(existingFilesLabel()),
      m_utf8Csv(new QCheckBox(tr("Also write the files as &UTF-8 CSV for spreadsheets"))),
      m_openCsv(new QCheckBox(
          tr("&Open .csv export files on completion (uses default application - usually Microsoft Excel)")))
{
    setControlId(*m_exportList, ControlId::exportList);
    setControlId(*m_utf8Csv, ControlId::utf8Csv);
    setControlId(*m_openCsv, ControlId::openCsv);
    m_exportList->setReadOnly(true);
    m_exportList->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_exportList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    connect(m_utf8Csv, &QCheckBox::toggled, this, [this](bool checked) {
        this->wizard().run().setUtf8CsvCopies(checked);
        showFiles();
    });

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("Export files:")));
    layout->addWidget(m_exportList, 1);
    layout->addWidget(m_existingFiles);
    layout->addWidget(m_utf8Csv);
    layout->addWidget(m_openCsv);
}

void ImportFinishPage::activatePage()
{
    m_utf8Csv->setChecked(wizard().run().utf8CsvCopies());
    showFiles();
}

void ImportFinishPage::showFiles()
{
    const AnalysisFileNames &names = wizard().run().fileNames();
    const bool copies = wizard().run().utf8CsvCopies();
    QString list;
    for (const QString &path : analysisFilePaths(names, copies))
        list += path + u'\n';
    m_exportList->setPlainText(list);
    showExisting(*m_existingFiles, existingAnalysisFiles(names, copies));
}

bool ImportFinishPage::validatePage()
{
    if (!wizard().run().finish())
        return false;
    wizard().openCsvOnCompletion = m_openCsv->isChecked();
    wizard().rememberChoices();
    return true;
}

} // namespace sortana
