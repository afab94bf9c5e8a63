#pragma once

#include <QString>

#include <functional>

class QIODevice;

namespace sortana {

class Platform;

// True when the path exists and is not a regular file (a FIFO, a device, a folder), following
// links: reading one may block for ever and writing one would not keep what was written.
bool isIrregularFile(const QString &path);

// Tell the user and return false when the path exists and is not a regular file.
bool checkInputFile(const QString &path, Platform &platform);
bool checkOutputFile(const QString &path, Platform &platform);

// What the user is told when a file could not be written.
QString writeFailedMessage(const QString &path);

// Whether two paths name one file: the same device and inode when both exist (so links and
// other spellings are seen through), otherwise the same absolute path with the existing part
// of it resolved.
bool isSameFile(const QString &first, const QString &second);

// Writes a whole file through a temporary file beside it, which replaces the file only when
// every write and the final flush went through; a failure leaves the old file as it was.
// `write` puts the content on the device and returns false when it could not.
// Asks the system to start writing the given part of an open file to disk now, without
// waiting for it: a large file then reaches the disk while the rest is still being made, and
// the sync before its rename has little left to wait for. Only advice; nothing happens where
// the system has no such request.
void startWritingBack(int fileDescriptor, qint64 offset, qint64 length);

bool saveReplacing(const QString &path, const std::function<bool(QIODevice &)> &write);

} // namespace sortana
