#pragma once

#include <QString>

namespace sortana {

class CSortanaMdiDoc;
class Platform;

// True for the picture files savePicture can write: .svg, .png and .pdf.
bool isPicturePath(const QString &path);

// Draws the document's dendrogram at its real size (its drawing size in 0.01 mm) into an
// SVG or PNG picture, drawn like the screen, or a one-page PDF, drawn like a printer. False,
// after telling the user, when the file cannot be written or the document is empty.
bool savePicture(CSortanaMdiDoc &document, const QString &path, Platform &platform);

} // namespace sortana
