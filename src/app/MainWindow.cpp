#include "app/MainWindow.h"

#include "app/AboutDialog.h"
#include "app/DocumentFrame.h"
#include "app/HelpWindow.h"
#include "app/ImportWizard.h"
#include "app/KeyStateIndicators.h"
#include "app/ReportCommands.h"
#include "app/ResamplingCommands.h"
#include "app/Resources.h"
#include "app/SettingsBar.h"
#include "app/SingleInstance.h"
#include "app/WorkbookCommand.h"
#include "document/Document.h"
#include "document/DocumentText.h"
#include "platform/MessageText.h"
#include "platform/Platform.h"
#include "views/DendrogramView.h"
#include "views/ParticipantsView.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QMimeData>
#include <QPageSetupDialog>
#include <QSettings>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionTitleBar>
#include <QToolBar>

namespace sortana {

namespace {

// A window's title as its title bar shows it, with the mark of unsaved changes in its place.
QString shownTitle(const QWidget &window)
{
    QString title = window.windowTitle();
    return title.replace(QStringLiteral("[*]"), window.isWindowModified() ? QStringLiteral("*") : QString());
}

const QString documentFilter = documentTypePart(DocumentTypePart::FilterName);
// Cascaded windows are never made smaller than this, unless the document area is.
constexpr QSize minimumCascadeSize(400, 300);
const QString geometryKey = QStringLiteral("MainWindow/Geometry");
const QString printScalingKey = QStringLiteral("Settings/PrintScaling");
// Stands between the commands of a menu or toolbar list where a separator goes.
constexpr QStringView separator;
// The Window menu's entries for the open windows carry this property.
const char *const windowEntry = "documentWindow";

QString askFindText(QWidget *parent, const QString &initial)
{
    bool ok = false;
    const QString text =
        QInputDialog::getText(parent, QCoreApplication::translate("MainWindow", "Find"),
                              QCoreApplication::translate("MainWindow", "Find what:"), QLineEdit::Normal, initial, &ok);
    return ok ? text : QString();
}

// Runs the command once the current event has been handled, as a posted command would.
void post(QAction *command)
{
    QMetaObject::invokeMethod(command, &QAction::trigger, Qt::QueuedConnection);
}

QString askOpenPath(QWidget *parent, const QString &)
{
    return QFileDialog::getOpenFileName(parent, QCoreApplication::translate("MainWindow", "Open"), QString(),
                                        documentFilter + QStringLiteral(";;")
                                            + QCoreApplication::translate("MainWindow", "All Files (*)"));
}

QString askSavePath(QWidget *parent, const QString &initial)
{
    QFileDialog dialog(parent, QCoreApplication::translate("MainWindow", "Save As"), initial, documentFilter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(documentExtension.toString());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace

MainWindow::MainWindow(Platform &platform, QSettings &settings)
    : m_platform(platform),
      m_settings(settings),
      m_recentFiles(settings),
      m_area(new QMdiArea),
      m_chooseOpenPath([this](const QString &initial) { return askOpenPath(this, initial); }),
      m_chooseSavePath([this](const QString &initial) { return askSavePath(this, initial); }),
      m_choosePicture([this](const QString &initial) { return askPictureTarget(this, initial); }),
      m_chooseReport([this](const QString &initial) { return askReportPath(this, initial); }),
      m_chooseWorkbookPath([this](const QString &initial) { return askWorkbookPath(this, initial); }),
      m_chooseFindText([this](const QString &initial) { return askFindText(this, initial); })
{
    m_title = applicationName.toString();
    setWindowTitle(m_title);
    setWindowIcon(applicationIcon());
    setAcceptDrops(true);
    m_area->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_area->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_area);
    createCommands();
    createBars();

    connect(m_area, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow *window) {
        // The program losing the focus to another (or to a dialog) changes no window.
        if (window || !m_area->currentSubWindow()) {
            auto *active = dynamic_cast<DocumentFrame *>(window);
            m_dialogBar->setDocument(active ? active->view().document() : nullptr);
        }
        updateCommands();
        updateTitles();
    });
    const int scaling = settings.value(printScalingKey, int(PrintScaling::RealSize)).toInt();
    setPrintScaling(scaling >= int(PrintScaling::RealSize) && scaling <= int(PrintScaling::FitToOnePage)
                        ? PrintScaling(scaling)
                        : PrintScaling::RealSize);
    updateCommands();
    // Where the user left it last time.
    if (!restoreGeometry(settings.value(geometryKey).toByteArray()))
        resize(1000, 760);
}

MainWindow::~MainWindow()
{
    // Documents close while the dialog bar that may show them is still there.
    for (DocumentFrame *frame : frames())
        delete frame;
}

QAction *MainWindow::action(QStringView name) const
{
    return findChild<QAction *>(name.toString(), Qt::FindDirectChildrenOnly);
}

QAction *MainWindow::addCommand(QStringView name, const QString &text, const std::function<void()> &handler,
                                const QList<QKeySequence> &keys)
{
    auto *command = new QAction(text, this);
    command->setObjectName(name.toString());
    const QStringList prompt = commandPrompt(name).split(u'\n');
    command->setStatusTip(prompt.value(0));
    command->setToolTip(prompt.value(1, prompt.value(0)));
    command->setShortcuts(keys);
    if (handler)
        connect(command, &QAction::triggered, this, handler);
    else
        command->setEnabled(false);   // no handler anywhere: offered but never available
    // Keys work even while the command sits in no visible menu.
    addAction(command);
    return command;
}

void MainWindow::createCommands()
{
    using namespace CommandName;
    const auto key = [](QKeyCombination combination) { return QKeySequence(combination); };
    const auto onView = [this](void (DocumentWindow::*member)()) {
        return [this, member] {
            if (DocumentFrame *frame = activeFrame())
                (frame->view().*member)();
        };
    };
    // Printing uses the printer and page chosen in Print Setup.
    const auto printWith = [this](void (DocumentWindow::*member)(QPrinter &)) {
        return [this, member] {
            if (DocumentFrame *frame = activeFrame())
                (frame->view().*member)(m_printer);
        };
    };
    addCommand(fileNew, tr("&New\tCtrl+N"), [this] { newDocument(); }, {key(Qt::CTRL | Qt::Key_N)});
    addCommand(fileOpen, tr("&Open...\tCtrl+O"), [this] { openDocument(); }, {key(Qt::CTRL | Qt::Key_O)});
    addCommand(fileClose, tr("&Close"), [this] { closeDocument(); });
    addCommand(fileSave, tr("&Save\tCtrl+S"), [this] {
        if (DocumentFrame *frame = activeFrame())
            save(frame->document());
    }, {key(Qt::CTRL | Qt::Key_S)});
    addCommand(fileSaveAs, tr("Save &As..."), [this] {
        if (DocumentFrame *frame = activeFrame())
            saveAs(frame->document());
    });
    addCommand(importExport, tr("Impor&t and Export...\tCtrl+I"), [this] { runImportExport(); },
               {key(Qt::CTRL | Qt::Key_I)});
    addCommand(CommandName::exportPicture, tr("Export Pict&ure..."), [this] { exportPicture(); });
    addCommand(CommandName::exportReport, tr("&Export Report..."), [this] { exportReport(); });
    addCommand(CommandName::exportWorkbook, tr("Export &Workbook..."), [this] { exportWorkbook(); });
    addCommand(print, tr("&Print...\tCtrl+P"), printWith(&DocumentWindow::print), {key(Qt::CTRL | Qt::Key_P)});
    addCommand(printDirect, tr("Print &Direct"), printWith(&DocumentWindow::printDirect));
    addCommand(printPreview, tr("Print Pre&view"), [this] {
        const QString key = QStringLiteral("Settings/PreviewPages");
        if (DocumentFrame *frame = activeFrame())
            m_settings.setValue(key, frame->view().printPreview(m_printer, m_settings.value(key, 1).toInt()));
    });
    addCommand(printSetup, tr("P&rint Setup..."), [this] {
        QPageSetupDialog dialog(&m_printer, this);
        dialog.exec();
    });
    const std::pair<QStringView, PrintScaling> scalings[] = {{printRealSize, PrintScaling::RealSize},
                                                             {printFitToPageWidth, PrintScaling::FitToPageWidth},
                                                             {printFitToOnePage, PrintScaling::FitToOnePage}};
    auto *scalingGroup = new QActionGroup(this);
    for (const auto &[name, scaling] : scalings) {
        const QString text = commandPrompt(name).split(u'\n').value(1);
        QAction *choice = addCommand(name, text, [this, scaling] { setPrintScaling(scaling); });
        choice->setCheckable(true);
        scalingGroup->addAction(choice);
    }
    addCommand(CommandName::find, tr("&Find...\tCtrl+F"), [this] { findCard(true); }, {key(Qt::CTRL | Qt::Key_F)});
    addCommand(findNext, tr("Find &Next\tF3"), [this] { findCard(false); }, {key(Qt::Key_F3)});
    addCommand(copyGroups, tr("Copy &Groups"), [this] {
        if (DocumentFrame *frame = activeFrame())
            copyAsText(groupsText(frame->document()), m_platform);
    });
    addCommand(copyMatrixText, tr("Copy Matrix as &Text"), [this] {
        if (DocumentFrame *frame = activeFrame())
            copyAsText(matrixText(frame->document()), m_platform);
    });
    addCommand(properties, tr("Propert&ies"), [this] {
        if (DocumentFrame *frame = activeFrame())
            showProperties(frame->document(), this);
    });
    addCommand(CommandName::exit, tr("E&xit"), [this] { close(); });
    addCommand(copy, tr("&Copy\tCtrl+C"), onView(&DocumentWindow::copyToClipboard),
               {key(Qt::CTRL | Qt::Key_C), key(Qt::CTRL | Qt::Key_Insert)});
    addCommand(cut, tr("Cu&t\tCtrl+X"), {}, {key(Qt::CTRL | Qt::Key_X), key(Qt::SHIFT | Qt::Key_Delete)});
    addCommand(paste, tr("&Paste\tCtrl+V"), {}, {key(Qt::CTRL | Qt::Key_V), key(Qt::SHIFT | Qt::Key_Insert)});
    addCommand(undo, tr("&Undo\tCtrl+Z"), {}, {key(Qt::CTRL | Qt::Key_Z), key(Qt::ALT | Qt::Key_Backspace)});
    addCommand(nextPane, tr("Next Pane"), {}, {key(Qt::Key_F6)});
    addCommand(previousPane, tr("Previous Pane"), {}, {key(Qt::SHIFT | Qt::Key_F6)});
    addCommand(newWindow, tr("&New Window"), [this] { openNewWindow(); });
    addCommand(similarityMatrix, tr("Similarity &Matrix"), [this] { openMatrixWindow(); });
    addCommand(categoriesWindow, tr("&Categories"), [this] {
        if (DocumentFrame *frame = activeFrame())
            addFrame(frame->sharedDocument(), DocumentFrame::Kind::Categories);
    });
    addCommand(placementsWindow, tr("P&lacements"), [this] {
        if (DocumentFrame *frame = activeFrame())
            addFrame(frame->sharedDocument(), DocumentFrame::Kind::Placements);
    });
    addCommand(groupNames, tr("&Group Names"), [this] {
        if (DocumentFrame *frame = activeFrame())
            setGroupNamesShown(frame->document(), action(groupNames)->isChecked());
    })->setCheckable(true);
    addCommand(participants, tr("&Participants"), [this] { openParticipantsWindow(); });
    addCommand(similarityScale, tr("Similarity Sc&ale"), [this] {
        if (DocumentFrame *frame = activeFrame())
            setSimilarityScaleShown(frame->document(), action(similarityScale)->isChecked());
    })->setCheckable(true);
    addCommand(joinSupport, tr("&Join Support"), [this] {
        if (DocumentFrame *frame = activeFrame())
            setJoinSupportShown(frame->document(), action(joinSupport)->isChecked());
    })->setCheckable(true);
    addCommand(CommandName::checkStability, tr("Check &Stability..."), [this] { checkStability(); });
    addCommand(CommandName::enoughParticipants, tr("&Enough Participants..."), [this] { enoughParticipants(); });
    addCommand(cascade, tr("&Cascade"), [this] { cascadeWindows(); });
    addCommand(tile, tr("&Tile"), [this] { m_area->tileSubWindows(); });
    addCommand(arrangeIcons, tr("&Arrange Icons"), [this] { arrangeMinimised(); });
    addCommand(about, tr("&About Sortana..."), [this] {
        AboutDialog dialog(m_platform, this);
        dialog.exec();
    });
    addCommand(help, tr("Sortana &Help\tF1"), [this] { HelpWindow::open(*this, HelpPage::start, m_platform); },
               {key(Qt::Key_F1)});
    for (const QStringView name : {viewToolbar, viewStatusBar})
        addCommand(name, name == viewToolbar ? tr("&Toolbar") : tr("&Status Bar"), {})->setCheckable(true);

    const auto setIcon = [this](QStringView name, const QIcon &icon) { action(name)->setIcon(icon); };
    // The style's file icon is drawn pale, like a disabled button; New is always available.
    setIcon(fileNew, QIcon(QStringLiteral(":/icons/new.svg")));
    setIcon(fileOpen, style()->standardIcon(QStyle::SP_DialogOpenButton));
    setIcon(importExport, applicationIcon());
    setIcon(fileSave, style()->standardIcon(QStyle::SP_DialogSaveButton));
    setIcon(cut, QIcon(QStringLiteral(":/icons/cut.svg")));
    setIcon(copy, QIcon(QStringLiteral(":/icons/copy.svg")));
    setIcon(paste, QIcon(QStringLiteral(":/icons/paste.svg")));
    setIcon(print, QIcon(QStringLiteral(":/icons/print.svg")));
    setIcon(about, style()->standardIcon(QStyle::SP_MessageBoxQuestion));
    setIcon(similarityMatrix, QIcon(QStringLiteral(":/icons/matrix.svg")));
}

void MainWindow::createBars()
{
    using namespace CommandName;
    m_toolBar = addToolBar(tr("Toolbar"));
    m_toolBar->setObjectName(QStringLiteral("toolBar"));
    m_toolBar->setIconSize(QSize(16, 16));
    for (const QStringView name : {fileNew, fileOpen, importExport, fileSave, separator, cut, copy, paste, separator,
                                   print, separator, similarityMatrix, about}) {
        if (name == separator)
            m_toolBar->addSeparator();
        else
            m_toolBar->addAction(action(name));
    }
    m_dialogBar = new SettingsBar;
    // A band of its own: beside the toolbar the settings would crowd the buttons out.
    addToolBarBreak();
    QToolBar *band = addToolBar(tr("Dendrogram"));
    band->setObjectName(QStringLiteral("dialogBarBand"));
    band->addWidget(m_dialogBar);

    auto *ready = new QLabel(tr("Ready"));
    statusBar()->addWidget(ready, 1);
    new KeyStateIndicators(*statusBar());

    QAction *toolbarToggle = action(viewToolbar);
    toolbarToggle->setEnabled(true);
    toolbarToggle->setChecked(true);
    connect(toolbarToggle, &QAction::toggled, m_toolBar, &QToolBar::setVisible);
    QAction *statusToggle = action(viewStatusBar);
    statusToggle->setEnabled(true);
    statusToggle->setChecked(true);
    connect(statusToggle, &QAction::toggled, statusBar(), &QStatusBar::setVisible);
}

void MainWindow::rebuildMenus()
{
    using namespace CommandName;
    const bool forDocument = !frames().isEmpty();
    if (m_menusBuilt && forDocument == m_menusForDocument)
        return;
    m_menusBuilt = true;
    m_menusForDocument = forDocument;
    menuBar()->clear();
    const auto addItems = [this](QMenu *menu, std::initializer_list<QStringView> names) {
        for (const QStringView name : names) {
            if (name == separator)
                menu->addSeparator();
            else if (name == recentFile)
                rebuildRecentFileMenu(menu);
            else
                menu->addAction(action(name));
        }
    };
    QMenu *file = menuBar()->addMenu(tr("&File"));
    if (forDocument) {
        addItems(file,
                 {fileNew, fileOpen, fileClose, fileSave, fileSaveAs, separator, importExport,
                  CommandName::exportPicture, CommandName::exportReport, CommandName::exportWorkbook, separator, print,
                  printPreview, printSetup});
        addItems(file->addMenu(tr("Print Scalin&g")), {printRealSize, printFitToPageWidth, printFitToOnePage});
        addItems(file, {separator, properties, separator, recentFile, separator, CommandName::exit});
        addItems(menuBar()->addMenu(tr("&Edit")),
                 {copy, copyGroups, copyMatrixText, separator, CommandName::find, findNext});
    } else {
        addItems(
            file,
            {fileNew, fileOpen, separator, printSetup, separator, recentFile, separator, fileClose, CommandName::exit});
    }
    if (forDocument)
        addItems(menuBar()->addMenu(tr("&View")),
                 {viewToolbar, viewStatusBar, separator, similarityMatrix, participants, similarityScale, separator,
                  categoriesWindow, placementsWindow, groupNames, joinSupport});
    else
        addItems(menuBar()->addMenu(tr("&View")), {viewToolbar, viewStatusBar});
    if (forDocument)
        addItems(menuBar()->addMenu(tr("&Analysis")), {CommandName::checkStability, CommandName::enoughParticipants});
    if (forDocument) {
        QMenu *windows = menuBar()->addMenu(tr("&Window"));
        addItems(windows, {newWindow, cascade, tile, arrangeIcons});
        listWindows(windows);
    }
    addItems(menuBar()->addMenu(tr("&Help")), {help, separator, about});
}

void MainWindow::rebuildRecentFileMenu(QMenu *menu)
{
    // The entries are rebuilt whenever the menu opens, so they follow the list.
    QAction *marker = menu->addSeparator();
    marker->setVisible(false);
    connect(menu, &QMenu::aboutToShow, menu, [this, menu, marker] {
        const QList<QAction *> items = menu->actions();
        qsizetype at = items.indexOf(marker) + 1;
        while (at < items.size() && items[at]->property("recentFile").isValid())
            delete items[at++];
        QAction *before = at < items.size() ? items[at] : nullptr;
        const QStringList &paths = m_recentFiles.paths();
        if (paths.isEmpty()) {
            auto *none = new QAction(tr("Recent File"), menu);
            none->setEnabled(false);
            none->setProperty("recentFile", true);
            menu->insertAction(before, none);
        }
        for (int i = 0; i < paths.size(); ++i) {
            const QString path = paths[i];
            auto *entry = new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(QFileInfo(path).fileName()), menu);
            entry->setProperty("recentFile", true);
            entry->setStatusTip(commandPrompt(CommandName::recentFile));
            entry->setToolTip(path);
            connect(entry, &QAction::triggered, this, [this, path] {
                if (!reportMissingFile(path) && !openFile(path))
                    m_recentFiles.remove(path);
            });
            menu->insertAction(before, entry);
        }
    });
}

void MainWindow::listWindows(QMenu *menu)
{
    QAction *marker = menu->addSeparator();
    // Rebuilt whenever the menu opens, so the list follows the windows and their titles.
    connect(menu, &QMenu::aboutToShow, menu, [this, menu, marker] {
        for (QAction *entry : menu->actions()) {
            if (entry->property(windowEntry).isValid())
                delete entry;
        }
        const QList<DocumentFrame *> open = frames();
        marker->setVisible(!open.isEmpty());
        DocumentFrame *active = activeFrame();
        for (int i = 0; i < open.size(); ++i) {
            DocumentFrame *frame = open[i];
            // Numbers up to 9 are the entries' keys.
            const QString number = i < 9 ? QStringLiteral("&%1").arg(i + 1) : QString::number(i + 1);
            QString title = shownTitle(*frame);
            auto *entry = new QAction(number + u' ' + title.replace(u'&', QStringLiteral("&&")), menu);
            entry->setProperty(windowEntry, true);
            entry->setCheckable(true);
            entry->setChecked(frame == active);
            entry->setStatusTip(tr("Activate this window"));
            connect(entry, &QAction::triggered, this, [this, frame] {
                if (frames().contains(frame))
                    m_area->setActiveSubWindow(frame);
            });
            menu->addAction(entry);
        }
    });
}

void MainWindow::updateCommands()
{
    using namespace CommandName;
    rebuildMenus();
    DocumentFrame *frame = activeFrame();
    const Document *document = frame ? &frame->document() : nullptr;
    for (const QStringView name : {fileClose, importExport, print, printDirect, printPreview, newWindow,
                                   similarityMatrix, categoriesWindow, placementsWindow, cascade, tile, arrangeIcons})
        action(name)->setEnabled(frame != nullptr);
    action(fileSave)->setEnabled(document && canSave(*document));
    action(fileSaveAs)->setEnabled(document && canSave(*document));
    action(properties)->setEnabled(document && canShowProperties(*document));
    action(copy)->setEnabled(frame && frame->view().canCopy());
    const bool hasTree = document && document->clusterRoot();
    action(copyGroups)->setEnabled(hasTree);
    // Find looks in what the window shows: a matrix window without its matrix shows no names.
    action(CommandName::find)->setEnabled(frame && frame->view().canFind());
    action(findNext)->setEnabled(frame && frame->view().canFind());
    action(copyMatrixText)->setEnabled(frame && frame->kind() == DocumentFrame::Kind::SimilarityMatrix
                                       && frame->view().canCopy());
    // The participants are a table, copied as text rather than drawn.
    action(CommandName::exportPicture)
        ->setEnabled(frame && frame->view().canCopy() && frame->kind() != DocumentFrame::Kind::Participants);
    action(CommandName::exportReport)->setEnabled(hasTree);
    action(similarityScale)->setEnabled(document && document->hasStudy());
    action(participants)->setEnabled(document && document->hasStudy());
    action(CommandName::exportWorkbook)->setEnabled(document && document->hasStudy());
    action(similarityScale)->setChecked(document && document->settings().showSimilarityScale);
    action(groupNames)->setEnabled(document && document->hasStudy());
    action(groupNames)->setChecked(document && document->settings().showGroupNames);
    action(joinSupport)->setEnabled(hasTree && document->treeSupport());
    action(joinSupport)->setChecked(hasTree && document->treeSupport() && document->settings().showJoinSupport);
    for (const QStringView name : {CommandName::checkStability, CommandName::enoughParticipants})
        action(name)->setEnabled(hasTree && document->study().sorts);
    // With no document window the settings have nothing to apply to.
    m_dialogBar->setEnabled(frame != nullptr);
}

void MainWindow::updateTitles()
{
    for (DocumentFrame *frame : frames()) {
        const QList<DocumentFrame *> siblings = framesOf(frame->document());
        QString title = frame->document().title;
        if (siblings.size() > 1)
            title += QStringLiteral(":%1").arg(siblings.indexOf(frame) + 1);
        if (frame->kind() == DocumentFrame::Kind::SimilarityMatrix)
            title += tr(" - Similarity Matrix");
        else if (frame->kind() == DocumentFrame::Kind::Categories)
            title += tr(" - Categories");
        else if (frame->kind() == DocumentFrame::Kind::Placements)
            title += tr(" - Placements");
        else if (frame->kind() == DocumentFrame::Kind::EnoughParticipants)
            title += tr(" - Enough Participants");
        else if (frame->kind() == DocumentFrame::Kind::Participants)
            title += tr(" - Participants");
        // Qt's place for the mark of unsaved changes.
        frame->setWindowTitle(title + QStringLiteral("[*]"));
        frame->setWindowModified(frame->document().isModified());
    }
    DocumentFrame *active = activeFrame();
    m_title =
        active ? applicationName.toString() + QStringLiteral(" - ") + shownTitle(*active) : applicationName.toString();
    setWindowTitle(m_title);
}

void MainWindow::changeEvent(QEvent *event)
{
    // A maximised document window adds its own title to the main window's in brackets, and
    // puts back a stale one when it is restored; the main window already names the active
    // document, once.
    if (event->type() == QEvent::WindowTitleChange && windowTitle() != m_title)
        setWindowTitle(m_title);
    if (event->type() == QEvent::EnabledChange && isEnabled() && !m_waitingRequests.isEmpty())
        QMetaObject::invokeMethod(this, &MainWindow::openWaitingRequests, Qt::QueuedConnection);
    QMainWindow::changeEvent(event);
}

CommandContext MainWindow::context()
{
    return {m_platform, m_documentTemplate, this, action(CommandName::importExport), &m_settings, &m_pendingImport};
}

DocumentFrame *MainWindow::activeFrame() const
{
    // The current window stays current while another program or a dialog has the focus,
    // so posted commands still find their document.
    return dynamic_cast<DocumentFrame *>(m_area->currentSubWindow());
}

QList<DocumentFrame *> MainWindow::frames() const
{
    QList<DocumentFrame *> result;
    for (QMdiSubWindow *window : m_area->subWindowList(QMdiArea::CreationOrder)) {
        if (auto *frame = dynamic_cast<DocumentFrame *>(window))
            result.append(frame);
    }
    return result;
}

QList<DocumentFrame *> MainWindow::framesOf(const Document &document) const
{
    QList<DocumentFrame *> result;
    for (DocumentFrame *frame : frames()) {
        if (&frame->document() == &document)
            result.append(frame);
    }
    return result;
}

DocumentFrame *MainWindow::addFrame(const std::shared_ptr<Document> &document, DocumentFrame::Kind kind)
{
    auto *frame = new DocumentFrame(document, m_platform, [this](DocumentFrame &closing) {
        return mayCloseFrame(closing);
    }, kind);
    m_area->addSubWindow(frame);
    // However the document changes, its windows' titles say whether it has unsaved changes.
    connect(document.get(), &Document::modifiedChanged, this, &MainWindow::updateTitles, Qt::UniqueConnection);
    connect(frame, &QObject::destroyed, this, [this] {
        // Queued: the area forgets the window only after this signal.
        QMetaObject::invokeMethod(this, [this] {
            updateCommands();
            updateTitles();
        }, Qt::QueuedConnection);
    });
    frame->view().setPrintScaling(m_printScaling);
    // Analyse Again writes the analysis files as the last import chose to.
    if (auto *participants = dynamic_cast<ParticipantsView *>(&frame->view()))
        participants->setUtf8CsvChoice([this] { return utf8CsvCopiesChosen(m_settings); });
    // The first document gets the whole area; later ones open as the area holds them.
    if (frames().size() == 1)
        frame->showMaximized();
    else
        frame->show();
    frame->view().initialUpdate();
    m_area->setActiveSubWindow(frame);
    updateTitles();
    updateCommands();
    return frame;
}

bool MainWindow::mayCloseFrame(DocumentFrame &frame)
{
    // Only the document's last window asks about its changes.
    return framesOf(frame.document()).size() > 1 || saveModified(frame.document());
}

bool MainWindow::saveModified(Document &document)
{
    return sortana::saveModified(document, m_platform, [&] { return save(document); });
}

bool MainWindow::save(Document &document)
{
    return saved(saveDocument(document, m_platform, m_chooseSavePath));
}

bool MainWindow::saveAs(Document &document)
{
    return saved(saveDocumentAs(document, m_platform, m_chooseSavePath));
}

bool MainWindow::saved(const QString &path)
{
    if (path.isEmpty())
        return false;
    m_recentFiles.add(path);
    updateTitles();
    return true;
}

void MainWindow::newDocument()
{
    auto document = std::make_shared<Document>();
    sortana::newDocument(*document, context());
    addFrame(document);
}

void MainWindow::openDocument()
{
    const QString path = m_chooseOpenPath(QString());
    if (!path.isEmpty())
        openFile(path);
}

bool MainWindow::reportMissingFile(const QString &path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (QFileInfo::exists(absolute))
        return false;
    m_platform.fileFailure(
        formatMessage(tr("Cannot open %s.\nThe file does not exist: it may have been moved, renamed or deleted."),
                      {QDir::toNativeSeparators(absolute)}));
    m_recentFiles.remove(absolute);
    return true;
}

bool MainWindow::openFile(const QString &path)
{
    // A missing document would otherwise count as a data file and start an import of it.
    if (hasDocumentExtension(path) && reportMissingFile(path))
        return false;
    const QString absolute = QFileInfo(path).absoluteFilePath();
    // A document already open is shown rather than opened twice.
    for (DocumentFrame *frame : frames()) {
        if (!frame->document().pathName.isEmpty()
            && QFileInfo(frame->document().pathName).absoluteFilePath() == absolute) {
            m_area->setActiveSubWindow(frame);
            return true;
        }
    }
    auto document = std::make_shared<Document>();
    const OpenOutcome outcome = openByType(*document, absolute, context());
    if (outcome == OpenOutcome::Failed)
        return false;
    if (outcome == OpenOutcome::Loaded)
        m_recentFiles.add(absolute);
    addFrame(document);
    return true;
}

void MainWindow::dropFiles(const QStringList &paths)
{
    if (paths.isEmpty())
        return;
    if (hasDocumentExtension(paths.constFirst())) {
        activateWindow();
        for (const QString &path : paths)
            openFile(path);
        return;
    }
    m_pendingImport = paths.constFirst();
    post(action(CommandName::fileNew));
}

bool MainWindow::executeRequest(const QString &request)
{
    if (request.size() >= SingleInstance::maxRequestLength)
        return false;
    const QString path = SingleInstance::requestedPath(request);
    if (path.isEmpty())
        return false;
    // Nothing opens behind an open dialog's back: the file waits for the last one to close,
    // behind any that came before it.
    if (blockedByDialog() || !m_waitingRequests.isEmpty()) {
        m_waitingRequests.append(path);
        return true;
    }
    return openFile(path);
}

bool MainWindow::blockedByDialog() const
{
    return QApplication::activeModalWidget() || !isEnabled();
}

void MainWindow::openWaitingRequests()
{
    // A file may bring up a dialog of its own (the import wizard): the rest wait for it.
    while (!m_waitingRequests.isEmpty() && !blockedByDialog())
        openFile(m_waitingRequests.takeFirst());
}

bool MainWindow::event(QEvent *event)
{
    // Posted: the dialog's caller finishes its command before the files open.
    if (event->type() == QEvent::WindowUnblocked && !m_waitingRequests.isEmpty())
        QMetaObject::invokeMethod(this, &MainWindow::openWaitingRequests, Qt::QueuedConnection);
    return QMainWindow::event(event);
}

void MainWindow::closeDocument()
{
    DocumentFrame *frame = activeFrame();
    if (!frame || !saveModified(frame->document()))
        return;
    for (DocumentFrame *sibling : framesOf(frame->document()))
        sibling->closeSettled();
}

void MainWindow::runImportExport()
{
    DocumentFrame *frame = activeFrame();
    if (!frame)
        return;
    // The window may close while the wizard runs; the document stays until the command ends.
    const std::shared_ptr<Document> document = frame->sharedDocument();
    importStudy(*document, context());
    updateTitles();
    updateCommands();
}

void MainWindow::openNewWindow()
{
    if (DocumentFrame *frame = activeFrame())
        addFrame(frame->sharedDocument());
}

void MainWindow::openMatrixWindow()
{
    if (DocumentFrame *frame = activeFrame())
        addFrame(frame->sharedDocument(), DocumentFrame::Kind::SimilarityMatrix);
}

void MainWindow::openParticipantsWindow()
{
    if (DocumentFrame *frame = activeFrame())
        addFrame(frame->sharedDocument(), DocumentFrame::Kind::Participants);
}

void MainWindow::exportPicture()
{
    DocumentFrame *frame = activeFrame();
    if (!frame || !frame->view().canCopy())
        return;
    const QString documentPath = frame->document().pathName;
    QString initial;
    switch (frame->kind()) {
    case DocumentFrame::Kind::Placements:
        initial = initialPicturePath(documentPath, QStringLiteral("-placements"));
        break;
    case DocumentFrame::Kind::EnoughParticipants:
        initial = initialPicturePath(documentPath, QStringLiteral("-enough-participants"));
        break;
    default:
        initial = initialPicturePath(documentPath, frame->kind() == DocumentFrame::Kind::SimilarityMatrix);
    }
    const PictureTarget target = m_choosePicture(initial);
    if (!target.path.isEmpty())
        frame->view().exportPicture(target.path, target.pngDpi);
}

void MainWindow::exportReport()
{
    DocumentFrame *frame = activeFrame();
    if (!frame || !frame->document().clusterRoot())
        return;
    const QString path = m_chooseReport(initialReportPath(frame->document().pathName));
    if (!path.isEmpty())
        sortana::exportReport(frame->document(), path, m_platform, this);
}

void MainWindow::exportWorkbook()
{
    DocumentFrame *frame = activeFrame();
    if (!frame)
        return;
    const QString path = m_chooseWorkbookPath(initialWorkbookPath(frame->document()));
    if (!path.isEmpty())
        sortana::exportWorkbook(frame->document(), path, m_platform, this);
}

void MainWindow::checkStability()
{
    DocumentFrame *frame = activeFrame();
    if (!frame)
        return;
    const std::shared_ptr<Document> document = frame->sharedDocument();
    const auto &held = document->treeSupport();
    const std::optional<ResamplingOptions> options = askResamplingOptions(
        this, tr("Check Stability"), tr("&Replicates:"),
        held ? ResamplingOptions{held->replicates, held->seed} : ResamplingOptions{defaultReplicates, 1});
    if (options)
        sortana::checkStability(*document, *options, m_platform, this);
    updateCommands();
    updateTitles();
}

void MainWindow::enoughParticipants()
{
    DocumentFrame *frame = activeFrame();
    if (!frame)
        return;
    const std::shared_ptr<Document> document = frame->sharedDocument();
    const auto &held = document->adequacy();
    const std::optional<ResamplingOptions> options = askResamplingOptions(
        this, tr("Enough Participants"), tr("Sub-samples of each &size:"),
        held ? ResamplingOptions{held->subsets, held->seed} : ResamplingOptions{defaultSubsets, 1});
    if (!options || !checkEnoughParticipants(*document, *options, m_platform, this))
        return;
    // One chart window a document: shown again rather than opened twice.
    for (DocumentFrame *open : framesOf(*document)) {
        if (open->kind() == DocumentFrame::Kind::EnoughParticipants) {
            m_area->setActiveSubWindow(open);
            return;
        }
    }
    addFrame(document, DocumentFrame::Kind::EnoughParticipants);
}

void MainWindow::findCard(bool askForText)
{
    DocumentFrame *frame = activeFrame();
    if (!frame)
        return;
    if (askForText || m_findText.isEmpty()) {
        const QString text = m_chooseFindText(m_findText);
        if (text.isEmpty())
            return;
        m_findText = text;
    }
    if (!frame->view().findNext(m_findText))
        m_platform.messageBox(formatMessage(tr("Cannot find \"%s\"."), {m_findText}), MessageIcon::Information,
                              MessageButtons::Ok);
}

void MainWindow::setPrintScaling(PrintScaling scaling)
{
    m_printScaling = scaling;
    m_settings.setValue(printScalingKey, int(scaling));
    const QStringView names[] = {CommandName::printRealSize, CommandName::printFitToPageWidth,
                                 CommandName::printFitToOnePage};
    action(names[int(scaling)])->setChecked(true);
    for (DocumentFrame *frame : frames())
        frame->view().setPrintScaling(scaling);
}

void MainWindow::cascadeWindows()
{
    // Each window keeps its own size, but at least a usable one, and lies one title bar
    // further down and right than the window under it, starting again at the top-left
    // corner when the next one would not fit.
    const QSize room = m_area->viewport()->size();
    const QSize least = minimumCascadeSize.boundedTo(room);
    QPoint corner(0, 0);
    for (QMdiSubWindow *window : m_area->subWindowList(QMdiArea::StackingOrder)) {
        if (window->isMinimized() || window->isHidden())
            continue;
        if (window->isMaximized())
            window->showNormal();
        QStyleOptionTitleBar titleBar;
        titleBar.initFrom(window);
        const int step = std::max(1, window->style()->pixelMetric(QStyle::PM_TitleBarHeight, &titleBar, window));
        if (corner.x() + least.width() > room.width() || corner.y() + least.height() > room.height())
            corner = {0, 0};
        const QSize size = window->size().expandedTo(least).boundedTo(QSize(room.width() - corner.x(),
                                                                             room.height() - corner.y()));
        window->setGeometry(QRect(corner, size));
        window->raise();
        corner += QPoint(step, step);
    }
}

void MainWindow::arrangeMinimised()
{
    // Minimised windows in a row along the bottom of the area.
    int x = 0;
    for (DocumentFrame *frame : frames()) {
        if (!frame->isMinimized())
            continue;
        frame->move(x, m_area->viewport()->height() - frame->height());
        x += frame->width();
    }
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    QList<const Document *> asked;
    for (DocumentFrame *frame : frames()) {
        if (asked.contains(&frame->document()))
            continue;
        asked.append(&frame->document());
        if (!saveModified(frame->document())) {
            event->ignore();
            return;
        }
    }
    for (DocumentFrame *frame : frames())
        frame->closeSettled();
    m_settings.setValue(geometryKey, saveGeometry());
    event->accept();
}

void MainWindow::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent *event)
{
    QStringList paths;
    for (const QUrl &url : event->mimeData()->urls()) {
        if (url.isLocalFile())
            paths.append(url.toLocalFile());
    }
    dropFiles(paths);
    event->acceptProposedAction();
}

} // namespace sortana
