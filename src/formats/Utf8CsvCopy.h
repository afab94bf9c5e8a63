#pragma once

#include <QByteArray>
#include <QSaveFile>
#include <QString>
#include <QStringView>

namespace sortana {

// Where the spreadsheet copy of an analysis file goes: beside it, "-utf8" added to its name.
QString utf8CsvPath(const QString &analysisPath);

// A copy of an analysis file for spreadsheets, made while the file is written: the same
// cells as comma-separated UTF-8 with a byte-order mark and CR LF line ends, quoted as
// RFC 4180 has it. Like the analysis files it is written under a temporary name and only
// commit() puts it in place; closing it uncommitted leaves whatever was at the path.
class Utf8CsvCopy {
public:
    bool open(const QString &path);
    bool isOpen() const { return m_file.isOpen(); }
    // The analysis file's text as it is written, in pieces of any length.
    void write(QStringView text);
    // Hands everything written so far to the temporary file; false once any write failed.
    bool flush();
    // Flushes, syncs and renames the copy over its path; false (and the copy abandoned)
    // when any of it failed. Closed either way.
    bool commit();
    void close();

private:
    void writeLine(QStringView line);

    QSaveFile m_file;
    // The text after the last complete line: a line end may arrive in two pieces.
    QString m_partial;
    QString m_line;
    QByteArray m_bytes;
    qint64 m_written = 0;
    qint64 m_writtenBack = 0; // how much of it the disk has been asked for
    bool m_failed = false;
};

} // namespace sortana
