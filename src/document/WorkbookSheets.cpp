#include "document/WorkbookSheets.h"

#include "analysis/AnalysisFileCells.h"
#include "analysis/CategoryExport.h"
#include "analysis/ClusterNode.h"
#include "analysis/GroupCut.h"
#include "analysis/LeafOrder.h"
#include "analysis/ParticipantChecksCsv.h"
#include "analysis/ResamplingExport.h"
#include "document/CSortanaMdiDoc.h"
#include "document/DocumentCategories.h"
#include "document/LeaveOut.h"
#include "document/StudyFacts.h"
#include "import/CardSortAnalysis.h"
#include "import/DelimitedText.h"
#include "platform/Platform.h"

#include "SortanaVersion.h"

#include <QDir>
#include <QTemporaryDir>

#include <algorithm>
#include <initializer_list>

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

// The sheet's next row; a column is text when its 0-based index is listed, and the header
// row is text throughout.
void appendRow(WorkbookSheet &sheet, const QStringList &cells, std::initializer_list<int> textColumns)
{
    const bool header = sheet.hasHeader && sheet.rows.empty();
    std::vector<SheetCell> row;
    row.reserve(std::size_t(cells.size()));
    for (qsizetype c = 0; c < cells.size(); ++c) {
        const bool text = header || std::find(textColumns.begin(), textColumns.end(), c) != textColumns.end();
        row.push_back(sheetCell(cells[c].trimmed(), text));
    }
    sheet.rows.push_back(std::move(row));
}

WorkbookSheet csvSheet(const QString &name, const QByteArray &csv, std::initializer_list<int> textColumns)
{
    WorkbookSheet sheet;
    sheet.name = name;
    for (const QStringList &cells : parseDelimitedText(csv, QChar(u',')).rows)
        appendRow(sheet, cells, textColumns);
    return sheet;
}

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
WorkbookSheet studySheet(const CSortanaMdiDoc &document)
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
WorkbookSheet checksSheet(const CSortanaMdiDoc &document)
{
    WorkbookSheet sheet = csvSheet(QStringLiteral("Participant Checks"),
                                   participantsCsv(checkParticipants(*document.sorts)), {0, 4});
    const std::vector<qint32> &leftOut = document.leftOut;
    for (std::size_t r = 0; r < sheet.rows.size(); ++r) {
        const bool out = r > 0 && std::binary_search(leftOut.begin(), leftOut.end(), qint32(r - 1));
        sheet.rows[r].push_back(
            sheetCell(r == 0 ? QStringLiteral("left out") : out ? QStringLiteral("yes") : QString(), true));
    }
    return sheet;
}

// The support of each join with, after its similarity, that similarity as a percentage.
WorkbookSheet supportSheet(const CSortanaMdiDoc &document)
{
    WorkbookSheet sheet = csvSheet(QStringLiteral("Support"), supportCsv(*document.treeSupport, document), {3});
    const std::vector<TreeJoin> joins = treeJoins(document.clusterRoot());
    for (std::size_t r = 0; r < sheet.rows.size(); ++r) {
        std::vector<SheetCell> &row = sheet.rows[r];
        QString percent = QStringLiteral("similarity %");
        if (r > 0) {
            const std::optional<double> value = similarityPercent(document, joins[r - 1].node->similarity);
            percent = value ? QString::number(*value, 'f', 1) : QString();
        }
        row.insert(row.begin() + 2, sheetCell(percent, r == 0));
    }
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

qint64 largestWorkbookSheet(const CSortanaMdiDoc &document)
{
    const qint64 items = document.itemCount;
    const qint64 participants = document.sorts ? qint64(document.sorts->participants.size()) : 0;
    return std::max(items * (items + 3), participants * (participants + 1));
}

bool buildWorkbookSheets(const CSortanaMdiDoc &document, const std::function<bool(WorkbookSheet &&)> &take,
                         const ResamplingProgress &progress, QString &error)
{
    error.clear();
    const std::optional<CategoryTable> table = documentCategories(document);
    if (!table || !document.hasStudy() || !document.itemNames) {
        error = QString::fromUtf16(sortsMissingMessage);
        return false;
    }
    const bool support = document.treeSupport.has_value();
    const bool adequacy = document.adequacy.has_value();
    const qint64 total = 12 + (support ? 2 : 0) + (adequacy ? 1 : 0);
    qint64 done = 0;
    const auto hand = [&](WorkbookSheet &&sheet) {
        return take(std::move(sheet)) && (!progress || progress(++done, total));
    };

    QTemporaryDir folder;
    if (!folder.isValid()) {
        error = QStringLiteral("There is no room for the workbook's temporary files.");
        return false;
    }
    const AnalysisFileNames files = analysisFileNames(QDir(folder.path()).filePath(QStringLiteral("study.txt")));
    QuietPlatform quiet;
    if (!writeKeptAnalysisFiles(document, files, quiet)) {
        // Never an empty message: that would read as a cancel.
        error = quiet.message.isEmpty() ? QStringLiteral("The analysis files could not be made again.") : quiet.message;
        return false;
    }
    if (progress && !progress(++done, total))
        return false;
    if (!hand(studySheet(document)))
        return false;
    const auto analysisSheet = [&](const QString &name, const QString &path, std::initializer_list<int> textColumns,
                                   bool hasHeader = true) {
        const std::optional<QString> text = readAnalysisFile(path);
        if (!text) {
            error = QStringLiteral("The analysis file %1 could not be read back.").arg(QDir::toNativeSeparators(path));
            return false;
        }
        WorkbookSheet sheet;
        sheet.name = name;
        sheet.hasHeader = hasHeader;
        forEachAnalysisRow(*text, [&](const QStringList &cells) { appendRow(sheet, cells, textColumns); });
        return hand(std::move(sheet));
    };
    // The cards file has no header: a participant's line, then a group's, then its cards'.
    if (!analysisSheet(QStringLiteral("Cards"), files.cardsPath, {0, 1, 2}, false)
        || !analysisSheet(QStringLiteral("Items"), files.itemsPath, {0, 1})
        || !analysisSheet(QStringLiteral("Participants"), files.participantsPath, {0})
        || !analysisSheet(QStringLiteral("Matrix"), files.matrixPath, {0, 1})
        || !analysisSheet(QStringLiteral("Weighted Matrix"), files.weightedMatrixPath, {0, 1}))
        return false;

    const std::vector<int> order = LeafOrder(document.clusterRoot());
    const QStringList &names = *document.itemNames;
    if (!hand(csvSheet(QStringLiteral("Categories"), categoriesCsv(*table), {0})))
        return false;
    WorkbookSheet placements = csvSheet(QStringLiteral("Placements"), placementsCsv(*table, names, order), {0});
    if (placements.rows.size() > 1 && placements.rows.front().size() > 1)
        placements.colourScale = SheetRange{1, 1, int(placements.rows.size()) - 1, int(placements.rows.front().size()) - 1};
    if (!hand(std::move(placements))
        || !hand(csvSheet(QStringLiteral("Groups"),
                          groupsCsv(documentGroupNames(document, *table), *table, names, order), {1, 2}))
        || !hand(checksSheet(document))
        || !hand(csvSheet(QStringLiteral("Distances"), distancesCsv(*document.sorts), {0})))
        return false;
    if (support
        && (!hand(supportSheet(document))
            || !hand(csvSheet(QStringLiteral("Stability"),
                              stabilityCsv(*document.treeSupport, document, document.numberOfGroups), {}))))
        return false;
    return !adequacy || hand(csvSheet(QStringLiteral("Adequacy"), adequacyCsv(*document.adequacy), {}));
}

} // namespace sortana
