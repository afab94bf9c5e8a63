#include "drawing/PictureExport.h"

#include "document/Document.h"
#include "drawing/AdequacyChart.h"
#include "drawing/DendrogramDrawing.h"
#include "drawing/DendrogramLayout.h"
#include "drawing/DrawingSurface.h"
#include "drawing/MatrixDrawing.h"
#include "drawing/PlacementDrawing.h"
#include "document/DocumentCategories.h"
#include "platform/MessageText.h"
#include "platform/Platform.h"
#include "platform/SafeFiles.h"

#include <QBuffer>
#include <QFileInfo>
#include <QPageSize>
#include <QPdfWriter>
#include <QSvgGenerator>

#include <cmath>
#include <functional>
#include <memory>

namespace sortana {

namespace {

// Pictures written by sortana-cli stand in for a classic desktop screen.
constexpr ReferenceScreen fileScreen;

int toPixels(int himetric, int dpi)
{
    return std::max(1, int(std::ceil(himetric * double(dpi) / himetricPerInch)));
}

// Raster pictures are held whole in memory: a damaged drawing size must not make one of
// gigabytes.
constexpr qint64 maxImageBytes = qint64(1) << 30;
constexpr int maxImageSide = 1'000'000;

bool isAllowedImageSize(QSize pixels)
{
    return pixels.width() <= maxImageSide && pixels.height() <= maxImageSide
        && qint64(pixels.width()) * pixels.height() * 4 <= maxImageBytes;
}


void setResolution(QImage &image, double dpi)
{
    const int dotsPerMeter = int(std::lround(dpi / 0.0254));
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
}

// A white image of that size and resolution; null when it may not or cannot be had.
QImage blankImage(QSize size, int dpi)
{
    if (!isAllowedImageSize(size))
        return {};
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return image;
    setResolution(image, dpi);
    image.fill(Qt::white);
    return image;
}

// The screen's scroll bar in pixels of the resolution given, so the margins come out the
// same in 0.01 mm on every picture.
double extentAt(const ReferenceScreen &screen, int dpi)
{
    return screen.scrollBarExtent * dpi / screen.dpi;
}

QSize pixelsOf(QSize himetric, int dpi)
{
    return {toPixels(himetric.width(), dpi), toPixels(himetric.height(), dpi)};
}

// The drawing's height follows from its rows, and what a picture holds beyond its drawing
// size (the widest name, the similarity scale) from its text, so one drawing on a scratch
// image of the same resolution settles the picture's frame before the picture is made.
QSize settleExtent(const Document &document, double dpi, double scrollBarExtent)
{
    QImage scratch(1, 1, QImage::Format_ARGB32);
    setResolution(scratch, dpi);
    QPainter painter(&scratch);
    DrawingSurface surface(painter, false, scrollBarExtent);
    return Draw(document, surface, {});
}

} // namespace

std::optional<DendrogramGeometry> pictureLayout(const Document &document, const ReferenceScreen &screen, int dpi)
{
    const QSize size = settleExtent(document, screen.dpi, screen.scrollBarExtent);
    QImage scratch(1, 1, QImage::Format_ARGB32);
    setResolution(scratch, dpi);
    QPainter painter(&scratch);
    DrawingSurface surface(painter, false, extentAt(screen, dpi));
    return layOutDendrogram(document, surface, size);
}

namespace {

bool saveSvg(const Document &document, const QString &path)
{
    const QByteArray picture = svgPicture(document, fileScreen, QStringLiteral("Dendogram"));
    return !picture.isEmpty()
        && saveReplacing(path, [&](QIODevice &file) { return file.write(picture) == picture.size(); });
}

bool savePng(const Document &document, const QString &path, int dpi)
{
    const QImage image = pictureImage(document, fileScreen, dpi);
    if (image.isNull())
        return false;
    // Encoded in memory first: a disk that fills up then fails our write, not libpng's, which
    // would print its own report and leave Qt's writer behind.
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG"))
        return false;
    return saveReplacing(path, [&](QIODevice &file) { return file.write(png) == png.size(); });
}

// Refuses, before anything is allocated, an image that may not be made.
bool checkImageSize(QSize size, Platform &platform)
{
    if (isAllowedImageSize(size))
        return true;
    platform.error(formatMessage(u"The picture would be too large (%d x %d pixels)",
                                 {QString::number(size.width()), QString::number(size.height())}));
    return false;
}

bool savePdf(const Document &document, const QString &path)
{
    const QSize extent = settleExtent(document, pdfDpi, extentAt(fileScreen, pdfDpi));
    return saveReplacing(path, [&](QIODevice &file) {
        QPdfWriter writer(&file);
        writer.setResolution(pdfDpi);
        writer.setCreator(QStringLiteral("Sortana"));
        writer.setTitle(QStringLiteral("Dendogram"));
        writer.setPageSize(QPageSize(QSizeF(extent.width() / 100.0, extent.height() / 100.0), QPageSize::Millimeter));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        return printPage(document, writer, fileScreen);
    });
}

QString suffixOf(const QString &path)
{
    return QFileInfo(path).suffix().toLower();
}

// The matrix is laid out once, with text measured as on the screen the picture stands in
// for, and drawn with that layout on every device.
MatrixGeometry matrixPictureLayout(const Document &document, const ReferenceScreen &screen)
{
    QImage scratch(1, 1, QImage::Format_ARGB32);
    setResolution(scratch, screen.dpi);
    return layoutMatrix(document, &scratch, maxMatrixPictureSide);
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    return !bytes.isEmpty()
        && saveReplacing(path, [&](QIODevice &file) { return file.write(bytes) == bytes.size(); });
}

QByteArray pngOf(const QImage &image)
{
    QByteArray png;
    QBuffer buffer(&png);
    if (image.isNull() || !buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG"))
        return {};
    return png;
}

// A picture drawn by a function of its own on any device: its size in 0.01 mm, the title a
// PDF gets, and the painting, given the painter, a scroll bar's thickness on the device and
// whether the device prints. Empty when there is nothing to draw.
struct DrawnPicture {
    QSize size;
    QString title;
    std::function<void(QPainter &, double scrollBarExtent, bool printing)> paint;
    bool isEmpty() const { return size.isEmpty(); }
};

DrawnPicture matrixPicture(const Document &document, const ReferenceScreen &screen)
{
    auto geometry = std::make_shared<const MatrixGeometry>(matrixPictureLayout(document, screen));
    if (geometry->isEmpty())
        return {};
    return {geometry->size, QStringLiteral("Similarity Matrix"),
            [&document, geometry](QPainter &painter, double scrollBarExtent, bool printing) {
                DrawingSurface surface(painter, printing, scrollBarExtent);
                drawMatrix(document, *geometry, surface, QRect(QPoint(0, 0), geometry->size));
            }};
}

PlacementGeometry placementPictureLayout(const Document &document, const CategoryTable &table,
                                         const ReferenceScreen &screen)
{
    QImage scratch(1, 1, QImage::Format_ARGB32);
    setResolution(scratch, screen.dpi);
    return layoutPlacements(document, table, &scratch);
}

DrawnPicture placementPicture(const Document &document, const CategoryTable &table,
                              const ReferenceScreen &screen)
{
    auto geometry = std::make_shared<const PlacementGeometry>(placementPictureLayout(document, table, screen));
    if (geometry->isEmpty())
        return {};
    return {geometry->size, QStringLiteral("Placements"),
            [&document, &table, geometry](QPainter &painter, double scrollBarExtent, bool printing) {
                DrawingSurface surface(painter, printing, scrollBarExtent);
                drawPlacements(document, table, *geometry, surface, QRect(QPoint(0, 0), geometry->size));
            }};
}

DrawnPicture adequacyPicture(const Adequacy &adequacy, const QString &fontName)
{
    return {adequacyChartSize, QStringLiteral("Enough Participants"),
            [&adequacy, fontName](QPainter &painter, double, bool) { drawAdequacyChart(adequacy, painter, fontName); }};
}

// The SVG generator writes a font's family into its attribute as it stands, so a document's
// font named with a quote or markup would end the attribute early, or the picture's text
// where it stands inside a web page. The attribute is always followed by the size.
QByteArray withFamiliesEscaped(QByteArray svg)
{
    const QByteArray start = "font-family=\"";
    const QByteArray end = "\" font-size=\"";
    for (qsizetype from = svg.indexOf(start); from >= 0; from = svg.indexOf(start, from)) {
        from += start.size();
        const qsizetype to = svg.indexOf(end, from);
        if (to < 0)
            break;
        const QByteArray family = svg.mid(from, to - from);
        const QByteArray escaped = QString::fromUtf8(family).toHtmlEscaped().toUtf8();
        svg.replace(from, family.size(), escaped);
        from += escaped.size();
    }
    return svg;
}

QByteArray svgOf(const DrawnPicture &picture, const ReferenceScreen &screen, const QString &description)
{
    if (picture.isEmpty())
        return {};
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setResolution(svgDpi);
    generator.setSize(picture.size);
    generator.setViewBox(QRect(QPoint(0, 0), picture.size));
    generator.setTitle(applicationName.toString());
    generator.setDescription(description);
    QPainter painter;
    if (!painter.begin(&generator))
        return {};
    picture.paint(painter, extentAt(screen, svgDpi), false);
    if (!painter.end())
        return {};
    return withFamiliesEscaped(buffer.data());
}

QImage imageOf(const DrawnPicture &picture, const ReferenceScreen &screen, int dpi)
{
    if (picture.isEmpty())
        return {};
    QImage image = blankImage(pixelsOf(picture.size, dpi), dpi);
    if (image.isNull())
        return image;
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    picture.paint(painter, extentAt(screen, dpi), false);
    return image;
}

// SVG, PNG or a one-page PDF of the picture, by the path's suffix; false, after telling the
// user, when it could not be written.
bool saveDrawnPicture(const DrawnPicture &picture, const QString &path, Platform &platform, int pngDpi)
{
    const QString suffix = suffixOf(path);
    bool saved = false;
    if (suffix == u"svg") {
        saved = writeBytes(path, svgOf(picture, fileScreen, picture.title));
    } else if (suffix == u"png") {
        if (!checkImageSize(pixelsOf(picture.size, pngDpi), platform))
            return false;
        saved = writeBytes(path, pngOf(imageOf(picture, fileScreen, pngDpi)));
    } else if (suffix == u"pdf") {
        saved = !picture.isEmpty() && saveReplacing(path, [&](QIODevice &file) {
            QPdfWriter writer(&file);
            writer.setResolution(pdfDpi);
            writer.setCreator(QStringLiteral("Sortana"));
            writer.setTitle(picture.title);
            writer.setPageSize(
                QPageSize(QSizeF(picture.size.width() / 100.0, picture.size.height() / 100.0), QPageSize::Millimeter));
            writer.setPageMargins(QMarginsF(0, 0, 0, 0));
            QPainter painter;
            if (!painter.begin(&writer))
                return false;
            picture.paint(painter, 0, true);
            return painter.end();
        });
    }
    if (!saved)
        platform.fileFailure(QStringLiteral("Failed to save picture.\nMake sure the folder exists and is writable"));
    return saved;
}

} // namespace

QSize extentOnScreen(const Document &document, const ReferenceScreen &screen)
{
    return settleExtent(document, screen.dpi, screen.scrollBarExtent);
}

QByteArray svgPicture(const Document &document, const ReferenceScreen &screen, const QString &description)
{
    // Like a metafile's frame, the picture's frame is the drawing's extent as the screen lays
    // it out; text measured at the picture's finer resolution may differ from it by a few
    // hundredths of a millimetre, which the frame cuts off or leaves blank.
    const QSize size = extentOnScreen(document, screen);
    const double extent = extentAt(screen, svgDpi);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setResolution(svgDpi);
    generator.setSize(size);
    generator.setViewBox(QRect(QPoint(0, 0), size));
    generator.setTitle(applicationName.toString());
    generator.setDescription(description);
    QPainter painter;
    if (!painter.begin(&generator))
        return {};
    // The bands reach under names past the drawing's edge and under the scale, as on screen.
    DrawingSurface surface(painter, false, extent);
    Draw(document, surface, size);
    if (!painter.end())
        return {};
    return withFamiliesEscaped(buffer.data());
}

QImage pictureImage(const Document &document, const ReferenceScreen &screen, int dpi)
{
    const double extent = extentAt(screen, dpi);
    const QSize size = settleExtent(document, dpi, extent);
    QImage image = blankImage(pixelsOf(size, dpi), dpi);
    if (image.isNull())
        return image;
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::TextAntialiasing);
        DrawingSurface surface(painter, false, extent);
        Draw(document, surface, size);
    }
    return image;
}

bool printPage(const Document &document, QPagedPaintDevice &device, const ReferenceScreen &screen)
{
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    // The painter's origin is the printable area's corner; what lies past it is not printed.
    const QRect page(0, 0, device.width(), device.height());
    painter.setClipRect(page);
    // A printer's dots are far finer than the screen's pixels: margins of as many dots
    // would all but vanish and crowd the tree, the fit bars and the names together.
    DrawingSurface surface(painter, true, extentAt(screen, painter.device()->logicalDpiY()));
    Draw(document, surface, {surface.toHimetricX(page.width()), surface.toHimetricY(page.height())});
    return painter.end();
}

bool isPicturePath(const QString &path)
{
    const QString suffix = suffixOf(path);
    return suffix == u"svg" || suffix == u"png" || suffix == u"pdf";
}

bool savePicture(const Document &document, const QString &path, Platform &platform, int pngDpi)
{
    if (!checkOutputFile(path, platform))
        return false;
    const bool hasTree = document.hasStudy() && document.clusterRoot();
    const QString suffix = suffixOf(path);
    if (hasTree && suffix == u"png"
        && !checkImageSize(pixelsOf(settleExtent(document, pngDpi, extentAt(fileScreen, pngDpi)), pngDpi), platform))
        return false;
    bool saved = false;
    if (hasTree) {
        if (suffix == u"svg")
            saved = saveSvg(document, path);
        else if (suffix == u"png")
            saved = savePng(document, path, pngDpi);
        else if (suffix == u"pdf")
            saved = savePdf(document, path);
    }
    if (!saved)
        platform.fileFailure(QStringLiteral("Failed to save picture.\nMake sure the folder exists and is writable"));
    return saved;
}

QByteArray matrixSvgPicture(const Document &document, const ReferenceScreen &screen, const QString &description)
{
    return svgOf(matrixPicture(document, screen), screen, description);
}

QImage matrixPictureImage(const Document &document, const ReferenceScreen &screen, int dpi)
{
    return imageOf(matrixPicture(document, screen), screen, dpi);
}

bool saveMatrixPicture(const Document &document, const QString &path, Platform &platform, int pngDpi)
{
    if (!checkOutputFile(path, platform))
        return false;
    if (!document.hasStudy() || !document.study().similarity) {
        platform.error(noMatrixMessage);
        return false;
    }
    return saveDrawnPicture(matrixPicture(document, fileScreen), path, platform, pngDpi);
}

QByteArray placementSvgPicture(const Document &document, const CategoryTable &table,
                               const ReferenceScreen &screen, const QString &description)
{
    return svgOf(placementPicture(document, table, screen), screen, description);
}

QImage placementPictureImage(const Document &document, const CategoryTable &table,
                             const ReferenceScreen &screen, int dpi)
{
    return imageOf(placementPicture(document, table, screen), screen, dpi);
}

bool savePlacementPicture(const Document &document, const QString &path, Platform &platform, int pngDpi)
{
    if (!checkOutputFile(path, platform))
        return false;
    const std::optional<CategoryTable> &table = documentCategories(document);
    if (!table) {
        platform.error(QString::fromUtf16(sortsMissingMessage));
        return false;
    }
    return saveDrawnPicture(placementPicture(document, *table, fileScreen), path, platform, pngDpi);
}

QByteArray adequacySvgPicture(const Adequacy &adequacy, const QString &fontName, const QString &description)
{
    return svgOf(adequacyPicture(adequacy, fontName), fileScreen, description);
}

QImage adequacyPictureImage(const Adequacy &adequacy, const QString &fontName, int dpi)
{
    return imageOf(adequacyPicture(adequacy, fontName), fileScreen, dpi);
}

bool saveAdequacyPicture(const Adequacy &adequacy, const QString &fontName, const QString &path, Platform &platform,
                         int pngDpi)
{
    return checkOutputFile(path, platform)
        && saveDrawnPicture(adequacyPicture(adequacy, fontName), path, platform, pngDpi);
}

} // namespace sortana
