#pragma once

#include <QString>

namespace sortana {

class Document;

// The dialog bar as a document sees it: the bar shows one document's settings at a time.
class DocumentBar {
public:
    virtual ~DocumentBar() = default;
    virtual void setDocument(Document *document) = 0;
    virtual Document *attachedDocument() const = 0;
    // Fills the bar's controls from its document.
    virtual void loadFromDocument() = 0;
};

// What changed in a document, for the windows that show it.
enum class UpdateHint {
    Redraw,     // the settings: draw again
    NewStudy,   // a new study: its drawing size changed as well
};

// A window that shows a document and must redraw when it changes.
class DocumentView {
public:
    virtual ~DocumentView() = default;
    virtual void documentUpdated(UpdateHint hint) = 0;
};

// The main window's dialog bar once it exists; set again by every view that becomes active.
extern DocumentBar *CurrentDialogBar;
// Presets the input of the next import: a dropped or opened data file, or the last input.
extern QString PendingImportPath;

} // namespace sortana
