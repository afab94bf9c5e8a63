#pragma once

#include "tasks/DocumentFile.h"

#include <QString>

#include <functional>

class QAction;
class QSettings;
class QWidget;

namespace sortana {

class Document;
class DocumentTemplate;
class Platform;

// What the document's commands need from the program around them.
struct CommandContext {
    Platform &platform;
    DocumentTemplate &documentTemplate;
    QWidget *mainWindow;     // owner of the dialogs
    QAction *importCommand;  // the Import and Export command, which New and data files start
    QSettings *settings = nullptr;  // the user's, where the wizard keeps its choices
    // The next import's input, as the wizard first shows it: a dropped or opened data file,
    // or the last input.
    QString *pendingImport = nullptr;
};

// Import and Export: runs the wizard and, when it finished, exports, moves the results into
// the document, names it after the input and, when asked, opens the analysis files. Returns
// the wizard's result.
int importStudy(Document &document, const CommandContext &context);

// A new, empty document, with the import started as soon as its window exists.
bool newDocument(Document &document, const CommandContext &context);

// Opens any file: documents are loaded; any other file is the input of an import started as
// soon as the new document's window exists.
OpenOutcome openByType(Document &document, const QString &path, const CommandContext &context);

// Asks where to save, starting from the path given; empty when the user cancels.
using SavePathChooser = std::function<QString(const QString &initial)>;

// Save writes the document to its own path, or asks for one first when it has none; Save As
// always asks. The path written, or empty when nothing was (cancelled, or failed after
// telling the user).
QString saveDocument(Document &document, Platform &platform, const SavePathChooser &choosePath);
QString saveDocumentAs(Document &document, Platform &platform, const SavePathChooser &choosePath);

// Before a modified document closes: "Save changes to ...?" Yes saves through `save`. True
// when the document may close.
bool saveModified(Document &document, Platform &platform, const std::function<bool()> &save);

void showProperties(const Document &document, QWidget *parent);

// View > Similarity Scale: shows or hides the scale under the document's dendrogram in every
// window, picture and print. A change marks the document modified, as the setting is saved.
void setSimilarityScaleShown(Document &document, bool shown);

// View > Group Names: the same for the groups' suggested names at the top right of the bands.
void setGroupNamesShown(Document &document, bool shown);
// View > Join Support: the same for each join's support and each group's stability.
void setJoinSupportShown(Document &document, bool shown);

// Puts the text on the clipboard as UTF-8 plain text; tells the user when that failed.
void copyAsText(const QString &text, Platform &platform);

// Properties and Save have nothing to show or write for an empty document.
bool canShowProperties(const Document &document);
bool canSave(const Document &document);

} // namespace sortana
