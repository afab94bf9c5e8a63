#include "tasks/DocumentFile.h"

#include "document/Document.h"
#include "formats/Archive.h"
#include "platform/Platform.h"
#include "platform/SafeFiles.h"

#include <QFile>
#include <QFileInfo>

namespace sortana {

namespace {

void takePath(Document &document, const QString &path)
{
    document.pathName = path;
    document.title = QFileInfo(path).fileName();
    document.setModified(false);
}

} // namespace

bool hasDocumentExtension(const QString &path)
{
    return QFileInfo(path).suffix().compare(documentExtension, Qt::CaseInsensitive) == 0;
}

bool openDocumentFile(Document &document, const QString &path, Platform &platform)
{
    if (!checkInputFile(path, platform))
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        platform.fileFailure(QStringLiteral("Failed to open document."));
        return false;
    }
    const qint64 size = file.size();
    if (size > 0) {
        // Mapped rather than read: however large the file, nothing is allocated for it.
        const uchar *mapped = file.map(0, size);
        QByteArray copy;
        if (!mapped) {
            copy = file.readAll();
            if (copy.size() != size) {
                platform.fileFailure(QStringLiteral("Failed to open document."));
                return false;
            }
        }
        ArchiveReader archive(mapped ? QByteArrayView(mapped, size) : QByteArrayView(copy));
        if (!document.serialize(archive)) {
            platform.fileFailure(QStringLiteral("Unexpected file format."));
            return false;
        }
    }
    takePath(document, path);
    return true;
}

OpenOutcome openDocument(Document &document, const QString &path, Platform &platform)
{
    // A missing file never counts as a document: the import then reports it.
    if (!QFileInfo::exists(path) || !hasDocumentExtension(path)) {
        return OpenOutcome::ImportRequested;
    }
    if (!openDocumentFile(document, path, platform))
        return OpenOutcome::Failed;
    return OpenOutcome::Loaded;
}

bool saveDocumentFile(Document &document, const QString &path, Platform &platform)
{
    if (!document.hasStudy()) {
        platform.fileFailure(QStringLiteral("Failed to save document."));
        return false;
    }
    if (!checkOutputFile(path, platform))
        return false;
    ArchiveWriter archive;
    document.serialize(archive);
    const QByteArray &bytes = archive.bytes();
    if (!saveReplacing(path, [&](QIODevice &file) { return file.write(bytes) == bytes.size(); })) {
        platform.fileFailure(QStringLiteral("Failed to save document."));
        return false;
    }
    takePath(document, path);
    return true;
}

} // namespace sortana
