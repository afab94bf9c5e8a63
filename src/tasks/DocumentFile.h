#pragma once

#include <QString>
#include <QStringView>

namespace sortana {

// The extension of document files, without its dot.
inline constexpr QStringView documentExtension = u"klus";

// Whether the path's extension is the documents' one, in any letter case.
bool hasDocumentExtension(const QString &path);

class Document;
class Platform;

// Loads a document file into the document; an empty file gives an empty document. False,
// after telling the user, when the file cannot be read or is damaged: the document is then
// not to be shown.
bool openDocumentFile(Document &document, const QString &path, Platform &platform);

enum class OpenOutcome { Loaded, ImportRequested, Failed };

// What opening any file does: a document file (".klus" in any letter case) is loaded; any
// other file, existing or not, is to be the input of an import, which the caller then starts.
OpenOutcome openDocument(Document &document, const QString &path, Platform &platform);

// Writes the document to a temporary file beside the target and renames it over the target,
// so a failed save leaves the previous file as it was. False after telling the user.
bool saveDocumentFile(Document &document, const QString &path, Platform &platform);

} // namespace sortana
