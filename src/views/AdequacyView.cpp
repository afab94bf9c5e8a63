#include "views/AdequacyView.h"

#include "document/Document.h"
#include "drawing/AdequacyChart.h"
#include "drawing/DrawingSurface.h"
#include "drawing/PictureExport.h"
#include "platform/Platform.h"

#include <QMimeData>
#include <QPainter>
#include <QPrinter>

#include <algorithm>

namespace sortana {

namespace {

// Draws the chart as large as it fits the area, centred, keeping its shape.
void drawFitted(const Adequacy &adequacy, QPainter &painter, const QRectF &area, const QString &fontName)
{
    const double dpiX = painter.device()->logicalDpiX();
    const double dpiY = painter.device()->logicalDpiY();
    const QSizeF real(adequacyChartSize.width() * dpiX / himetricPerInch,
                      adequacyChartSize.height() * dpiY / himetricPerInch);
    const double scale = std::min(area.width() / real.width(), area.height() / real.height());
    if (!(scale > 0))
        return;
    painter.save();
    painter.translate(area.center() - QPointF(real.width(), real.height()) * scale / 2);
    painter.scale(scale, scale);
    drawAdequacyChart(adequacy, painter, fontName);
    painter.restore();
}

} // namespace

AdequacyView::AdequacyView(Document *document, Platform &platform, QWidget *parent)
    : DocumentWindow(document, platform, parent)
{
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void AdequacyView::initialUpdate()
{
    viewport()->update();
}

void AdequacyView::documentUpdated(UpdateHint)
{
    viewport()->update();
}

bool AdequacyView::canCopy() const
{
    return m_document && m_document->adequacy();
}

QString AdequacyView::fontName() const
{
    return m_document ? m_document->settings().fontName : QString();
}

void AdequacyView::copyToClipboard()
{
    if (!canCopy())
        return;
    const QString description = QStringLiteral("Enough Participants");
    offerOnClipboard(pictureMimeData(adequacySvgPicture(*m_document->adequacy(), fontName(), description),
                                     adequacyPictureImage(*m_document->adequacy(), fontName(), logicalDpiX())));
}

bool AdequacyView::exportPicture(const QString &path, int pngDpi)
{
    return canCopy() && saveAdequacyPicture(*m_document->adequacy(), fontName(), path, m_platform, pngDpi);
}

bool AdequacyView::printTo(QPrinter &printer)
{
    if (!canCopy())
        return false;
    QPainter painter;
    bool printed = painter.begin(&printer);
    if (printed) {
        drawFitted(*m_document->adequacy(), painter, QRectF(QPointF(0, 0), QSizeF(printer.width(), printer.height())),
                   fontName());
        printed = painter.end();
    }
    if (!printed)
        m_platform.error(tr("The chart could not be printed.\nMake sure the printer is ready"));
    return printed;
}

void AdequacyView::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), Qt::white);
    if (canCopy())
        drawFitted(*m_document->adequacy(), painter, viewport()->rect(), fontName());
    else
        painter.drawText(viewport()->rect().adjusted(20, 20, -20, -20), Qt::AlignCenter | Qt::TextWordWrap,
                         noAdequacyMessage);
}

} // namespace sortana
