#include "platform/SafeFiles.h"

#include "platform/MessageText.h"
#include "platform/Platform.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <optional>

#include <fcntl.h>
#include <sys/stat.h>

namespace sortana {

namespace {

struct FileIdentity {
    dev_t device;
    ino_t inode;
};

std::optional<FileIdentity> identityOf(const QString &path)
{
    struct stat status {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &status) != 0)
        return std::nullopt;
    return FileIdentity{status.st_dev, status.st_ino};
}

// Where a file not yet there would be written: links followed (a save writes through them)
// and the existing folder resolved.
QString resolvedPath(const QString &path)
{
    QFileInfo info(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    for (int depth = 0; depth < 40 && info.isSymLink(); ++depth)
        info.setFile(QDir::cleanPath(info.symLinkTarget()));
    const QString folder = QFileInfo(info.path()).canonicalFilePath();
    return folder.isEmpty() ? info.filePath() : QDir(folder).filePath(info.fileName());
}

} // namespace

bool isIrregularFile(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() && !info.isFile();
}

bool checkInputFile(const QString &path, Platform &platform)
{
    if (!isIrregularFile(path))
        return true;
    platform.fileFailure(formatMessage(u"The input file %s is not a regular file", {path}));
    return false;
}

bool checkOutputFile(const QString &path, Platform &platform)
{
    if (!isIrregularFile(path))
        return true;
    platform.fileFailure(formatMessage(u"The output file %s is not a regular file", {path}));
    return false;
}

QString writeFailedMessage(const QString &path)
{
    return formatMessage(u"Failed to write %s\nMake sure there is enough free space on the disk", {path});
}

bool isSameFile(const QString &first, const QString &second)
{
    const std::optional<FileIdentity> a = identityOf(first);
    const std::optional<FileIdentity> b = identityOf(second);
    if (a && b)
        return a->device == b->device && a->inode == b->inode;
    return !first.isEmpty() && resolvedPath(first) == resolvedPath(second);
}

bool saveReplacing(const QString &path, const std::function<bool(QIODevice &)> &write)
{
    if (isIrregularFile(path))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // Qt 6.4 commits a file whose buffered bytes could not be flushed, so every write and
    // the last flush are checked here and the file is abandoned on the first failure.
    if (!write(file) || !file.flush() || file.error() != QFileDevice::NoError) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

void startWritingBack(int fileDescriptor, qint64 offset, qint64 length)
{
#ifdef __linux__
    if (fileDescriptor >= 0)
        sync_file_range(fileDescriptor, offset, length, SYNC_FILE_RANGE_WRITE);
#else
    Q_UNUSED(fileDescriptor);
    Q_UNUSED(offset);
    Q_UNUSED(length);
#endif
}

} // namespace sortana
