#pragma once

#include "app/DocumentCommands.h"
#include "app/DocumentFrame.h"
#include "app/DocumentTemplate.h"
#include "app/ExportPictureDialog.h"
#include "app/RecentFiles.h"
#include "drawing/PageSplit.h"

#include <QCoreApplication>
#include <QMainWindow>
#include <QPrinter>

#include <functional>
#include <memory>

class QMdiArea;
class QMenu;
class QSettings;
class QToolBar;

namespace sortana {

class SettingsBar;
class Document;
class DocumentFrame;
class Platform;

// The main window: documents in a window area, the toolbar, the dendrogram settings bar and
// the status bar, the menus (a short one while no document is open) and every command that
// is not a document's own. Files dropped on it and open requests from later starts arrive
// here.
class MainWindow : public QMainWindow {
    Q_DECLARE_TR_FUNCTIONS(MainWindow)

public:
    // Asks for a file name: the initial name in, the chosen path out (empty when cancelled).
    using FileChooser = std::function<QString(const QString &initial)>;
    // The same for a picture, with its resolution when it is a PNG.
    using PictureChooser = std::function<PictureTarget(const QString &initial)>;

    MainWindow(Platform &platform, QSettings &settings);
    ~MainWindow() override;

    // The command with the object name (one of CommandName's), as its menu entries, buttons and
    // keys trigger it.
    QAction *action(QStringView name) const;
    SettingsBar &dialogBar() const { return *m_dialogBar; }
    QMdiArea &documentArea() const { return *m_area; }
    const RecentFiles &recentFiles() const { return m_recentFiles; }
    DocumentFrame *activeFrame() const;
    QList<DocumentFrame *> frames() const;

    void setOpenFileChooser(FileChooser chooser) { m_chooseOpenPath = std::move(chooser); }
    void setSaveFileChooser(FileChooser chooser) { m_chooseSavePath = std::move(chooser); }
    void setPictureChooser(PictureChooser chooser) { m_choosePicture = std::move(chooser); }
    void setReportChooser(FileChooser chooser) { m_chooseReport = std::move(chooser); }
    void setWorkbookChooser(FileChooser chooser) { m_chooseWorkbookPath = std::move(chooser); }
    // Asks for the text to find, the last one in; empty when cancelled.
    void setFindTextChooser(FileChooser chooser) { m_chooseFindText = std::move(chooser); }
    PrintScaling printScaling() const { return m_printScaling; }

    // A new document, which starts the import at once.
    void newDocument();
    // Any file, routed by type: documents open, other files become an import's input.
    // False when the file could not be opened.
    bool openFile(const QString &path);
    // The first file decides: a document file opens them all, another file alone becomes the
    // input of a new import.
    void dropFiles(const QStringList &paths);
    // A later start asks this program to open a file. False when the request is refused
    // (too long, or not an open request) or the file could not be opened. While a dialog is
    // open the file waits, in order, until the last dialog has closed.
    bool executeRequest(const QString &request);

protected:
    bool event(QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    QAction *addCommand(QStringView name, const QString &text, const std::function<void()> &handler,
                        const QList<QKeySequence> &keys = {});
    void createCommands();
    void createBars();
    void rebuildMenus();
    void rebuildRecentFileMenu(QMenu *menu);
    void updateCommands();
    void updateTitles();
    CommandContext context();
    DocumentFrame *addFrame(const std::shared_ptr<Document> &document, DocumentFrame::Kind kind = DocumentFrame::Kind::Dendrogram);
    QList<DocumentFrame *> framesOf(const Document &document) const;
    bool mayCloseFrame(DocumentFrame &frame);
    // Asks whether to save a modified document; false when the user cancelled.
    bool saveModified(Document &document);
    bool save(Document &document);
    bool saveAs(Document &document);
    // After a save: the path written joins the recent files and the titles; false when none was.
    bool saved(const QString &path);

    void openDocument();
    void closeDocument();
    void runImportExport();
    void openNewWindow();
    void openMatrixWindow();
    void openParticipantsWindow();
    void exportPicture();
    void exportReport();
    void exportWorkbook();
    void cascadeWindows();
    void arrangeMinimised();
    void findCard(bool askForText);
    // Analysis > Check Stability and Enough Participants: the options asked for, the run, and
    // the results shown.
    void checkStability();
    void enoughParticipants();
    void setPrintScaling(PrintScaling scaling);
    // The open windows, numbered, at the end of the Window menu, the active one checked.
    void listWindows(QMenu *menu);
    // Tells the user that the file is gone and drops it from the recent files; false when
    // the file is there.
    bool reportMissingFile(const QString &path);
    bool blockedByDialog() const;
    void openWaitingRequests();

    Platform &m_platform;
    QSettings &m_settings;
    // The next import's input as the wizard first shows it.
    QString m_pendingImport;
    DocumentTemplate m_documentTemplate;
    RecentFiles m_recentFiles;
    QPrinter m_printer{QPrinter::HighResolution};
    QMdiArea *m_area;
    QToolBar *m_toolBar = nullptr;
    SettingsBar *m_dialogBar = nullptr;
    // The main window's title: the program's name and the active document's.
    QString m_title;
    bool m_menusForDocument = false;
    bool m_menusBuilt = false;
    FileChooser m_chooseOpenPath;
    FileChooser m_chooseSavePath;
    PictureChooser m_choosePicture;
    FileChooser m_chooseReport;
    FileChooser m_chooseWorkbookPath;
    FileChooser m_chooseFindText;
    QString m_findText;
    PrintScaling m_printScaling = PrintScaling::RealSize;
    // Files later starts asked to open while a dialog was open, oldest first.
    QStringList m_waitingRequests;
};

} // namespace sortana
