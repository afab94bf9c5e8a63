#pragma once

#include <QSize>

namespace sortana {

class CSortanaMdiDoc;
class DrawingSurface;

// Lays out and paints the document's dendrogram: group bands with dotted boundaries, the
// separator strip, fit bars, names, the tree and, when the document shows it, the similarity
// scale below the drawing's height. The layout stays in the document. An empty
// document draws nothing; a requested paint height of 0 paints the document's drawing size.
void Draw(CSortanaMdiDoc &document, DrawingSurface &surface, QSize requestedPaintSize);

} // namespace sortana
