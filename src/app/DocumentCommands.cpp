#include "app/DocumentCommands.h"

#include "analysis/Cophenetic.h"
#include "analysis/LeftOut.h"
#include "app/DocumentTemplate.h"
#include "app/ImportWizard.h"
#include "app/PropertiesDialog.h"
#include "document/Document.h"
#include "platform/MessageText.h"
#include "platform/Platform.h"

#include <QAction>
#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>

namespace sortana {

namespace {

// Queued, so the command runs once the document's window is up and active.
void postCommand(QAction *command)
{
    if (command)
        QMetaObject::invokeMethod(command, &QAction::trigger, Qt::QueuedConnection);
}

void openAnalysisFiles(const AnalysisFileNames &names, Platform &platform)
{
    bool allOpened = true;
    for (const QString *path : {&names.cardsPath, &names.participantsPath, &names.itemsPath,
                                &names.matrixPath, &names.weightedMatrixPath})
        allOpened = platform.shellOpen(*path) && allOpened;
    // Once for the five files: where one cannot be opened, as a rule none can.
    if (!allOpened)
        platform.error(formatMessage(QCoreApplication::translate("DocumentCommands",
                                                                 "The analysis files could not be opened: no "
                                                                 "application opens them on this computer.\nThey are "
                                                                 "in the folder %s"),
                                     {QDir::toNativeSeparators(QFileInfo(names.cardsPath).absolutePath())}));
}

} // namespace

int importStudy(Document &document, const CommandContext &context)
{
    ImportWizard wizard(context.platform, context.mainWindow, context.settings);
    if (context.pendingImport)
        wizard.presetInput = *context.pendingImport;
    const int result = wizard.exec();
    if (result == QDialog::Accepted) {
        const bool exported = completeImport(document, wizard.run());
        if (exported && wizard.openCsvOnCompletion)
            openAnalysisFiles(wizard.run().fileNames(), context.platform);
    } else if (!document.hasStudy() && !document.pathName.isEmpty()) {
        // An empty document keeps no file's name, so that a later save asks for one. A
        // document holding a study keeps its name: cancelling a new import changes nothing.
        document.title = context.documentTemplate.newDocumentTitle();
        document.pathName.clear();
    }
    if (context.pendingImport)
        *context.pendingImport = wizard.inputPath();
    return result;
}

bool newDocument(Document &document, const CommandContext &context)
{
    document.title = context.documentTemplate.newDocumentTitle();
    document.pathName.clear();
    document.setStudy(nullptr);
    postCommand(context.importCommand);
    return true;
}

OpenOutcome openByType(Document &document, const QString &path, const CommandContext &context)
{
    const OpenOutcome outcome = openDocument(document, path, context.platform);
    if (outcome == OpenOutcome::ImportRequested) {
        // The data file is the import's input, never the document's own file: saving must
        // not write over it.
        document.title = context.documentTemplate.newDocumentTitle();
        document.pathName.clear();
        if (context.pendingImport)
            *context.pendingImport = path;
        postCommand(context.importCommand);
    }
    return outcome;
}

QString saveDocument(Document &document, Platform &platform, const SavePathChooser &choosePath)
{
    if (!canSave(document))
        return {};
    if (document.pathName.isEmpty())
        return saveDocumentAs(document, platform, choosePath);
    return saveDocumentFile(document, document.pathName, platform) ? document.pathName : QString();
}

QString saveDocumentAs(Document &document, Platform &platform, const SavePathChooser &choosePath)
{
    if (!canSave(document))
        return {};
    const QString dottedExtension = u'.' + documentExtension.toString();
    QString path = choosePath(document.pathName.isEmpty() ? document.title + dottedExtension : document.pathName);
    if (path.isEmpty())
        return {};
    if (QFileInfo(path).suffix().isEmpty())
        path += dottedExtension;
    return saveDocumentFile(document, path, platform) ? path : QString();
}

bool saveModified(Document &document, Platform &platform, const std::function<bool()> &save)
{
    if (!document.isModified() || !document.hasStudy())
        return true;
    const QString name = document.pathName.isEmpty() ? document.title : QFileInfo(document.pathName).fileName();
    switch (platform.messageBox(
        formatMessage(QCoreApplication::translate("DocumentCommands", "Save changes to %s?"), {name}),
        MessageIcon::Exclamation, MessageButtons::YesNoCancel)) {
    case MessageAnswer::Yes: return save();
    case MessageAnswer::No: return true;
    default: return false;
    }
}

void showProperties(const Document &document, QWidget *parent)
{
    if (!document.hasStudy())
        return;
    PropertiesDialog dialog(document.study().summary, copheneticCorrelation(document.study()),
                            leftOutText(document.study()), parent);
    dialog.exec();
}

namespace {

// A view setting is saved with the document: a change marks it modified.
void setViewSetting(Document &document, bool Settings::*setting, bool shown)
{
    if (document.settings().*setting == shown)
        return;
    Settings settings = document.settings();
    settings.*setting = shown;
    document.setModified(true);
    document.setSettings(settings);
}

} // namespace

void setSimilarityScaleShown(Document &document, bool shown)
{
    setViewSetting(document, &Settings::showSimilarityScale, shown);
}

void setGroupNamesShown(Document &document, bool shown)
{
    setViewSetting(document, &Settings::showGroupNames, shown);
}

void setJoinSupportShown(Document &document, bool shown)
{
    setViewSetting(document, &Settings::showJoinSupport, shown);
}

bool canShowProperties(const Document &document)
{
    return document.hasStudy();
}

bool canSave(const Document &document)
{
    return document.hasStudy();
}

void copyAsText(const QString &text, Platform &platform)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (!clipboard) {
        platform.messageBox(QCoreApplication::translate("DocumentCommands", "Cannot open the Clipboard"),
                            MessageIcon::None, MessageButtons::Ok);
        return;
    }
    auto data = std::make_unique<QMimeData>();
    // Said outright for programs that read plain text in a code page of their own otherwise.
    data->setData(QStringLiteral("text/plain;charset=utf-8"), text.toUtf8());
    data->setText(text);
    clipboard->setMimeData(data.release());
    const QMimeData *offered = clipboard->mimeData();
    if (!offered || !offered->hasText())
        platform.messageBox(QCoreApplication::translate("DocumentCommands", "Unable to set Clipboard data"),
                            MessageIcon::None, MessageButtons::Ok);
}

} // namespace sortana
