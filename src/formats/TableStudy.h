#pragma once

#include "analysis/StudyRecords.h"
#include "formats/Table.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace sortana {

// How a table says its study, as the user or the header tells it.
struct TableOptions {
    enum class Layout { Auto, Long, Wide };
    enum class Header { Auto, Present, Absent };
    Layout layout = Layout::Auto;
    Header header = Header::Auto;
    QString sheet; // of a workbook: a name or a 1-based number; empty for the first
    // A column per role: a 1-based number or a header text; empty to find it by the header.
    QString participant;
    QString card;
    QString cardId;
    QString category;
    QString categoryId;
};

// Whether the file is a table: by its extension (.csv, .tsv, .xlsx).
bool isTablePath(const QString &path);
bool isWorkbookPath(const QString &path);

// Reads one sheet of a workbook (an XLSX file), the first when `sheet` is empty, into a
// table; false with a message in `error`. The core does not link the reader (readWorkbook in
// WorkbookReader.h): a program that reads workbooks hands it to whatever loads tables.
using WorkbookLoader = bool (*)(const QString &path, const QString &sheet, Table &table, QString &error);

// A table file: a workbook's sheet through `workbooks` (refused without one), or CSV or TSV
// text. False with a message in `error`.
bool loadTableFile(const QString &path, const QString &sheet, WorkbookLoader workbooks, Table &table, QString &error);

// How a table is read with the options given: whether its first row is a header, its layout,
// and the 0-based column of each role (-1 where it has none). For showing the reading before
// the import; nullopt, with a message in `error`, when a column it needs cannot be found.
struct TableReading {
    bool header = false;
    bool wide = false;
    int participant = -1;
    int card = -1;
    int cardId = -1;
    int category = -1;
    int categoryId = -1;
    // Nothing named the columns: their content told them.
    bool proposed = false;
};

// The study of a table as records: the item names first, then every participant with its
// groups and their cards, as a raw data file would give them. Positions are table rows.
class TableRecords final : public RecordSource {
public:
    bool next(StudyRecord &record) override;
    void rewind() override { m_next = 0; }
    int position() const override { return m_position; }
    bool failed() const override { return false; }
    void reportFailure(Platform &) const override {}
    std::optional<QString> warningBeforeRead() const override;

    // What the survey reports of a table besides its records.
    int fileType = 0; // 2: one row per card, 3: one row per participant
    int rowCount = 0; // rows read, header included
    int unsortedRows = 0; // rows without a category, left out
    TableReading reading; // how it was read

    struct Entry {
        RecordKind kind;
        QString value;
        int position;
        bool idOnly = false;
        bool withoutParticipant = false;
    };
    std::vector<Entry> entries;

private:
    std::size_t m_next = 0;
    int m_position = 0;
};

// The refusal of a table whose columns nothing names and whose content does not tell them.
inline constexpr char16_t columnsUndecided[] =
    u"The columns of this table could not be told apart.\nName them with --participant, --card and --category";

// "Columns used: participant 1, card id 2, card 3, category 4", the columns numbered from 1.
QString columnsUsed(const TableReading &reading);
// Tells the user which columns the content decided, as a message without a question; nothing
// when the header or the options named them.
void tellProposedColumns(const TableReading &reading, Platform &platform);

std::optional<TableReading> readingOf(const Table &table, const TableOptions &options, QString &error);

// A reading of one row per card for the user to put right, where neither the header nor the
// cells tell every column: each role by its column number, the header's own where it names
// them, else the cells' proposal or the first column not yet taken. Nullopt when the table
// has too few columns for a participant, a card and a category.
std::optional<TableOptions> suggestedColumns(const Table &table);

// Maps the table to its study by the options. False, with a message for the user in
// `error`, when a column it needs cannot be found.
bool mapTable(const Table &table, const TableOptions &options, TableRecords &records, QString &error);

// Reads the table file (loadTableFile) and maps it. The outcome says which refusal it was,
// after the user has been told.
enum class TableOutcome { Read, FileRefused, ColumnsRefused };
TableOutcome readTableStudy(const QString &path, const TableOptions &options, WorkbookLoader workbooks,
                            Platform &platform, TableRecords &records);

// The study as a raw data file, UTF-8: importing it gives the same analysis as the table.
// Group names are declared before the first participant, so a name that is a number stays a
// name.
QByteArray rawDataOf(const TableRecords &records);

} // namespace sortana
