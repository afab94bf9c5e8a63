#include "workbook/WorkbookWriter.h"

#include "platform/MessageText.h"
#include "platform/SafeFiles.h"
#include "workbook/XlsxLibrary.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <map>

#include <fcntl.h>
#include <unistd.h>

namespace sortana {

namespace {

// Above this many cells in its largest sheet a workbook's rows go to disk as they are
// written instead of staying in memory until it closes.
constexpr qint64 constantMemoryCells = 200'000;
constexpr int mostStringLength = 32'767;
// The colour scale's ends: white for the least, the matrix picture's darkest blue for the most.
constexpr lxw_color_t scaleLeast = 0xFFFFFF;
constexpr lxw_color_t scaleMost = 0x08306B;

// A new empty file beside the target, made with the permissions a new file gets there.
QString createTemporaryBeside(const QString &path)
{
    const QFileInfo target(path);
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QString candidate = target.dir().filePath(QStringLiteral(".%1.%2.tmp")
                                                            .arg(target.fileName())
                                                            .arg(QRandomGenerator::global()->generate(), 8, 16,
                                                                 QLatin1Char('0')));
        const int fd = ::open(QFile::encodeName(candidate).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            return candidate;
        }
        if (errno != EEXIST)
            break;
    }
    return {};
}

// A link is written through, as the program's other files are: the file it names is
// replaced and the link stays.
QString linkTarget(const QString &path)
{
    QFileInfo info(path);
    for (int depth = 0; depth < 40 && info.isSymLink(); ++depth)
        info.setFile(info.symLinkTarget());
    return info.filePath();
}

// What libxlsxwriter closed is on the disk before it takes the target's name.
bool syncFile(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    return ::close(fd) == 0 && synced;
}

} // namespace

struct WorkbookWriter::Book {
    lxw_workbook *workbook = nullptr;
    lxw_format *header = nullptr;
    QByteArray folder;
    // Percent formats by their decimals.
    std::map<int, lxw_format *> percents;

    lxw_format *percent(int decimals)
    {
        auto found = percents.find(decimals);
        if (found == percents.end()) {
            lxw_format *format = xlsxLibrary().addFormat(workbook);
            const QByteArray pattern = decimals > 0 ? "0." + QByteArray(decimals, '0') + "%" : QByteArray("0%");
            xlsxLibrary().setNumberFormat(format, pattern.constData());
            found = percents.emplace(decimals, format).first;
        }
        return found->second;
    }
};

WorkbookWriter::WorkbookWriter(const QString &path, qint64 largestSheetCells)
    : m_path(path), m_largestSheetCells(largestSheetCells)
{
}

WorkbookWriter::~WorkbookWriter()
{
    abandon();
}

void WorkbookWriter::abandon()
{
    if (m_book && m_book->workbook) {
        // Closing is the only way to free a workbook; what it writes is thrown away.
        xlsxLibrary().close(m_book->workbook);
        m_book->workbook = nullptr;
    }
    if (!m_temporaryPath.isEmpty())
        QFile::remove(m_temporaryPath);
    m_temporaryPath.clear();
}

bool WorkbookWriter::fail(const QString &message)
{
    if (m_error.isEmpty())
        m_error = message;
    abandon();
    return false;
}

bool WorkbookWriter::open()
{
    if (!xlsxLibrary().loaded())
        return fail(QStringLiteral("The library that writes workbooks, %1, could not be loaded.")
                        .arg(QLatin1StringView(SORTANA_XLSXWRITER_LIBRARY)));
    if (isIrregularFile(m_path))
        return fail(formatMessage(u"The output file %s is not a regular file", {m_path}));
    m_target = linkTarget(m_path);
    m_temporaryPath = createTemporaryBeside(m_target);
    if (m_temporaryPath.isEmpty())
        return fail(writeFailedMessage(m_path));
    m_book = std::make_unique<Book>();
    m_book->folder = QFile::encodeName(QFileInfo(m_target).absolutePath());
    lxw_workbook_options options{};
    // The mode is the whole workbook's; it asks for rows in order, which every sheet keeps,
    // and forbids merged cells, which none has.
    options.constant_memory = m_largestSheetCells > constantMemoryCells ? LXW_TRUE : LXW_FALSE;
    // Its temporary files go beside the workbook rather than into a /tmp that may be memory.
    options.tmpdir = m_book->folder.data();
    options.use_zip64 = LXW_TRUE;
    m_book->workbook = xlsxLibrary().newWorkbook(QFile::encodeName(m_temporaryPath).constData(), &options);
    if (!m_book->workbook)
        return fail(writeFailedMessage(m_path));
    m_book->header = xlsxLibrary().addFormat(m_book->workbook);
    xlsxLibrary().setBold(m_book->header);
    return true;
}

bool WorkbookWriter::add(const WorkbookSheet &sheet)
{
    if (!m_error.isEmpty() || (!m_book && !open()))
        return false;
    if (qint64(sheet.rows.size()) > LXW_ROW_MAX)
        return fail(QStringLiteral("The sheet %1 would need more rows than a workbook allows.").arg(sheet.name));
    lxw_worksheet *worksheet = xlsxLibrary().addWorksheet(m_book->workbook, sheet.name.toUtf8().constData());
    if (!worksheet)
        return fail(writeFailedMessage(m_path));
    std::vector<qsizetype> widths;
    for (std::size_t r = 0; r < sheet.rows.size(); ++r) {
        const std::vector<SheetCell> &row = sheet.rows[r];
        if (qint64(row.size()) > LXW_COL_MAX)
            return fail(
                QStringLiteral("The sheet %1 would need more columns than a workbook allows.").arg(sheet.name));
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
        error = xlsxLibrary().writeString(worksheet, row, column, cell.text.toUtf8().constData(), format);
        break;
    case SheetCell::Kind::Number: error = xlsxLibrary().writeNumber(worksheet, row, column, cell.number, format); break;
    case SheetCell::Kind::Percent:
        error = xlsxLibrary().writeNumber(worksheet, row, column, cell.number, m_book->percent(cell.decimals));
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
            && xlsxLibrary().setColumn(worksheet, lxw_col_t(c), lxw_col_t(c),
                                       double(std::min<qsizetype>(widths[c], mostColumnWidth)), nullptr)
                != LXW_NO_ERROR)
            return fail(writeFailedMessage(m_path));
    }
    if (sheet.hasHeader && !sheet.rows.empty())
        xlsxLibrary().freezePanes(worksheet, 1, 0);
    if (sheet.colourScale) {
        const SheetRange &range = *sheet.colourScale;
        lxw_conditional_format scale{};
        scale.type = LXW_CONDITIONAL_2_COLOR_SCALE;
        scale.min_rule_type = LXW_CONDITIONAL_RULE_TYPE_NUMBER;
        scale.min_value = 0;
        scale.min_color = scaleLeast;
        scale.max_rule_type = LXW_CONDITIONAL_RULE_TYPE_MAXIMUM;
        scale.max_color = scaleMost;
        if (xlsxLibrary().conditionalFormat(worksheet, lxw_row_t(range.firstRow), lxw_col_t(range.firstColumn),
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
    const lxw_error closed = xlsxLibrary().close(m_book->workbook);
    m_book->workbook = nullptr;
    // A workbook written again keeps who may read it.
    if (QFileInfo::exists(m_target))
        QFile::setPermissions(m_temporaryPath, QFile::permissions(m_target));
    if (closed != LXW_NO_ERROR || !syncFile(m_temporaryPath)
        || std::rename(QFile::encodeName(m_temporaryPath).constData(), QFile::encodeName(m_target).constData()) != 0)
        return fail(writeFailedMessage(m_path));
    m_temporaryPath.clear();
    return true;
}

} // namespace sortana
