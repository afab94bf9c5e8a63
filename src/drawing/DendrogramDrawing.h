#pragma once

#include "drawing/DendrogramLayout.h"

#include <QColor>
#include <QRectF>
#include <QSize>
#include <QString>

#include <optional>

namespace sortana {

class Document;
class DrawingSurface;

// Lays out and paints the document's dendrogram: group bands with dotted boundaries, the
// separator strip, fit bars, names, the tree and, when the document shows it, the similarity
// scale below the drawing's height, and settles the document's drawing height. Returns what
// the drawing covers, the names past its edge and the scale included. An empty document
// draws nothing and gives its drawing size; a requested paint height of 0 paints the
// document's drawing size.
QSize Draw(const Document &document, DrawingSurface &surface, QSize requestedPaintSize);

// The first half of Draw: lays the dendrogram out for the surface and settles the drawing's
// height, but paints nothing. Nothing for an empty document.
std::optional<DendrogramGeometry> layOutDendrogram(const Document &document, DrawingSurface &surface,
                                                   QSize requestedPaintSize);

// The second half, for a window that keeps its layout from frame to frame: paints what Draw
// would paint with that layout on a surface of the same resolution and margins, leaving out
// the rows and lines that lie wholly outside `exposed` (the painter's coordinates), and the
// similarity scale, which the window keeps in view itself.
void drawDendrogramPart(const Document &document, const DendrogramGeometry &geometry, DrawingSurface &surface,
                        QSize requestedPaintSize, QRectF exposed);

// For a printed page: paints the rows from `firstRow` on, `rows` of them, whole, with the bands
// and the tree's lines across them, and nothing of any other row; the scale is left out.
void drawDendrogramRows(const Document &document, const DendrogramGeometry &geometry, DrawingSurface &surface,
                        QSize requestedPaintSize, int firstRow, int rows);

// The similarity scale of the layout alone, on the plain background over the width given,
// where the surface puts it: under the rows of a page, or at the bottom of a window.
void drawSimilarityScale(const DendrogramGeometry &geometry, DrawingSurface &surface, int width);

// A text at the top right of a band whose first row is given, in the names' font, its right
// end at `right` (0.01 mm).
void drawBandLabel(const DendrogramGeometry &geometry, DrawingSurface &surface, int firstRow, int right,
                   const QString &text);

// What stands under the similarity scale instead of the bands.
inline const QColor plainBackground = Qt::white;

} // namespace sortana
