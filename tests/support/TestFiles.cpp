#include "support/TestFiles.h"

#include "formats/AnalysisFileCells.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QtEndian>

#include <gtest/gtest.h>

#include <csignal>
#include <utility>

#include <unistd.h>

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
    const std::optional<QString> text = readAnalysisFile(path);
    if (!text) {
        ADD_FAILURE() << path.toStdString() << " is no UTF-16LE text with a byte-order mark";
        return {};
    }
    return *text;
}

std::vector<QStringList> readUtf8CsvFile(const QString &path)
{
    const QByteArray bytes = readBytes(path);
    if (!bytes.startsWith("\xEF\xBB\xBF"))
        ADD_FAILURE() << path.toStdString() << " does not start with a UTF-8 byte-order mark";
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = utf8.decode(bytes.mid(3));
    if (utf8.hasError())
        ADD_FAILURE() << path.toStdString() << " is not UTF-8";

    std::vector<QStringList> rows;
    QStringList row;
    QString cell;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c != u'"')
                cell += c;
            else if (i + 1 < text.size() && text[i + 1] == u'"')
                cell += text[++i];
            else
                quoted = false;
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u',') {
            row.append(std::exchange(cell, {}));
        } else if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            row.append(std::exchange(cell, {}));
            rows.push_back(std::exchange(row, {}));
            ++i;
        } else {
            cell += c;
        }
    }
    if (!row.isEmpty() || !cell.isEmpty()) {
        row.append(cell);
        rows.push_back(row);
    }
    return rows;
}

FileSizeLimit::FileSizeLimit(rlim_t bytes)
{
    getrlimit(RLIMIT_FSIZE, &m_previous);
    m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit lowered = m_previous;
    lowered.rlim_cur = bytes;
    EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &lowered), 0);
}

FileSizeLimit::~FileSizeLimit()
{
    setrlimit(RLIMIT_FSIZE, &m_previous);
    std::signal(SIGXFSZ, m_previousHandler);
}

AddressSpaceLimit::AddressSpaceLimit(rlim_t headroom)
{
    // The first number is the process's size in pages.
    QFile statm(QStringLiteral("/proc/self/statm"));
    EXPECT_TRUE(statm.open(QIODevice::ReadOnly));
    const rlim_t pages = statm.readLine().split(' ').constFirst().toULongLong();
    getrlimit(RLIMIT_AS, &m_previous);
    rlimit lowered = m_previous;
    lowered.rlim_cur = pages * rlim_t(sysconf(_SC_PAGESIZE)) + headroom;
    EXPECT_EQ(setrlimit(RLIMIT_AS, &lowered), 0);
}

AddressSpaceLimit::~AddressSpaceLimit()
{
    setrlimit(RLIMIT_AS, &m_previous);
}

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

} // namespace sortana::test
