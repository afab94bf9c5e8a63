#include "formats/Archive.h"

#include "platform/CodePage.h"

#include <QtEndian>

#include <cstring>

namespace sortana {

namespace {

constexpr quint8 escape8 = 0xFF;
constexpr quint16 unicodeTag = 0xFFFE;
constexpr quint16 escape16 = 0xFFFF;

} // namespace

void ArchiveWriter::writeUInt16(quint16 value)
{
    char bytes[2];
    qToLittleEndian(value, bytes);
    m_bytes.append(bytes, 2);
}

void ArchiveWriter::writeUInt32(quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    m_bytes.append(bytes, 4);
}

void ArchiveWriter::writeInt32(qint32 value)
{
    writeUInt32(static_cast<quint32>(value));
}

void ArchiveWriter::writeDouble(double value)
{
    quint64 bits;
    std::memcpy(&bits, &value, sizeof bits);
    char bytes[8];
    qToLittleEndian(bits, bytes);
    m_bytes.append(bytes, 8);
}

void ArchiveWriter::writeFlag(bool value)
{
    writeByte(value ? 1 : 0);
}

void ArchiveWriter::writeString(const QString &text)
{
    writeByte(escape8);
    writeUInt16(unicodeTag);
    const auto length = static_cast<quint32>(text.size());
    if (length < escape8) {
        writeByte(static_cast<quint8>(length));
    } else {
        writeByte(escape8);
        if (length < unicodeTag) {
            writeUInt16(static_cast<quint16>(length));
        } else {
            writeUInt16(escape16);
            writeUInt32(length);
        }
    }
    const qsizetype start = m_bytes.size();
    m_bytes.resize(start + text.size() * 2);
    qToLittleEndian<char16_t>(text.utf16(), text.size(), m_bytes.data() + start);
}

void ArchiveWriter::writeCount(quint32 count)
{
    if (count < escape16) {
        writeUInt16(static_cast<quint16>(count));
    } else {
        writeUInt16(escape16);
        writeUInt32(count);
    }
}

bool ArchiveReader::has(qsizetype bytes)
{
    if (m_ok && bytes >= 0 && m_bytes.size() - m_pos >= bytes)
        return true;
    m_ok = false;
    return false;
}

quint8 ArchiveReader::readByte()
{
    return has(1) ? static_cast<quint8>(m_bytes[m_pos++]) : 0;
}

quint16 ArchiveReader::readUInt16()
{
    if (!has(2))
        return 0;
    const auto value = qFromLittleEndian<quint16>(m_bytes.data() + m_pos);
    m_pos += 2;
    return value;
}

quint32 ArchiveReader::readUInt32()
{
    if (!has(4))
        return 0;
    const auto value = qFromLittleEndian<quint32>(m_bytes.data() + m_pos);
    m_pos += 4;
    return value;
}

qint32 ArchiveReader::readInt32()
{
    return static_cast<qint32>(readUInt32());
}

double ArchiveReader::readDouble()
{
    if (!has(8))
        return 0.0;
    const auto bits = qFromLittleEndian<quint64>(m_bytes.data() + m_pos);
    m_pos += 8;
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

bool ArchiveReader::readFlag()
{
    return readByte() != 0;
}

QByteArrayView ArchiveReader::readBytes(qsizetype count)
{
    if (!has(count))
        return {};
    const QByteArrayView bytes = m_bytes.sliced(m_pos, count);
    m_pos += count;
    return bytes;
}

QString ArchiveReader::readString()
{
    bool unicode = false;
    quint64 length = readByte();
    if (length == escape8) {
        length = readUInt16();
        if (length == unicodeTag) {
            unicode = true;
            length = readByte();
            if (length == escape8) {
                length = readUInt16();
                if (length == unicodeTag) // a second tag is no length
                    m_ok = false;
            }
        }
        if (length == escape16)
            length = readUInt32();
    }
    const quint64 bytes = unicode ? length * 2 : length;
    if (!m_ok || bytes > quint64(remaining()) || !has(qsizetype(bytes)))
        return {};
    const char *start = m_bytes.data() + m_pos;
    m_pos += qsizetype(bytes);
    QString text;
    if (unicode) {
        text.resize(qsizetype(length));
        if (length > 0)
            qFromLittleEndian<char16_t>(start, qsizetype(length), text.data());
    } else {
        decodeAnsiLine(start, qsizetype(bytes), text);
    }
    return text;
}

quint32 ArchiveReader::readCount()
{
    const quint16 count = readUInt16();
    return count == escape16 ? readUInt32() : count;
}

} // namespace sortana
