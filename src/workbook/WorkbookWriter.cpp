#include "workbook/WorkbookWriter.h"

#include "platform/MessageText.h"
#include "platform/SafeFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <xlsxwriter.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <map>
#include <type_traits>

#include <dlfcn.h>
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

// libxlsxwriter zips through the system's minizip, and QuaZip, which the workbook reader
// links, exports a fork of minizip under the same C names with other argument types. In one
// link namespace the dynamic linker binds each name to one of them for both, and either the
// reader or the writer crashes; so libxlsxwriter and what it needs are loaded into a
// namespace of their own and called through this table.
struct Xlsx {
    decltype(&workbook_new_opt) newWorkbook = nullptr;
    decltype(&workbook_add_worksheet) addWorksheet = nullptr;
    decltype(&workbook_add_format) addFormat = nullptr;
    decltype(&workbook_close) close = nullptr;
    decltype(&format_set_num_format) setNumberFormat = nullptr;
    decltype(&format_set_bold) setBold = nullptr;
    decltype(&worksheet_write_string) writeString = nullptr;
    decltype(&worksheet_write_number) writeNumber = nullptr;
    decltype(&worksheet_set_column) setColumn = nullptr;
    decltype(&worksheet_freeze_panes) freezePanes = nullptr;
    decltype(&worksheet_conditional_format_range) conditionalFormat = nullptr;

    bool loaded() const
    {
        return newWorkbook && addWorksheet && addFormat && close && setNumberFormat && setBold && writeString
            && writeNumber && setColumn && freezePanes && conditionalFormat;
    }
};

const Xlsx &xlsx()
{
    static const Xlsx functions = [] {
        Xlsx table;
        // Kept loaded for the rest of the run, as a library linked would be.
        void *library = dlmopen(LM_ID_NEWLM, SORTANA_XLSXWRITER_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        if (!library)
            return table;
        const auto load = [library](auto &function, const char *name) {
            function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(dlsym(library, name));
        };
        load(table.newWorkbook, "workbook_new_opt");
        load(table.addWorksheet, "workbook_add_worksheet");
        load(table.addFormat, "workbook_add_format");
        load(table.close, "workbook_close");
        load(table.setNumberFormat, "format_set_num_format");
        load(table.setBold, "format_set_bold");
        load(table.writeString, "worksheet_write_string");
        load(table.writeNumber, "worksheet_write_number");
        load(table.setColumn, "worksheet_set_column");
        load(table.freezePanes, "worksheet_freeze_panes");
        load(table.conditionalFormat, "worksheet_conditional_format_range");
        return table;
    }();
    return functions;
}

QString writeFailedMessage(const QString &path)
{
    return formatMessage(u"Failed to write %s\nMake sure there is enough free space on the disk", {path});
}

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
            lxw_format *format = xlsx().addFormat(workbook);
            const QByteArray pattern = decimals > 0 ? "0." + QByteArray(decimals, '0') + "%" : QByteArray("0%");
            xlsx().setNumberFormat(format, pattern.constData());
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
        xlsx().close(m_book->workbook);
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
    if (!xlsx().loaded())
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
    m_book->workbook = xlsx().newWorkbook(QFile::encodeName(m_temporaryPath).constData(), &options);
    if (!m_book->workbook)
        return fail(writeFailedMessage(m_path));
    m_book->header = xlsx().addFormat(m_book->workbook);
    xlsx().setBold(m_book->header);
    return true;
}

bool WorkbookWriter::add(const WorkbookSheet &sheet)
{
    if (!m_error.isEmpty() || (!m_book && !open()))
        return false;
    if (qint64(sheet.rows.size()) > LXW_ROW_MAX)
        return fail(QStringLiteral("The sheet %1 would need more rows than a workbook allows.").arg(sheet.name));
    lxw_worksheet *worksheet = xlsx().addWorksheet(m_book->workbook, sheet.name.toUtf8().constData());
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
            const SheetCell &cell = row[c];
            widths[c] = std::max(widths[c], cell.text.size());
            const lxw_row_t at = lxw_row_t(r);
            const lxw_col_t column = lxw_col_t(c);
            lxw_error error = LXW_NO_ERROR;
            switch (cell.kind) {
            case SheetCell::Kind::Empty: break;
            case SheetCell::Kind::Text:
                if (cell.text.size() > mostStringLength)
                    return fail(QStringLiteral("A cell of the sheet %1 holds more text than a workbook allows.")
                                    .arg(sheet.name));
                error = xlsx().writeString(worksheet, at, column, cell.text.toUtf8().constData(), rowFormat);
                break;
            case SheetCell::Kind::Number:
                error = xlsx().writeNumber(worksheet, at, column, cell.number, rowFormat);
                break;
            case SheetCell::Kind::Percent:
                error = xlsx().writeNumber(worksheet, at, column, cell.number, m_book->percent(cell.decimals));
                break;
            }
            if (error != LXW_NO_ERROR)
                return fail(writeFailedMessage(m_path));
        }
    }
    // A column without text keeps the default width: a width of 0 would hide it.
    for (std::size_t c = 0; c < widths.size(); ++c) {
        if (widths[c] > 0
            && xlsx().setColumn(worksheet, lxw_col_t(c), lxw_col_t(c),
                                    double(std::min<qsizetype>(widths[c], mostColumnWidth)), nullptr)
                != LXW_NO_ERROR)
            return fail(writeFailedMessage(m_path));
    }
    if (sheet.hasHeader && !sheet.rows.empty())
        xlsx().freezePanes(worksheet, 1, 0);
    if (sheet.colourScale) {
        const SheetRange &range = *sheet.colourScale;
        lxw_conditional_format scale{};
        scale.type = LXW_CONDITIONAL_2_COLOR_SCALE;
        scale.min_rule_type = LXW_CONDITIONAL_RULE_TYPE_NUMBER;
        scale.min_value = 0;
        scale.min_color = scaleLeast;
        scale.max_rule_type = LXW_CONDITIONAL_RULE_TYPE_MAXIMUM;
        scale.max_color = scaleMost;
        if (xlsx().conditionalFormat(worksheet, lxw_row_t(range.firstRow), lxw_col_t(range.firstColumn),
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
    const lxw_error closed = xlsx().close(m_book->workbook);
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
