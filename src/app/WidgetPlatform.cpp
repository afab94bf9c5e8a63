#include "app/WidgetPlatform.h"

#include "formats/WorkbookReader.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

namespace sortana {

namespace {

QMessageBox::Icon toQtIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Stop: return QMessageBox::Critical;
    case MessageIcon::Exclamation: return QMessageBox::Warning;
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

MessageAnswer WidgetPlatform::messageBox(const QString &text, MessageIcon icon, MessageButtons buttons)
{
    QMessageBox::StandardButtons qtButtons = QMessageBox::Ok;
    if (buttons == MessageButtons::OkCancel || buttons == MessageButtons::OkCancelIgnoreAll)
        qtButtons = QMessageBox::Ok | QMessageBox::Cancel;
    else if (buttons == MessageButtons::YesNoCancel)
        qtButtons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    else if (buttons == MessageButtons::ChooseFolderCancel)
        qtButtons = QMessageBox::Cancel;
    // Over a modal dialog (the wizard) the box belongs to it, so it never shows behind it.
    QWidget *parent = QApplication::activeModalWidget();
    if (!parent)
        parent = m_parent ? m_parent : QApplication::activeWindow();
    QMessageBox box(toQtIcon(icon), applicationName.toString(), text, qtButtons, parent);
    box.setTextFormat(Qt::PlainText);
    QPushButton *ignoreAll = nullptr;
    QPushButton *chooseFolder = nullptr;
    if (buttons == MessageButtons::OkCancelIgnoreAll) {
        ignoreAll = box.addButton(tr("Ignore &All"), QMessageBox::AcceptRole);
        box.setDefaultButton(QMessageBox::Ok);
    } else if (buttons == MessageButtons::ChooseFolderCancel) {
        chooseFolder = box.addButton(tr("&Choose Folder..."), QMessageBox::AcceptRole);
        box.setDefaultButton(chooseFolder);
    }
    // A box over a busy cursor must still be answerable with the ordinary pointer.
    const bool busy = QApplication::overrideCursor() != nullptr;
    if (busy)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    const int answer = box.exec();
    if (busy)
        QApplication::restoreOverrideCursor();
    if (box.clickedButton() && box.clickedButton() == ignoreAll)
        return MessageAnswer::IgnoreAll;
    if (box.clickedButton() && box.clickedButton() == chooseFolder)
        return MessageAnswer::ChooseFolder;
    switch (answer) {
    case QMessageBox::Cancel: return MessageAnswer::Cancel;
    case QMessageBox::Yes: return MessageAnswer::Yes;
    case QMessageBox::No: return MessageAnswer::No;
    default: return MessageAnswer::Ok;
    }
}

bool WidgetPlatform::shellOpen(const QString &pathOrAddress)
{
    const QUrl url = pathOrAddress.contains(QLatin1String("://"))
        ? QUrl(pathOrAddress)
        : QUrl::fromLocalFile(pathOrAddress);
    return QDesktopServices::openUrl(url);
}

void WidgetPlatform::beginBusy()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

void WidgetPlatform::endBusy()
{
    QApplication::restoreOverrideCursor();
}

QString WidgetPlatform::chooseFolder(const QString &start)
{
    QWidget *parent = QApplication::activeModalWidget();
    return QFileDialog::getExistingDirectory(parent ? parent : m_parent, tr("Folder for the Analysis Files"), start);
}

} // namespace sortana
