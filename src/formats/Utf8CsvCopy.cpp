#include "formats/Utf8CsvCopy.h"

#include "analysis/CsvText.h"
#include "formats/AnalysisFileCells.h"
#include "platform/SafeFiles.h"

#include <utility>

namespace sortana {

namespace {

constexpr QStringView lineEnd = u"\r\n";
constexpr qsizetype bufferedBytes = 64 * 1024;

} // namespace

QString utf8CsvPath(const QString &analysisPath)
{
    constexpr QStringView extension = u".csv";
    const QStringView stem = analysisPath.endsWith(extension, Qt::CaseInsensitive)
        ? QStringView(analysisPath).chopped(extension.size())
        : QStringView(analysisPath);
    return stem.toString() + QStringLiteral("-utf8.csv");
}

bool Utf8CsvCopy::open(const QString &path)
{
    close();
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    m_failed = false;
    m_written = m_writtenBack = 0;
    m_bytes = QByteArray("\xEF\xBB\xBF");
    return true;
}

void Utf8CsvCopy::write(QStringView text)
{
    if (!isOpen())
        return;
    m_partial.append(text);
    qsizetype start = 0;
    for (qsizetype end; (end = m_partial.indexOf(lineEnd, start)) >= 0; start = end + lineEnd.size())
        writeLine(QStringView(m_partial).sliced(start, end - start));
    m_partial.remove(0, start);
    if (m_bytes.size() >= bufferedBytes)
        flush();
}

void Utf8CsvCopy::writeLine(QStringView line)
{
    m_line.resize(0); // keeps the capacity for the next line
    bool first = true;
    forEachAnalysisCell(line, [this, &first](QStringView cell) {
        if (!std::exchange(first, false))
            m_line += u',';
        appendCsvCell(m_line, cell);
    });
    m_line += lineEnd;
    m_bytes += m_line.toUtf8();
}

bool Utf8CsvCopy::flush()
{
    if (!isOpen())
        return false;
    if (!m_bytes.isEmpty()) {
        if (!m_failed && m_file.write(m_bytes) != m_bytes.size())
            m_failed = true;
        m_written += m_bytes.size();
        m_bytes.resize(0); // keeps the capacity for what follows
    }
    // A copy of a large study's matrix runs to tens of megabytes: the disk gets it piece by
    // piece rather than all at the commit.
    constexpr qint64 writeBackStep = qint64(8) << 20;
    if (!m_failed && m_written - m_writtenBack >= writeBackStep) {
        startWritingBack(int(m_file.handle()), m_writtenBack, m_written - m_writtenBack);
        m_writtenBack = m_written;
    }
    return !m_failed;
}

bool Utf8CsvCopy::commit()
{
    if (!isOpen())
        return false;
    // A last line without its line end keeps going without one.
    if (!m_partial.isEmpty()) {
        writeLine(m_partial);
        m_bytes.chop(lineEnd.size());
        m_partial.clear();
    }
    // QSaveFile would still commit after a failed write: it is told off here.
    if (!flush() || m_file.error() != QFileDevice::NoError) {
        close();
        return false;
    }
    m_bytes = {};
    return m_file.commit();
}

void Utf8CsvCopy::close()
{
    if (m_file.isOpen()) {
        // A QSaveFile is only ever closed by a commit; a cancelled one removes its temporary file.
        m_file.cancelWriting();
        m_file.commit();
    }
    m_partial.clear();
    m_bytes = {};
}

} // namespace sortana
