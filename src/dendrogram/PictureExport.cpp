#include "dendrogram/PictureExport.h"

#include "dendrogram/DendrogramDrawing.h"
#include "dendrogram/DrawingSurface.h"
#include "document/CSortanaMdiDoc.h"
#include "platform/Platform.h"

#include <QFileInfo>
#include <QImage>
#include <QPageSize>
#include <QPdfWriter>
#include <QSvgGenerator>

#include <cmath>

namespace sortana {

namespace {

// A scroll bar's thickness on a classic desktop: the pictures' margins.
constexpr int scrollBarExtent = 17;
constexpr int pictureDpi = 96;
constexpr int pngDpi = 150;
constexpr int pdfDpi = 1200;

int toPixels(int himetric, int dpi)
{
    return std::max(1, int(std::ceil(himetric * double(dpi) / himetricPerInch)));
}

void setResolution(QImage &image, int dpi)
{
    const int dotsPerMeter = int(std::lround(dpi / 0.0254));
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
}

// The drawing's height follows from its rows, so one drawing on a scratch image of the
// same resolution settles the size before the picture itself is made.
void settleDrawingSize(CSortanaMdiDoc &document, int dpi)
{
    QImage scratch(1, 1, QImage::Format_ARGB32);
    setResolution(scratch, dpi);
    QPainter painter(&scratch);
    DrawingSurface surface(painter, false, scrollBarExtent);
    Draw(document, surface, {});
}

bool saveSvg(CSortanaMdiDoc &document, const QString &path)
{
    settleDrawingSize(document, pictureDpi);
    const QSize pixels(toPixels(document.drawingSize.cx, pictureDpi), toPixels(document.drawingSize.cy, pictureDpi));
    QSvgGenerator generator;
    generator.setFileName(path);
    generator.setResolution(pictureDpi);
    generator.setSize(pixels);
    generator.setViewBox(QRect(QPoint(0, 0), pixels));
    generator.setTitle(QStringLiteral("Sortana"));
    generator.setDescription(QStringLiteral("Dendogram"));
    QPainter painter;
    if (!painter.begin(&generator))
        return false;
    DrawingSurface surface(painter, false, scrollBarExtent);
    Draw(document, surface, {});
    return painter.end();
}

bool savePng(CSortanaMdiDoc &document, const QString &path)
{
    settleDrawingSize(document, pngDpi);
    QImage image(toPixels(document.drawingSize.cx, pngDpi), toPixels(document.drawingSize.cy, pngDpi),
                 QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return false;
    setResolution(image, pngDpi);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::TextAntialiasing);
        DrawingSurface surface(painter, false, scrollBarExtent);
        Draw(document, surface, {});
    }
    return image.save(path, "PNG");
}

bool savePdf(CSortanaMdiDoc &document, const QString &path)
{
    settleDrawingSize(document, pdfDpi);
    QPdfWriter writer(path);
    writer.setResolution(pdfDpi);
    writer.setCreator(QStringLiteral("Sortana"));
    writer.setTitle(QStringLiteral("Dendogram"));
    writer.setPageSize(QPageSize(QSizeF(document.drawingSize.cx / 100.0, document.drawingSize.cy / 100.0),
                                 QPageSize::Millimeter));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter painter;
    if (!painter.begin(&writer))
        return false;
    DrawingSurface surface(painter, true, scrollBarExtent);
    Draw(document, surface, {});
    return painter.end();
}

QString suffixOf(const QString &path)
{
    return QFileInfo(path).suffix().toLower();
}

} // namespace

bool isPicturePath(const QString &path)
{
    const QString suffix = suffixOf(path);
    return suffix == u"svg" || suffix == u"png" || suffix == u"pdf";
}

bool savePicture(CSortanaMdiDoc &document, const QString &path, Platform &platform)
{
    bool saved = false;
    if (document.hasStudy() && document.clusterRoot) {
        const QString suffix = suffixOf(path);
        if (suffix == u"svg")
            saved = saveSvg(document, path);
        else if (suffix == u"png")
            saved = savePng(document, path);
        else if (suffix == u"pdf")
            saved = savePdf(document, path);
    }
    if (!saved)
        platform.fileFailure(QStringLiteral("Failed to save picture.\nMake sure the folder exists and is writable"));
    return saved;
}

} // namespace sortana
