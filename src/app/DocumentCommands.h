#pragma once

#include "document/DocumentFile.h"

#include <QString>

class QAction;
class QWidget;

namespace sortana {

class CSortanaMdiDoc;
class DocumentTemplate;
class Platform;

// What the document's commands need from the program around them.
struct CommandContext {
    Platform &platform;
    DocumentTemplate &documentTemplate;
    QWidget *mainWindow;     // owner of the dialogs
    QAction *importCommand;  // the Import and Export command, which New and data files start
};

// Import and Export: runs the wizard and, when it finished, exports, moves the results into
// the document, names it after the input and, when asked, opens the analysis files. Returns
// the wizard's result.
int OnImportExport(CSortanaMdiDoc &document, const CommandContext &context);

// A new, empty document, with the import started as soon as its window exists.
bool OnNewDocument(CSortanaMdiDoc &document, const CommandContext &context);

// Opens any file: documents are loaded; any other file is the input of an import started as
// soon as the new document's window exists.
OpenOutcome openByType(CSortanaMdiDoc &document, const QString &path, const CommandContext &context);

void OnProperties(const CSortanaMdiDoc &document, QWidget *parent);

// Properties and Save have nothing to show or write for an empty document.
bool OnUpdateProperties(const CSortanaMdiDoc &document);
bool OnUpdateSave(const CSortanaMdiDoc &document);

} // namespace sortana
