#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

namespace sortana {

class Document;
class Platform;

// Loads a document that holds a study. False after telling the user.
bool openStudyDocument(Document &document, const QString &path, Platform &platform);

// Checks the files a command is to write from a document before anything is read: none may
// be the document or another of them (exit status 2), and none may be something other than
// a regular file (1). Returns 0 when all can be written.
int refuseOutputs(const std::vector<QString> &outputs, const QString &documentPath, Platform &platform);

// Writes a whole file safely (a temporary file, checked to the last flush, then renamed over
// it). False after telling the user.
bool writeOutputFile(const QString &path, const QByteArray &bytes, Platform &platform);

} // namespace sortana
