#pragma once

#include <QByteArray>
#include <QString>

namespace sortana::test {

QByteArray readBytes(const QString &path);
void writeBytes(const QString &path, const QByteArray &bytes);
// The bytes of a UTF-16LE text file with its byte-order mark.
QByteArray utf16LeWithMark(const QString &text);
// Decodes a UTF-16LE file written by the program; fails the test when the mark is missing.
QString readUtf16File(const QString &path);

} // namespace sortana::test
