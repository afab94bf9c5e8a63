#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <ostream>

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

} // namespace sortana::test
