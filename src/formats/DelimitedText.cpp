#include "formats/DelimitedText.h"

#include "formats/ImportMessages.h"
#include "platform/CodePage.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <array>

namespace sortana {

namespace {

// Tables are read whole; a file past this is no card sort.
constexpr qint64 maxTableBytes = qint64(1) << 30;

QString decodeText(const QByteArray &bytes)
{
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder decoder(bytes.startsWith("\xFF\xFE") ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
        return decoder(QByteArrayView(bytes).sliced(2));
    }
    const QByteArrayView text =
        bytes.startsWith("\xEF\xBB\xBF") ? QByteArrayView(bytes).sliced(3) : QByteArrayView(bytes);
    // Line by line, as raw data files are: UTF-8 where valid, otherwise Windows-1252.
    QString decoded;
    decoded.reserve(text.size());
    QString line;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf('\n', start);
        end = end < 0 ? text.size() : end + 1;
        decodeAnsiLine(text.data() + start, end - start, line);
        decoded += line;
        start = end;
    }
    return decoded;
}

// The number of cells the separator makes of the first line, quotes respected.
int cellsOfFirstLine(QStringView text, QChar separator)
{
    int cells = 1;
    bool quoted = false;
    for (const QChar c : text) {
        if (c == u'"')
            quoted = !quoted;
        else if (!quoted && (c == u'\n' || c == u'\r'))
            break;
        else if (!quoted && c == separator)
            ++cells;
    }
    return cells;
}

QChar separatorOf(QStringView text)
{
    QChar best = u'\t';
    int most = 0;
    for (const QChar candidate : {QChar(u'\t'), QChar(u';'), QChar(u',')}) {
        const int cells = cellsOfFirstLine(text, candidate);
        if (cells > most) {
            most = cells;
            best = candidate;
        }
    }
    return best;
}

Table parseText(const QString &text, QChar separator)
{
    const QStringView all(text);
    Table table;
    QStringList row;
    // A cell is read straight from the text unless it has quotes; then its text is gathered.
    qsizetype cellStart = 0;
    QString quotedCell;
    bool hasQuotes = false;
    bool quoted = false; // inside a quoted part of the cell
    const auto endCell = [&](qsizetype end) {
        row.append(normalisedCell(hasQuotes ? QStringView(quotedCell) : all.sliced(cellStart, end - cellStart)));
        quotedCell.clear();
        hasQuotes = false;
        cellStart = end + 1;
    };
    const auto endRow = [&](qsizetype end) {
        endCell(end);
        table.rows.push_back(std::move(row));
        row = {};
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c != u'"')
                quotedCell += c;
            else if (i + 1 < text.size() && text[i + 1] == u'"')
                quotedCell += text[++i];
            else
                quoted = false;
        } else if (c == u'"') {
            if (!hasQuotes) {
                quotedCell = all.sliced(cellStart, i - cellStart).toString();
                hasQuotes = true;
            }
            quoted = true;
        } else if (c == separator) {
            endCell(i);
        } else if (c == u'\n') {
            // CR LF ends the row as LF does: the cell's trailing CR is white space.
            endRow(i);
        } else if (hasQuotes) {
            quotedCell += c;
        }
    }
    if (cellStart < text.size() || !row.isEmpty() || hasQuotes)
        endRow(text.size());
    // Blank lines at the end are no rows.
    while (!table.rows.empty() && isBlankRow(table.rows.back()))
        table.rows.pop_back();
    return table;
}

} // namespace

Table parseDelimitedText(const QByteArray &bytes, bool tsv)
{
    const QString text = decodeText(bytes);
    return parseText(text, tsv ? QChar(u'\t') : separatorOf(text));
}

Table parseDelimitedText(const QByteArray &bytes, QChar separator)
{
    return parseText(decodeText(bytes), separator);
}

bool readDelimitedText(const QString &path, Table &table, QString &error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QString::fromUtf16(messages::inputOpenFailed);
        return false;
    }
    if (file.size() > maxTableBytes) {
        error = QStringLiteral("The table %1 is too large to read").arg(path);
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (bytes.size() != file.size()) {
        error = QString::fromUtf16(messages::inputReadFailed);
        return false;
    }
    table = parseDelimitedText(bytes, QFileInfo(path).suffix().compare(u"tsv", Qt::CaseInsensitive) == 0);
    return true;
}

} // namespace sortana
