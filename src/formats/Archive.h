#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace sortana {

// The typed little-endian fields of a document file, written into a byte buffer.
class ArchiveWriter {
public:
    void writeInt32(qint32 value);
    void writeUInt32(quint32 value);
    void writeDouble(double value);
    void writeFlag(bool value);
    // FF FE FF, the length in UTF-16 units in its escalating form, then the units.
    void writeString(const QString &text);
    // The number of elements of a string array: 16 bits, or FFFF and 32 bits.
    void writeCount(quint32 count);
    void writeBytes(QByteArrayView bytes) { m_bytes.append(bytes); }

    const QByteArray &bytes() const { return m_bytes; }

private:
    void writeUInt16(quint16 value);
    void writeByte(quint8 value) { m_bytes.append(char(value)); }
    QByteArray m_bytes;
};

// Reads the same fields back from bytes that may be truncated or damaged: every read checks
// that its bytes are there before it takes or allocates anything, and after the first
// failure every read fails and gives zero values.
class ArchiveReader {
public:
    explicit ArchiveReader(QByteArrayView bytes) : m_bytes(bytes) {}
    // The reader only views its bytes: they must outlive it.
    explicit ArchiveReader(QByteArray &&) = delete;

    bool ok() const { return m_ok; }
    qsizetype remaining() const { return m_ok ? m_bytes.size() - m_pos : 0; }

    qint32 readInt32();
    quint32 readUInt32();
    double readDouble();
    bool readFlag();
    // Tagged UTF-16 text, or untagged 8-bit text converted by the code-page rule.
    QString readString();
    quint32 readCount();
    // The next bytes as they are; empty (and the archive damaged) when fewer are left.
    QByteArrayView readBytes(qsizetype count);

private:
    bool has(qsizetype bytes);
    quint8 readByte();
    quint16 readUInt16();
    QByteArrayView m_bytes;
    qsizetype m_pos = 0;
    bool m_ok = true;
};

} // namespace sortana
