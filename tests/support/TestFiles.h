#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <ostream>
#include <vector>

#include <sys/resource.h>

// Readable test failures: gtest finds these through the argument types' namespace.
inline void PrintTo(const QString &text, std::ostream *out) { *out << '"' << text.toStdString() << '"'; }
inline void PrintTo(const QStringList &list, std::ostream *out)
{
    *out << '{';
    for (const QString &text : list)
        *out << ' ' << '"' << text.toStdString() << '"';
    *out << " }";
}

namespace sortana::test {

QByteArray readBytes(const QString &path);
void writeBytes(const QString &path, const QByteArray &bytes);
// The bytes of a UTF-16LE text file with its byte-order mark.
QByteArray utf16LeWithMark(const QString &text);
// Decodes a UTF-16LE file written by the program; fails the test when the mark is missing.
QString readUtf16File(const QString &path);
// The rows of a comma-separated file as a spreadsheet reads them (RFC 4180: quoted cells hold
// commas, doubled quotes and line breaks; rows end in CR LF); fails the test unless the file
// is UTF-8 after a byte-order mark.
std::vector<QStringList> readUtf8CsvFile(const QString &path);

// While it lives, writes past the given size fail as on a full disk: the process's file size
// limit is lowered and its signal ignored, as the programs themselves ignore it.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit m_previous {};
    void (*m_previousHandler)(int) = nullptr;
};

// While it lives, the process can take only `headroom` bytes of address space beyond what it
// holds now: a larger allocation throws std::bad_alloc. The sanitizers' shadow memory cannot
// live under such a limit.
class AddressSpaceLimit {
public:
    explicit AddressSpaceLimit(rlim_t headroom);
    ~AddressSpaceLimit();
    AddressSpaceLimit(const AddressSpaceLimit &) = delete;
    AddressSpaceLimit &operator=(const AddressSpaceLimit &) = delete;

private:
    rlimit m_previous {};
};

// The names in a folder, hidden ones included: what a run left behind.
QStringList filesIn(const QString &folder);

} // namespace sortana::test
