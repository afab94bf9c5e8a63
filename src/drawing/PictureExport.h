#pragma once

#include "drawing/DendrogramLayout.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include <optional>

class QPagedPaintDevice;
class QPaintDevice;

namespace sortana {

class Document;
struct Adequacy;
class Platform;
struct CategoryTable;

// The screen a picture stands in for, as a metafile's reference device does: a picture's
// margins are a scroll bar's thickness on that screen, whatever the picture's own resolution.
struct ReferenceScreen {
    double scrollBarExtent = 17;   // pixels of the screen
    double dpi = 96;
};

// The drawing at its real size as SVG, drawn like the screen. One SVG unit is 0.01 mm, so
// the view box and the size are the drawing's extent: its drawing size, widened to the
// widest name and with the similarity scale below when the document shows it. Empty when it
// cannot be made.
QByteArray svgPicture(const Document &document, const ReferenceScreen &screen, const QString &description);

// Lays the drawing out as that screen shows it, which settles the document's drawing size,
// and returns its extent, the frame svgPicture gives it.
QSize extentOnScreen(const Document &document, const ReferenceScreen &screen);

// How the dendrogram lies in a picture of the resolution given, drawn like that screen: where
// each row, join and label stands. Nothing for an empty document.
std::optional<DendrogramGeometry> pictureLayout(const Document &document, const ReferenceScreen &screen, int dpi);

// The same drawing as an image of the resolution given, white where nothing is drawn. Null
// when an image of that size cannot be had.
QImage pictureImage(const Document &document, const ReferenceScreen &screen, int dpi);

// Draws like a printer on the device's current page: at its real size from the top-left
// corner of the printable area, cut off at its edges, with the margins the screen shows.
// False when the device cannot be painted on.
bool printPage(const Document &document, QPagedPaintDevice &device, const ReferenceScreen &screen);

// True for the picture files savePicture can write: .svg, .png and .pdf.
bool isPicturePath(const QString &path);

// The resolution of a PNG picture unless the user chooses another.
inline constexpr int defaultPngDpi = 150;
// At this resolution one device pixel of an SVG picture is one unit of the drawing.
inline constexpr int svgDpi = 2540;
inline constexpr int pdfDpi = 1200;

// Draws the document's dendrogram at its real size (its drawing size in 0.01 mm, widened to
// the widest name and with the similarity scale below when the document shows it) into an
// SVG or PNG picture, drawn like the screen, or a one-page PDF, drawn like a printer. False,
// after telling the user, when the file cannot be written or the document is empty.
bool savePicture(const Document &document, const QString &path, Platform &platform, int pngDpi = defaultPngDpi);

// The similarity matrix as a picture: cells as high as a row of the document's font, the
// whole at most this many 0.01 mm a side.
inline constexpr int maxMatrixPictureSide = 40000;

// What a document saved without its matrix shows instead.
inline const QString noMatrixMessage =
    QStringLiteral("This document was saved without its similarity matrix. Import the study again to add it.");

// The document's similarity matrix as the dendrogram's pictures are made: SVG in 0.01 mm or
// an image of the resolution given. Empty or null when the document has no matrix or the
// picture cannot be made.
QByteArray matrixSvgPicture(const Document &document, const ReferenceScreen &screen, const QString &description);
QImage matrixPictureImage(const Document &document, const ReferenceScreen &screen, int dpi);

// savePicture for the similarity matrix. A document without the matrix is refused with
// noMatrixMessage.
bool saveMatrixPicture(const Document &document, const QString &path, Platform &platform,
                       int pngDpi = defaultPngDpi);

// The placement matrix of the document's categories as pictures, made as the similarity
// matrix's are. Empty or null when the study has no category.
QByteArray placementSvgPicture(const Document &document, const CategoryTable &table,
                               const ReferenceScreen &screen, const QString &description);
QImage placementPictureImage(const Document &document, const CategoryTable &table,
                             const ReferenceScreen &screen, int dpi);

// savePicture for the placement matrix. A document saved without the sorts is refused with
// the message that says so.
bool savePlacementPicture(const Document &document, const QString &path, Platform &platform,
                          int pngDpi = defaultPngDpi);

// The participants-enough chart as pictures, drawn at its real size with its text in the
// font named; the same types as the other pictures.
QByteArray adequacySvgPicture(const Adequacy &adequacy, const QString &fontName, const QString &description);
QImage adequacyPictureImage(const Adequacy &adequacy, const QString &fontName, int dpi);
bool saveAdequacyPicture(const Adequacy &adequacy, const QString &fontName, const QString &path, Platform &platform,
                         int pngDpi = defaultPngDpi);

} // namespace sortana
