#pragma once

#include "drawing/PictureExport.h"

#include <QString>
#include <QStringList>

class QWidget;

namespace sortana {

// Where File > Export Picture writes, and at which resolution a PNG is drawn.
struct PictureTarget {
    QString path;   // empty when the user cancelled
    int pngDpi = defaultPngDpi;
};

// The file types offered: SVG, PNG once for each resolution, and PDF.
QStringList pictureFilters();

// What the user chose in the dialog. A name without the suffix of a picture gets the chosen
// type's; a PNG gets the chosen type's resolution, or the default when another type was
// chosen and the name says PNG all the same.
PictureTarget pictureTarget(const QString &chosenPath, const QString &chosenFilter);

// A first name for the picture: the document's, beside it, as an SVG; a matrix window's picture
// says so in its name.
QString initialPicturePath(const QString &documentPath, bool matrix);
// The same for any window, whose picture carries the suffix given after the document's name.
QString initialPicturePath(const QString &documentPath, const QString &windowSuffix);

// Asks with a file dialog, starting from the path given.
PictureTarget askPictureTarget(QWidget *parent, const QString &initial);

} // namespace sortana
