#pragma once

#include "drawing/PictureExport.h"

#include <QString>

#include <cstdio>
#include <optional>

namespace sortana {

class Platform;

// Loads a document file and prints its summary, settings, items and leaf order as
// key=value lines. Returns the exit status: 0 shown, 1 when the file could not be loaded.
int runShow(const QString &documentPath, Platform &platform, std::FILE *out);

enum class RenderedPicture { Dendrogram, Matrix };

// The resolutions render takes for a PNG picture.
inline constexpr int minimumPngDpi = 50;
inline constexpr int maximumPngDpi = 1200;

struct RenderOptions {
    RenderedPicture picture = RenderedPicture::Dendrogram;
    int pngDpi = defaultPngDpi;
    // The similarity scale on or off whatever the document says; unset keeps its own choice.
    std::optional<bool> showScale;
};

// Draws a document's dendrogram or similarity matrix with its own settings into an SVG, PNG
// or PDF file. Returns the exit status: 0 written, 1 when the document or the picture failed
// (a document saved without its matrix has none to draw).
int runRender(const QString &documentPath, const QString &picturePath, Platform &platform,
              const RenderOptions &options = {});

} // namespace sortana
