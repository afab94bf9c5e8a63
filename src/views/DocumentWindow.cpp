#include "views/DocumentWindow.h"

#include "document/Document.h"
#include "platform/Platform.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDrag>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QImage>
#include <QMimeData>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QScrollBar>
#include <QToolTip>

namespace sortana {

namespace {

const QString svgMimeType = QStringLiteral("image/svg+xml");
const QString pngMimeType = QStringLiteral("image/png");

} // namespace

DocumentWindow::DocumentWindow(Document *document, Platform &platform, QWidget *parent)
    : QAbstractScrollArea(parent), m_document(document), m_platform(platform)
{
    if (!m_document)
        return;
    connect(m_document, &Document::studyChanged, this, [this] { documentUpdated(UpdateHint::NewStudy); });
    connect(m_document, &Document::presentationChanged, this, [this] { documentUpdated(UpdateHint::Redraw); });
}

void DocumentWindow::print(QPrinter &printer)
{
    if (!m_document)
        return;
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() == QDialog::Accepted)
        printTo(printer);
}

void DocumentWindow::printDirect(QPrinter &printer)
{
    if (!m_document)
        return;
    printTo(printer);
}

int DocumentWindow::printPreview(QPrinter &printer, int pagesShown)
{
    if (!m_document)
        return pagesShown;
    QPrintPreviewDialog dialog(&printer, this);
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter *preview) { printTo(*preview); });
    auto *preview = dialog.findChild<QPrintPreviewWidget *>();
    if (preview && pagesShown == 2)
        preview->setViewMode(QPrintPreviewWidget::FacingPagesView);
    dialog.exec();
    return preview && preview->viewMode() == QPrintPreviewWidget::FacingPagesView ? 2 : 1;
}

bool DocumentWindow::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const QString text = tipAt(help->pos());
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), text, viewport());
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

void DocumentWindow::followMouse(const QMouseEvent &event, std::optional<QPoint> &pressPoint,
                                 const std::function<std::unique_ptr<QMimeData>()> &picture)
{
    const QPoint point = event.position().toPoint();
    if (!(event.buttons() & Qt::LeftButton)) {
        pressPoint.reset();
        if (QToolTip::isVisible()) {
            const QString text = tipAt(point);
            if (text.isEmpty())
                QToolTip::hideText();
            else
                QToolTip::showText(event.globalPosition().toPoint(), text, viewport());
        }
    } else if (pressPoint && (point - *pressPoint).manhattanLength() >= QApplication::startDragDistance()) {
        pressPoint.reset();
        // Qt deletes the drag once it is over; the result does not matter.
        auto *drag = new QDrag(this);
        drag->setMimeData(picture().release());
        drag->exec(Qt::CopyAction | Qt::MoveAction | Qt::LinkAction);
    }
}

std::unique_ptr<QMimeData> DocumentWindow::pictureMimeData(const QByteArray &svg, const QImage &image)
{
    auto data = std::make_unique<QMimeData>();
    if (!svg.isEmpty())
        data->setData(svgMimeType, svg);
    if (!image.isNull()) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        data->setData(pngMimeType, bytes);
    }
    return data;
}

bool DocumentWindow::printPagesOn(QPrinter &printer, const QString &what,
                                  const std::function<bool(QPainter &, const std::function<bool()> &)> &printPages)
{
    QPainter painter;
    bool printed = painter.begin(&printer);
    if (printed) {
        printed = printPages(painter, [&printer] { return printer.newPage(); });
        printed = painter.end() && printed;
    }
    if (!printed)
        m_platform.error(tr("%1 could not be printed.\nMake sure the printer is ready").arg(what));
    return printed;
}

void DocumentWindow::offerOnClipboard(std::unique_ptr<QMimeData> data)
{
    // Qt opens, empties and fills the clipboard inside setMimeData, which replaces the whole
    // content in one step and reports nothing, so an emptying failure cannot be told apart.
    // What can be seen: no clipboard at all (there is none without an application object),
    // and afterwards whether the clipboard offers the picture, which it does not when a
    // picture could not be made or the platform refused the new content.
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (!clipboard) {
        message(tr("Cannot open the Clipboard"));
        return;
    }
    clipboard->setMimeData(data.release());
    const QMimeData *offered = clipboard->mimeData();
    if (!offered || !offered->hasFormat(svgMimeType) || !offered->hasFormat(pngMimeType))
        message(tr("Unable to set Clipboard data"));
}

void DocumentWindow::setScrollRange(QScrollBar &bar, int total, int page)
{
    bar.setRange(0, std::max(0, total - page));
    bar.setPageStep(page);
    bar.setSingleStep(std::max(1, page / 10));
}

void DocumentWindow::message(const QString &text)
{
    m_platform.messageBox(text, MessageIcon::None, MessageButtons::Ok);
}

} // namespace sortana
