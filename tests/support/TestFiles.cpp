#include "support/TestFiles.h"

#include <QFile>
#include <QtEndian>

#include <gtest/gtest.h>

namespace sortana::test {

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read " << path.toStdString();
        return {};
    }
    return file.readAll();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        ADD_FAILURE() << "cannot write " << path.toStdString();
}

QByteArray utf16LeWithMark(const QString &text)
{
    QByteArray bytes("\xFF\xFE", 2);
    bytes.resize(2 + text.size() * 2);
    qToLittleEndian<char16_t>(text.utf16(), text.size(), bytes.data() + 2);
    return bytes;
}

QString readUtf16File(const QString &path)
{
    const QByteArray bytes = readBytes(path);
    if (!bytes.startsWith("\xFF\xFE")) {
        ADD_FAILURE() << path.toStdString() << " does not start with a UTF-16LE byte-order mark";
        return {};
    }
    QString text(bytes.size() / 2 - 1, Qt::Uninitialized);
    qFromLittleEndian<char16_t>(bytes.constData() + 2, text.size(), text.data());
    return text;
}

} // namespace sortana::test
