#include "formats/WorkbookWriter.h"

#include "platform/MessageText.h"
#include "platform/SafeFiles.h"

#include <xlsxwriter.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <algorithm>
#include <map>

namespace sortana {

namespace {

// Above this many cells in its largest sheet a workbook's rows go to disk as they are
// written instead of staying in memory until it closes.
constexpr qint64 constantMemoryCells = 200'000;
constexpr int mostStringLength = 32'767;
// The colour scale's ends: white for the least, the matrix picture's darkest blue for the most.
constexpr lxw_color_t scaleLeast = 0xFFFFFF;
constexpr lxw_color_t scaleMost = 0x08306B;

// Puts the bytes of a whole file on the device.
bool copyFile(const QString &path, QIODevice &device)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    constexpr qint64 chunk = qint64(1) << 20;
    while (!file.atEnd()) {
        const QByteArray bytes = file.read(chunk);
        if (bytes.isEmpty() || device.write(bytes) != bytes.size())
            return false;
    }
    return file.error() == QFileDevice::NoError;
}

} // namespace

// libxlsxwriter writes a file by its name; the workbook it closes is then saved as the
// program's other files are.
struct WorkbookWriter::Book {
    lxw_workbook *workbook = nullptr;
    lxw_format *header = nullptr;
    // What libxlsxwriter writes, removed with the book.
    QTemporaryFile closed;
    QByteArray folder;
    // Percent formats by their decimals.
    std::map<int, lxw_format *> percents;

    explicit Book(const QFileInfo &target)
        : closed(target.absoluteDir().filePath(u'.' + target.fileName() + QStringLiteral(".XXXXXX"))),
          folder(QFile::encodeName(target.absolutePath()))
    {
    }
    ~Book()
    {
        // Closing is the only way to free a workbook; what it writes is thrown away.
        if (workbook)
            workbook_close(workbook);
    }

    lxw_format *percent(int decimals)
    {
        auto found = percents.find(decimals);
        if (found == percents.end()) {
            lxw_format *format = workbook_add_format(workbook);
            const QByteArray pattern = decimals > 0 ? "0." + QByteArray(decimals, '0') + "%" : QByteArray("0%");
            format_set_num_format(format, pattern.constData());
            found = percents.emplace(decimals, format).first;
        }
        return found->second;
    }
};

WorkbookWriter::WorkbookWriter(const QString &path, qint64 largestSheetCells)
    : m_path(path),
      m_largestSheetCells(largestSheetCells)
{
}

WorkbookWriter::~WorkbookWriter() = default;

bool WorkbookWriter::fail(const QString &message)
{
    if (m_error.isEmpty())
        m_error = message;
    m_book.reset();
    return false;
}

bool WorkbookWriter::open()
{
    if (isIrregularFile(m_path))
        return fail(formatMessage(u"The output file %s is not a regular file", {m_path}));
    // libxlsxwriter's files go beside the workbook rather than into a /tmp that may be memory.
    m_book = std::make_unique<Book>(QFileInfo(m_path));
    if (!m_book->closed.open())
        return fail(writeFailedMessage(m_path));
    m_book->closed.close();
    lxw_workbook_options options{};
    // The mode is the whole workbook's; it asks for rows in order, which every sheet keeps,
    // and forbids merged cells, which none has.
    options.constant_memory = m_largestSheetCells > constantMemoryCells ? LXW_TRUE : LXW_FALSE;
    options.tmpdir = m_book->folder.data();
    options.use_zip64 = LXW_TRUE;
    m_book->workbook = workbook_new_opt(QFile::encodeName(m_book->closed.fileName()).constData(), &options);
    if (!m_book->workbook)
        return fail(writeFailedMessage(m_path));
    m_book->header = workbook_add_format(m_book->workbook);
    format_set_bold(m_book->header);
    return true;
}

bool WorkbookWriter::add(const WorkbookSheet &sheet)
{
    if (!m_error.isEmpty() || (!m_book && !open()))
        return false;
    if (qint64(sheet.rows.size()) > LXW_ROW_MAX)
        return fail(QStringLiteral("The sheet %1 would need more rows than a workbook allows.").arg(sheet.name));
    lxw_worksheet *worksheet = workbook_add_worksheet(m_book->workbook, sheet.name.toUtf8().constData());
    if (!worksheet)
        return fail(writeFailedMessage(m_path));
    std::vector<qsizetype> widths;
    for (std::size_t r = 0; r < sheet.rows.size(); ++r) {
        const std::vector<SheetCell> &row = sheet.rows[r];
        if (qint64(row.size()) > LXW_COL_MAX)
            return fail(QStringLiteral("The sheet %1 would need more columns than a workbook allows.").arg(sheet.name));
        if (widths.size() < row.size())
            widths.resize(row.size(), 0);
        lxw_format *rowFormat = sheet.hasHeader && r == 0 ? m_book->header : nullptr;
        for (std::size_t c = 0; c < row.size(); ++c) {
            widths[c] = std::max(widths[c], row[c].text.size());
            if (!writeCell(worksheet, lxw_row_t(r), lxw_col_t(c), row[c], rowFormat, sheet.name))
                return false;
        }
    }
    return finishSheet(worksheet, sheet, widths);
}

bool WorkbookWriter::writeCell(lxw_worksheet *worksheet, lxw_row_t row, lxw_col_t column, const SheetCell &cell,
                               lxw_format *format, const QString &sheetName)
{
    lxw_error error = LXW_NO_ERROR;
    switch (cell.kind) {
    case SheetCell::Kind::Empty: break;
    case SheetCell::Kind::Text:
        if (cell.text.size() > mostStringLength)
            return fail(
                QStringLiteral("A cell of the sheet %1 holds more text than a workbook allows.").arg(sheetName));
        error = worksheet_write_string(worksheet, row, column, cell.text.toUtf8().constData(), format);
        break;
    case SheetCell::Kind::Number: error = worksheet_write_number(worksheet, row, column, cell.number, format); break;
    case SheetCell::Kind::Percent:
        error = worksheet_write_number(worksheet, row, column, cell.number, m_book->percent(cell.decimals));
        break;
    }
    return error == LXW_NO_ERROR || fail(writeFailedMessage(m_path));
}

bool WorkbookWriter::finishSheet(lxw_worksheet *worksheet, const WorkbookSheet &sheet,
                                 const std::vector<qsizetype> &widths)
{
    // A column without text keeps the default width: a width of 0 would hide it.
    for (std::size_t c = 0; c < widths.size(); ++c) {
        if (widths[c] > 0
            && worksheet_set_column(worksheet, lxw_col_t(c), lxw_col_t(c),
                                    double(std::min<qsizetype>(widths[c], mostColumnWidth)), nullptr)
                != LXW_NO_ERROR)
            return fail(writeFailedMessage(m_path));
    }
    if (sheet.hasHeader && !sheet.rows.empty())
        worksheet_freeze_panes(worksheet, 1, 0);
    if (sheet.colourScale) {
        const SheetRange &range = *sheet.colourScale;
        lxw_conditional_format scale{};
        scale.type = LXW_CONDITIONAL_2_COLOR_SCALE;
        scale.min_rule_type = LXW_CONDITIONAL_RULE_TYPE_NUMBER;
        scale.min_value = 0;
        scale.min_color = scaleLeast;
        scale.max_rule_type = LXW_CONDITIONAL_RULE_TYPE_MAXIMUM;
        scale.max_color = scaleMost;
        if (worksheet_conditional_format_range(worksheet, lxw_row_t(range.firstRow), lxw_col_t(range.firstColumn),
                                               lxw_row_t(range.lastRow), lxw_col_t(range.lastColumn), &scale)
            != LXW_NO_ERROR)
            return fail(writeFailedMessage(m_path));
    }
    return true;
}

bool WorkbookWriter::commit()
{
    if (!m_error.isEmpty() || !m_book || !m_book->workbook)
        return fail(writeFailedMessage(m_path));
    const lxw_error closed = workbook_close(m_book->workbook);
    m_book->workbook = nullptr;
    if (closed != LXW_NO_ERROR
        || !saveReplacing(m_path, [&](QIODevice &file) { return copyFile(m_book->closed.fileName(), file); }))
        return fail(writeFailedMessage(m_path));
    m_book.reset();
    return true;
}

} // namespace sortana
