#include "tasks/WorkbookSheets.h"

#include "analysis/AnalysisRow.h"
#include "analysis/CategoryExport.h"
#include "analysis/GroupCut.h"
#include "analysis/ParticipantChecksCsv.h"
#include "analysis/ResamplingExport.h"
#include "document/Document.h"
#include "document/DocumentCategories.h"
#include "document/StudyFacts.h"
#include "formats/Table.h"
#include "platform/Platform.h"
#include "study/ClusterNode.h"
#include "tasks/LeaveOut.h"

#include "SortanaVersion.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace sortana {

namespace {

// The engine's messages, kept for the caller to show: the sheets may be made on a thread
// that cannot show a dialog. A question is answered Cancel, as nobody is there to answer it.
class QuietPlatform final : public Platform {
public:
    MessageAnswer messageBox(const QString &text, MessageIcon, MessageButtons buttons) override
    {
        if (message.isEmpty())
            message = text;
        return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::Cancel;
    }
    bool shellOpen(const QString &) override { return false; }
    void beginBusy() override {}
    void endBusy() override {}

    QString message;
};

// The engine's five outputs kept as their rows' cells until each becomes a sheet in turn:
// the texts of the cells one after another, and per cell a byte for its kind and decimals
// and a byte for its length (a longer cell's length is kept aside). That is less than their
// files' text would take, where the sheets' cells of all five at once would take many times
// more.
class AnalysisCells final : public AnalysisSink {
public:
    bool wantsCells() const override { return true; }
    void write(AnalysisFile file, const AnalysisRow &row) override
    {
        Output &output = m_outputs[std::size_t(file)];
        for (const AnalysisCell &cell : row.cells()) {
            const QStringView text = row.text(cell);
            output.units.append(text);
            output.kinds.push_back(quint8(quint8(cell.kind) | quint8(std::min<int>(cell.decimals, 31) << 3)));
            if (text.size() < longCell) {
                output.lengths.push_back(quint8(text.size()));
            } else {
                output.lengths.push_back(longCell);
                output.longLengths.push_back(text.size());
            }
        }
        output.rowEnds.push_back(output.kinds.size());
    }

    // The output's rows as a sheet, let go of here; a header row is text throughout.
    WorkbookSheet take(AnalysisFile file, const QString &name, bool hasHeader)
    {
        const Output output = std::exchange(m_outputs[std::size_t(file)], Output());
        WorkbookSheet sheet;
        sheet.name = name;
        sheet.hasHeader = hasHeader;
        sheet.rows.reserve(output.rowEnds.size());
        qsizetype at = 0;
        std::size_t cell = 0;
        auto longLength = output.longLengths.begin();
        for (const std::size_t end : output.rowEnds) {
            const bool header = hasHeader && sheet.rows.empty();
            std::vector<SheetCell> row;
            row.reserve(end - cell);
            for (; cell < end; ++cell) {
                const qsizetype length = output.lengths[cell] < longCell ? output.lengths[cell] : *longLength++;
                const QStringView text = QStringView(output.units).sliced(at, length);
                at += length;
                const auto kind = header ? AnalysisCell::Kind::Text : AnalysisCell::Kind(output.kinds[cell] & 7);
                row.push_back(cellOf(kind, output.kinds[cell] >> 3, text));
            }
            sheet.rows.push_back(std::move(row));
        }
        return sheet;
    }

private:
    static constexpr quint8 longCell = 255;
    static_assert(quint8(AnalysisCell::Kind::Percent) < 8, "a kind takes three bits");

    struct Output {
        QString units;
        std::vector<quint8> kinds;
        std::vector<quint8> lengths;
        std::vector<qsizetype> longLengths;
        // Per row, the index of the cell after its last.
        std::vector<std::size_t> rowEnds;
    };

    // A figure as the file shows it, to its decimals: a sheet says what the files say.
    static SheetCell cellOf(AnalysisCell::Kind kind, int decimals, QStringView text)
    {
        SheetCell cell;
        cell.text = text.trimmed().toString();
        if (cell.text.isEmpty())
            return cell;
        cell.kind = SheetCell::Kind::Text;
        const bool percent = kind == AnalysisCell::Kind::Percent;
        if (!percent && kind != AnalysisCell::Kind::Integer && kind != AnalysisCell::Kind::Fixed)
            return cell;
        bool ok = false;
        const double number = (percent ? QStringView(cell.text).chopped(1) : QStringView(cell.text)).toDouble(&ok);
        if (!ok || !std::isfinite(number))
            return cell;
        cell.kind = percent ? SheetCell::Kind::Percent : SheetCell::Kind::Number;
        cell.number = percent ? number / 100.0 : number;
        cell.decimals = decimals;
        return cell;
    }

    std::array<Output, analysisFileCount> m_outputs;
};

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Digits with at most one decimal point and an optional leading minus: the only numbers the
// program writes. The decimals are counted into `decimals`.
bool isPlainNumber(QStringView text, int &decimals)
{
    if (text.startsWith(u'-'))
        text = text.sliced(1);
    const qsizetype point = text.indexOf(u'.');
    const QStringView whole = point < 0 ? text : text.first(point);
    const QStringView fraction = point < 0 ? QStringView() : text.sliced(point + 1);
    decimals = int(fraction.size());
    return !whole.isEmpty() && (point < 0 || !fraction.isEmpty()) && std::all_of(whole.begin(), whole.end(), isDigit)
        && std::all_of(fraction.begin(), fraction.end(), isDigit);
}

// What the study was made from and how, the program that made the workbook and when: as the
// report's study section says it.
WorkbookSheet studySheet(const Document &document)
{
    WorkbookSheet sheet;
    sheet.name = QStringLiteral("Study");
    sheet.hasHeader = false;
    const auto add = [&](const QString &label, const QString &value, bool figure) {
        sheet.rows.push_back({sheetCell(label, true), sheetCell(value, !figure)});
    };
    for (const StudyFact &fact : studyFacts(document))
        add(fact.label, fact.value, fact.figure);
    add(QStringLiteral("Program version"), QStringLiteral(SORTANA_VERSION), false);
    add(QStringLiteral("Workbook made"), creationTime().toString(Qt::ISODate), false);
    return sheet;
}

// The checks with a last column: "yes" for a participant the study leaves out.
WorkbookSheet checksSheet(const Document &document)
{
    FigureTable table = participantChecksTable(*document.figures().participantChecks());
    table.columns.push_back({QStringLiteral("left out"), FigureColumn::Kind::Text, 0});
    const std::vector<qint32> &leftOut = document.study().leftOut;
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        const bool out = std::binary_search(leftOut.begin(), leftOut.end(), qint32(r));
        table.rows[r].push_back(textCell(out ? QStringLiteral("yes") : QString()));
    }
    return figureSheet(QStringLiteral("Participant Checks"), table);
}

// The support of each join with, after its similarity, that similarity as a percentage.
WorkbookSheet supportSheet(const Document &document)
{
    FigureTable table = supportTable(*document.treeSupport(), document.study());
    table.columns.insert(table.columns.begin() + 2, {QStringLiteral("similarity %"), FigureColumn::Kind::Fixed, 1});
    const std::vector<TreeJoin> joins = treeJoins(document.clusterRoot());
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        const std::optional<double> value = similarityPercent(document, joins[r].node->similarity);
        table.rows[r].insert(table.rows[r].begin() + 2, value ? numberCell(*value) : FigureCell());
    }
    return figureSheet(QStringLiteral("Support"), table);
}

SheetCell figureCell(const FigureColumn &column, const FigureCell &cell)
{
    SheetCell sheet;
    // On one line, as a study's names are.
    sheet.text = normalisedCell(figureText(column, cell));
    if (sheet.text.isEmpty())
        return sheet;
    sheet.kind = SheetCell::Kind::Text;
    if (cell.kind != FigureCell::Kind::Number || !std::isfinite(cell.number))
        return sheet;
    if (column.kind == FigureColumn::Kind::Integer) {
        sheet.kind = SheetCell::Kind::Number;
        sheet.number = cell.number;
        return sheet;
    }
    // The figure as the files show it, to their decimals: a sheet says what they say.
    const bool percent = column.kind == FigureColumn::Kind::Percent;
    sheet.kind = percent ? SheetCell::Kind::Percent : SheetCell::Kind::Number;
    sheet.number =
        (percent ? QStringView(sheet.text).chopped(1) : QStringView(sheet.text)).toDouble() / (percent ? 100.0 : 1.0);
    sheet.decimals = column.decimals;
    return sheet;
}

} // namespace

SheetCell sheetCell(const QString &text, bool textColumn)
{
    SheetCell cell;
    cell.text = text;
    if (text.isEmpty())
        return cell;
    cell.kind = SheetCell::Kind::Text;
    if (textColumn)
        return cell;
    const bool percent = text.endsWith(u'%');
    const QStringView figure = percent ? QStringView(text).chopped(1) : QStringView(text);
    int decimals = 0;
    if (!isPlainNumber(figure, decimals))
        return cell;
    cell.kind = percent ? SheetCell::Kind::Percent : SheetCell::Kind::Number;
    cell.number = figure.toDouble() / (percent ? 100.0 : 1.0);
    cell.decimals = decimals;
    return cell;
}

WorkbookSheet figureSheet(const QString &name, const FigureTable &table)
{
    WorkbookSheet sheet;
    sheet.name = name;
    sheet.rows.reserve(table.rows.size() + 1);
    std::vector<SheetCell> header;
    for (const FigureColumn &column : table.columns)
        header.push_back(sheetCell(normalisedCell(column.header), true));
    sheet.rows.push_back(std::move(header));
    for (const std::vector<FigureCell> &cells : table.rows) {
        std::vector<SheetCell> row;
        row.reserve(cells.size());
        for (std::size_t c = 0; c < cells.size(); ++c)
            row.push_back(figureCell(table.columns[c], cells[c]));
        sheet.rows.push_back(std::move(row));
    }
    return sheet;
}

qint64 largestWorkbookSheet(const Document &document)
{
    if (!document.hasStudy())
        return 0;
    const qint64 items = document.study().itemCount;
    const qint64 participants = document.study().sorts ? qint64(document.study().sorts->participants.size()) : 0;
    return std::max(items * (items + 3), participants * (participants + 1));
}

bool buildWorkbookSheets(const Document &document, const std::function<bool(WorkbookSheet &&)> &take,
                         const Progress &progress, QString &error)
{
    error.clear();
    const std::optional<CategoryTable> &table = documentCategories(document);
    if (!table || !document.hasStudy()) {
        error = QString::fromUtf16(sortsMissingMessage);
        return false;
    }
    const bool support = document.treeSupport().has_value();
    const bool adequacy = document.adequacy().has_value();
    const qint64 total = 12 + (support ? 2 : 0) + (adequacy ? 1 : 0);
    qint64 done = 0;
    // Each sheet is made, handed over and let go of before the next is made: a sheet can be
    // most of the memory the workbook takes.
    const auto hand = [&](const auto &make) { return take(make()) && (!progress || progress(++done, total)); };

    AnalysisCells outputs;
    QuietPlatform quiet;
    if (!analyseKept(document.study(), outputs, quiet)) {
        // Never an empty message: that would read as a cancel.
        error = quiet.message.isEmpty() ? QStringLiteral("The analysis files could not be made again.") : quiet.message;
        return false;
    }
    if (progress && !progress(++done, total))
        return false;
    if (!hand([&] { return studySheet(document); }))
        return false;
    const auto analysisSheet = [&](AnalysisFile file, const QString &name, bool hasHeader) {
        return hand([&] { return outputs.take(file, name, hasHeader); });
    };
    // The cards output has no header: a participant's row, then a group's, then its cards'.
    if (!analysisSheet(AnalysisFile::Cards, QStringLiteral("Cards"), false)
        || !analysisSheet(AnalysisFile::Items, QStringLiteral("Items"), true)
        || !analysisSheet(AnalysisFile::Participants, QStringLiteral("Participants"), true)
        || !analysisSheet(AnalysisFile::Matrix, QStringLiteral("Matrix"), true)
        || !analysisSheet(AnalysisFile::WeightedMatrix, QStringLiteral("Weighted Matrix"), true))
        return false;

    const std::vector<int> &order = document.leafOrder();
    const QStringList &names = document.study().itemNames;
    const auto placements = [&] {
        WorkbookSheet sheet = figureSheet(QStringLiteral("Placements"), placementsTable(*table, names, order));
        if (sheet.rows.size() > 1 && sheet.rows.front().size() > 1)
            sheet.colourScale = SheetRange{1, 1, int(sheet.rows.size()) - 1, int(sheet.rows.front().size()) - 1};
        return sheet;
    };
    if (!hand([&] { return figureSheet(QStringLiteral("Categories"), categoriesTable(*table)); }) || !hand(placements)
        || !hand([&] {
               return figureSheet(QStringLiteral("Groups"),
                                  groupsTable(documentGroupNames(document, *table), &*table, names, order));
           })
        || !hand([&] { return checksSheet(document); })
        || !hand([&] { return figureSheet(QStringLiteral("Distances"), distancesTable(*document.study().sorts)); }))
        return false;
    if (support && (!hand([&] { return supportSheet(document); }) || !hand([&] {
            return figureSheet(
                QStringLiteral("Stability"),
                stabilityTable(*document.treeSupport(), document.study(), document.settings().numberOfGroups));
        })))
        return false;
    return !adequacy
        || hand([&] { return figureSheet(QStringLiteral("Adequacy"), adequacyTable(*document.adequacy())); });
}

} // namespace sortana
