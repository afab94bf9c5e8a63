#pragma once

#include <QFile>
#include <QSaveFile>
#include <QString>
#include <QStringView>

#include <functional>
#include <vector>

namespace sortana {

// The one text file class: reads lines of 8-bit text (skipping a UTF-8 byte-order mark) or of
// UTF-16LE text with a byte-order mark, and writes UTF-16LE text with a byte-order mark. Files are always handled in
// binary, so line ends arrive and leave exactly as they are in the strings.
//
// A file opened for writing is written under a temporary name beside its path and only
// Commit puts it in place: closing it uncommitted (or destroying it) throws the writing away
// and leaves whatever was at the path untouched, so a failed run never destroys a good file.
class TextFile {
public:
    enum OpenFlag : quint32 {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        modeCreate = 0x1000,
        typeText = 0x4000,
        typeBinary = 0x8000,
        // Not one of the ordinary open flags: asks for UTF-16LE text when creating a file.
        modeUnicode = 0x0010'0000,
    };

    enum SeekOrigin { begin, current, end };

    enum class Failure { None, LineTooLong, ReadError, WriteError };

    // A longer line is refused instead of being read into memory without bound.
    static constexpr qsizetype maxLineLength = qsizetype(1) << 24;

    TextFile();
    ~TextFile();
    TextFile(const TextFile &) = delete;
    TextFile &operator=(const TextFile &) = delete;

    void setFilePath(const QString &path)
    {
        m_file.setFileName(path);
        m_saveFile.setFileName(path);
    }
    QString filePath() const { return device().fileName(); }

    // Reports failure by its result only; callers word their own messages. Share modes are
    // accepted for the record but Linux has no mandatory locks to enforce them.
    bool Open(const QString &path, quint32 flags);
    void Close();
    bool isOpen() const { return m_preloaded || device().isOpen(); }

    // Reads the rest of a file opened for reading into memory and lets go of the file: every
    // later line, also after a rewind, comes from those bytes, so two passes over the file
    // read the same text even if it changes or becomes unreadable in between. False when it
    // could not be read.
    bool Preload();

    // Hands the buffered text to the temporary file; false once any write has failed.
    bool Flush();
    // Flushes, syncs and renames the written file over its path; false (and the file
    // abandoned) when any of it failed. The file is closed either way.
    bool Commit();

    qint64 Seek(qint64 offset, SeekOrigin origin);
    qint64 position() const;

    // False at the end of the file, and also when a line is too long or the file cannot be
    // read: failure() tells those apart from a plain end.
    bool readString(QString &line);
    void writeString(QStringView text);
    // Every text written from now on is handed to `copy` as well; an empty one stops that.
    void setCopy(std::function<void(QStringView)> copy) { m_copy = std::move(copy); }

    bool isUnicode() const { return m_isUnicode; }
    quint32 openFlags() const { return m_openFlags; }
    Failure failure() const { return m_failure; }

private:
    bool isWriting() const { return (m_openFlags & (modeCreate | modeWrite)) != 0; }
    bool fill();
    void skipByteOrderMark();
    void ensureRoom(qsizetype bytes);
    void flushWrites();
    void resetBuffer(qint64 fileOffset);
    QFileDevice &device() { return isWriting() ? static_cast<QFileDevice &>(m_saveFile) : m_file; }
    const QFileDevice &device() const { return isWriting() ? static_cast<const QFileDevice &>(m_saveFile) : m_file; }

    QFile m_file;
    QSaveFile m_saveFile;
    bool m_isUnicode = false;
    quint32 m_openFlags = 0;
    bool m_checkByteOrderMark = true;
    Failure m_failure = Failure::None;
    bool m_preloaded = false;

    // Bytes of the file from m_bufferOffset on; [m_begin, m_end) not yet consumed. When
    // writing, [0, m_end) holds bytes not yet handed to the file.
    std::vector<char> m_buffer;
    qsizetype m_begin = 0;
    qsizetype m_end = 0;
    qint64 m_bufferOffset = 0;
    qint64 m_writtenBack = 0; // how much of a written file the disk has been asked for
    std::function<void(QStringView)> m_copy;
};

} // namespace sortana
