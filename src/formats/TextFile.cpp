#include "formats/TextFile.h"

#include "platform/CodePage.h"
#include "platform/SafeFiles.h"

#include <QFileInfo>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <limits>

namespace sortana {

namespace {

constexpr qsizetype chunkSize = 64 * 1024;
constexpr char lineFeed = '\n';
constexpr char16_t carriageReturn = u'\r';

// First line-feed unit in [from, to), units of `unitSize` bytes counted from `from`.
qsizetype findLineFeed(const char *data, qsizetype from, qsizetype to, int unitSize)
{
    if (unitSize == 1) {
        const void *hit = std::memchr(data + from, lineFeed, static_cast<size_t>(to - from));
        return hit ? static_cast<const char *>(hit) - data : -1;
    }
    for (qsizetype i = from; i + 1 < to; i += 2) {
        if (data[i] == lineFeed && data[i + 1] == 0)
            return i;
    }
    return -1;
}

void decodeUtf16Le(const char *bytes, qsizetype length, QString &out)
{
    const qsizetype units = length / 2;
    out.resize(units);
    if (units > 0)
        qFromLittleEndian<char16_t>(bytes, units, out.data());
}

} // namespace

TextFile::TextFile() = default;

TextFile::~TextFile()
{
    Close();
}

bool TextFile::Open(const QString &path, quint32 flags)
{
    Close();
    m_isUnicode = (flags & modeUnicode) != 0;
    m_openFlags = (flags & ~quint32(typeText)) | typeBinary;
    m_failure = Failure::None;
    m_checkByteOrderMark = true;
    resetBuffer(0);

    setFilePath(path);
    // A directory opens like a file on Linux but is no text file to read or replace.
    const QFileInfo info(path);
    if (info.isDir())
        return false;
    if (isWriting()) {
        if (!(m_openFlags & modeCreate) && !info.exists())
            return false;
        return m_saveFile.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }
    if (!m_file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return false;

    m_buffer.resize(chunkSize);
    while (m_end < 2 && fill()) {
    }
    m_isUnicode = m_end >= 2 && static_cast<unsigned char>(m_buffer[0]) == 0xFF
        && static_cast<unsigned char>(m_buffer[1]) == 0xFE;
    return m_failure == Failure::None;
}

bool TextFile::Preload()
{
    if (!m_file.isOpen() || isWriting() || m_failure != Failure::None)
        return false;
    // Room for the whole file at once, so the bytes are not copied as the buffer grows.
    const qint64 size = m_file.size();
    if (size > 0 && size < qint64(std::numeric_limits<qsizetype>::max()) - chunkSize)
        m_buffer.resize(std::max<size_t>(m_buffer.size(), static_cast<size_t>(size + chunkSize)));
    while (fill()) {
    }
    if (m_failure != Failure::None)
        return false;
    m_file.close();
    m_preloaded = true;
    return true;
}

void TextFile::Close()
{
    m_preloaded = false;
    if (isWriting() && m_saveFile.isOpen()) {
        // A QSaveFile is only ever closed by a commit; a cancelled one removes its temporary file.
        m_saveFile.cancelWriting();
        m_saveFile.commit();
    } else if (m_file.isOpen()) {
        m_file.close();
    }
    resetBuffer(0);
    m_buffer = {};
}

bool TextFile::Flush()
{
    if (isOpen() && isWriting())
        flushWrites();
    return m_failure == Failure::None;
}

bool TextFile::Commit()
{
    if (!isOpen() || !isWriting())
        return false;
    // QSaveFile would still commit after a failed write or flush: it is told off here.
    if (!Flush() || !m_saveFile.flush() || m_saveFile.error() != QFileDevice::NoError) {
        m_failure = Failure::WriteError;
        Close();
        return false;
    }
    const bool committed = m_saveFile.commit();
    if (!committed)
        m_failure = Failure::WriteError;
    resetBuffer(0);
    m_buffer = {};
    return committed;
}

void TextFile::resetBuffer(qint64 fileOffset)
{
    m_begin = 0;
    m_end = 0;
    m_bufferOffset = fileOffset;
    m_writtenBack = fileOffset;
}

qint64 TextFile::position() const
{
    return m_bufferOffset + (isWriting() ? m_end : m_begin);
}

qint64 TextFile::Seek(qint64 offset, SeekOrigin origin)
{
    m_checkByteOrderMark = true;
    if (!isOpen())
        return -1;
    if (isWriting())
        flushWrites();
    qint64 target = offset;
    if (origin == current)
        target += position();
    else if (origin == end)
        target += m_preloaded ? m_bufferOffset + m_end : device().size();
    if (m_preloaded) {
        // Everything from m_bufferOffset on is in memory.
        if (target < m_bufferOffset || target > m_bufferOffset + m_end)
            return -1;
        m_begin = target - m_bufferOffset;
        m_failure = Failure::None;
        return target;
    }
    if (target < 0 || !device().seek(target))
        return -1;
    resetBuffer(target);
    if (m_failure != Failure::WriteError)
        m_failure = Failure::None;
    return target;
}

bool TextFile::fill()
{
    if (m_preloaded)
        return false;
    if (m_begin > 0) {
        std::memmove(m_buffer.data(), m_buffer.data() + m_begin, static_cast<size_t>(m_end - m_begin));
        m_bufferOffset += m_begin;
        m_end -= m_begin;
        m_begin = 0;
    }
    if (static_cast<qsizetype>(m_buffer.size()) - m_end < chunkSize / 2)
        m_buffer.resize(m_buffer.size() * 2);
    const qint64 got = m_file.read(m_buffer.data() + m_end, static_cast<qint64>(m_buffer.size()) - m_end);
    if (got < 0) {
        m_failure = Failure::ReadError;
        return false;
    }
    m_end += got;
    return got > 0;
}

bool TextFile::readString(QString &line)
{
    if (!isOpen() || isWriting() || m_failure != Failure::None) {
        line.clear();
        return false;
    }
    const int unitSize = m_isUnicode ? 2 : 1;
    if (m_checkByteOrderMark && position() == 0)
        skipByteOrderMark();

    const qsizetype limitBytes = maxLineLength * unitSize;
    qsizetype scanFrom = m_begin;
    qsizetype lineEnd = -1;
    qsizetype contentEnd = -1;
    for (;;) {
        const qsizetype hit = findLineFeed(m_buffer.data(), scanFrom, m_end, unitSize);
        if (hit >= 0) {
            contentEnd = hit;
            lineEnd = hit + unitSize;
            break;
        }
        const qsizetype pending = m_end - m_begin;
        if (pending > limitBytes)
            break;
        const qsizetype scanned = pending - pending % unitSize;
        if (!fill()) {
            // End of the file (or a read error): whatever whole units remain are the last line.
            lineEnd = m_end - (m_end - m_begin) % unitSize;
            if (m_failure != Failure::None || lineEnd == m_begin) {
                m_begin = m_end;
                line.clear();
                return false;
            }
            contentEnd = lineEnd;
            break;
        }
        scanFrom = m_begin + scanned;
    }
    // The limit holds for the line without its line feed, wherever that was found.
    if (lineEnd < 0 || contentEnd - m_begin > limitBytes) {
        m_failure = Failure::LineTooLong;
        line.clear();
        return false;
    }

    const char *start = m_buffer.data() + m_begin;
    const qsizetype length = lineEnd - m_begin;
    if (m_isUnicode)
        decodeUtf16Le(start, length, line);
    else
        decodeAnsiLine(start, length, line);
    m_begin = lineEnd;

    if (line.endsWith(QLatin1Char(lineFeed)))
        line.chop(1);
    if (line.endsWith(QChar(carriageReturn)))
        line.chop(1);
    const qsizetype nul = line.indexOf(QChar(u'\0'));
    if (nul >= 0)
        line.truncate(nul);
    m_checkByteOrderMark = false;
    return true;
}

void TextFile::skipByteOrderMark()
{
    // Editors and spreadsheets save UTF-8 with a mark as often as without: it is no text.
    static constexpr char utf8Mark[] = "\xEF\xBB\xBF";
    const qsizetype markSize = m_isUnicode ? 2 : 3;
    while (m_end - m_begin < markSize && fill()) {
    }
    if (m_isUnicode)
        m_begin += std::min<qsizetype>(2, m_end - m_begin);
    else if (m_end - m_begin >= 3 && std::memcmp(m_buffer.data() + m_begin, utf8Mark, 3) == 0)
        m_begin += 3;
}

void TextFile::ensureRoom(qsizetype bytes)
{
    if (static_cast<qsizetype>(m_buffer.size()) < m_end + bytes)
        m_buffer.resize(static_cast<size_t>(std::max(m_end + bytes, chunkSize)));
}

void TextFile::writeString(QStringView text)
{
    if (!isOpen() || !isWriting())
        return;
    if (position() == 0 && (m_openFlags & modeUnicode)) {
        ensureRoom(2);
        m_buffer[m_end++] = '\xFF';
        m_buffer[m_end++] = '\xFE';
    }
    if (text.isEmpty())
        return;
    if (m_copy)
        m_copy(text);
    const qsizetype bytes = text.size() * 2;
    ensureRoom(bytes);
    qToLittleEndian<char16_t>(text.utf16(), text.size(), m_buffer.data() + m_end);
    m_end += bytes;
    if (m_end >= chunkSize)
        flushWrites();
}

void TextFile::flushWrites()
{
    if (m_end == 0)
        return;
    if (m_failure == Failure::None && m_saveFile.write(m_buffer.data(), m_end) != m_end)
        m_failure = Failure::WriteError;
    m_bufferOffset += m_end;
    m_end = 0;
    // The analysis files of a large study run to hundreds of megabytes; the disk gets them
    // piece by piece rather than all at the commit.
    constexpr qint64 writeBackStep = qint64(8) << 20;
    if (m_failure == Failure::None && m_bufferOffset - m_writtenBack >= writeBackStep && m_saveFile.flush()) {
        startWritingBack(int(m_saveFile.handle()), m_writtenBack, m_bufferOffset - m_writtenBack);
        m_writtenBack = m_bufferOffset;
    }
}

} // namespace sortana
