// The workbook read back with the program's own reader: after the Study sheet, five sheets hold the cells
// of the analysis files of the sorts the study keeps, ids and names stay text, and a write
// that fails or is stopped leaves the file that was there.
#include "analysis/Resampling.h"
#include "document/Document.h"
#include "document/DocumentCategories.h"
#include "formats/AnalysisFileCells.h"
#include "formats/CardSortAnalysis.h"
#include "formats/WorkbookReader.h"
#include "formats/WorkbookWriter.h"
#include "support/DocumentEdits.h"
#include "support/ScriptedPlatform.h"
#include "support/TestFiles.h"
#include "tasks/ImportRun.h"
#include "tasks/LeaveOut.h"
#include "tasks/WorkbookFile.h"
#include "tasks/WorkbookSheets.h"

#include "SortanaVersion.h"

#include <minizip/unzip.h>

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <cmath>
#include <map>

using namespace sortana;
using namespace sortana::test;
using namespace Qt::StringLiterals;

namespace {

const QString longName = u"A card whose name runs on well past the widest column a sheet is given"_s;

// A card named "12", a name with quotes and one longer than the widest column.
const QByteArray study = "I12\nIApple\nIDate \"Medjool\"\nI" + longName.toUtf8()
    + "\nIEgg\n"
      "P007\nG1\nI1\nI2\nG2\nI3\nI4\nI5\n"
      "P2\nGFruit\nI1\nI2\nI3\nGOther\nI4\nI5\n"
      "P3\nGAll\nI1\nI2\nI3\nI4\nI5\n"
      "PAnn\nGa\nI1\nI4\nGb\nI2\nI3\nI5\n";

// What the sheet's XML says beside the values: the type of each cell by its reference, the
// frozen header and the column widths.
struct SheetXml {
    std::map<QString, QString> types;
    bool headerFrozen = false;
    std::map<int, double> widths; // by 0-based column
};

// Every part of a workbook by its name in the zip.
std::map<QString, QByteArray> zipParts(const QString &workbook)
{
    std::map<QString, QByteArray> parts;
    const unzFile zip = unzOpen64(QFile::encodeName(workbook).constData());
    EXPECT_TRUE(zip);
    if (!zip)
        return parts;
    for (int more = unzGoToFirstFile(zip); more == UNZ_OK; more = unzGoToNextFile(zip)) {
        unz_file_info64 info{};
        char name[257] = {};
        EXPECT_EQ(unzGetCurrentFileInfo64(zip, &info, name, sizeof name, nullptr, 0, nullptr, 0), UNZ_OK);
        QByteArray bytes(qsizetype(info.uncompressed_size), '\0');
        EXPECT_EQ(unzOpenCurrentFile(zip), UNZ_OK);
        EXPECT_EQ(unzReadCurrentFile(zip, bytes.data(), unsigned(bytes.size())), int(bytes.size()));
        EXPECT_EQ(unzCloseCurrentFile(zip), UNZ_OK) << name;
        parts[QString::fromUtf8(name)] = bytes;
    }
    unzClose(zip);
    return parts;
}

QByteArray zipPart(const QString &workbook, const QString &name)
{
    const std::map<QString, QByteArray> parts = zipParts(workbook);
    const auto part = parts.find(name);
    EXPECT_NE(part, parts.end()) << name.toStdString();
    return part == parts.end() ? QByteArray() : part->second;
}

SheetXml sheetXml(const QString &workbook, int sheetNumber)
{
    SheetXml sheet;
    QXmlStreamReader xml(zipPart(workbook, u"xl/worksheets/sheet%1.xml"_s.arg(sheetNumber)));
    while (xml.readNextStartElement() || !xml.atEnd()) {
        if (!xml.isStartElement())
            continue;
        const QXmlStreamAttributes attributes = xml.attributes();
        if (xml.name() == u"c")
            sheet.types[attributes.value(u"r"_s).toString()] = attributes.value(u"t"_s).toString();
        else if (xml.name() == u"pane")
            sheet.headerFrozen = attributes.value(u"state"_s) == u"frozen" && attributes.value(u"ySplit"_s) == u"1";
        else if (xml.name() == u"col")
            sheet.widths[attributes.value(u"min"_s).toInt() - 1] = attributes.value(u"width"_s).toDouble();
    }
    return sheet;
}

QString reference(int row, int column)
{
    QString letters;
    for (int c = column + 1; c > 0; c = (c - 1) / 26)
        letters.prepend(QChar(u'A' + (c - 1) % 26));
    return letters + QString::number(row + 1);
}

bool isTextType(const QString &type)
{
    return type == u"s" || type == u"inlineStr" || type == u"str";
}

// The file's cell after the comparison rule: a number compares by value, a percent as its
// hundredth, anything else as text.
void expectSameCell(const QString &fileCell, const QString &sheetCell, bool numericInSheet)
{
    const QString expected = fileCell.trimmed();
    bool isNumber = false;
    const bool percent = expected.endsWith(u'%');
    const double value = (percent ? expected.chopped(1) : expected).toDouble(&isNumber);
    if (numericInSheet) {
        ASSERT_TRUE(isNumber) << expected.toStdString() << " became the number " << sheetCell.toStdString();
        EXPECT_DOUBLE_EQ(sheetCell.toDouble(), percent ? value / 100 : value) << expected.toStdString();
    } else {
        EXPECT_EQ(sheetCell, expected);
    }
}

class Workbook : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString input = dir.filePath(u"study.txt"_s);
        writeBytes(input, study);
        ImportRun run(platform);
        ASSERT_TRUE(run.chooseInput(input));
        run.setCheckStudyShape(false);
        ASSERT_TRUE(run.finish());
        ASSERT_TRUE(completeImport(document, run));
    }
    QString path(const QString &name) const { return dir.filePath(name); }

    QTemporaryDir dir;
    ScriptedPlatform platform;
    Document document;
};

TEST_F(Workbook, TheFirstFiveSheetsHoldTheKeptStudysAnalysisFilesCellForCell)
{
    // Leaving P3 out makes the kept study's files differ from the ones of the import.
    const AnalysisFileNames kept = leftOutFileNames(document, 1);
    ASSERT_TRUE(analyseAgain(document, {2}, kept, platform));
    QString error;
    ASSERT_TRUE(saveWorkbook(document, path(u"study.xlsx"_s), {}, error)) << error.toStdString();

    const struct {
        QString sheet;
        const QString *file;
        std::vector<int> textColumns; // the ids and names, which must never become numbers
    } sheets[] = {
        {u"Cards"_s, &kept.cardsPath, {0, 1, 2}},
        {u"Items"_s, &kept.itemsPath, {0, 1}},
        {u"Participants"_s, &kept.participantsPath, {0}},
        {u"Matrix"_s, &kept.matrixPath, {0, 1}},
        {u"Weighted Matrix"_s, &kept.weightedMatrixPath, {0, 1}},
    };
    for (int s = 0; s < 5; ++s) {
        SCOPED_TRACE(sheets[s].sheet.toStdString());
        Table table;
        ASSERT_TRUE(readWorkbook(path(u"study.xlsx"_s), sheets[s].sheet, table, error)) << error.toStdString();
        const std::optional<QString> text = readAnalysisFile(*sheets[s].file);
        ASSERT_TRUE(text);
        const std::vector<QStringList> rows = analysisFileRows(*text);
        // After the Study sheet.
        const SheetXml xml = sheetXml(path(u"study.xlsx"_s), s + 2);
        ASSERT_EQ(table.rows.size(), rows.size());
        for (std::size_t r = 0; r < rows.size(); ++r) {
            for (qsizetype c = 0; c < std::max(rows[r].size(), table.rows[r].size()); ++c) {
                SCOPED_TRACE(reference(int(r), int(c)).toStdString());
                const QString type =
                    xml.types.count(reference(int(r), int(c))) ? xml.types.at(reference(int(r), int(c))) : u"-"_s;
                const bool numeric = type.isEmpty() || type == u"n";
                expectSameCell(rows[r].value(c), table.rows[r].value(c), numeric);
                if (std::find(sheets[s].textColumns.begin(), sheets[s].textColumns.end(), c)
                        != sheets[s].textColumns.end()
                    && !rows[r].value(c).trimmed().isEmpty()) {
                    EXPECT_TRUE(isTextType(type)) << type.toStdString();
                }
            }
        }
        // The cards file has no header row to keep in view.
        EXPECT_EQ(xml.headerFrozen, s != 0);
    }

    // The card "12" as the file wrote it.
    Table cards;
    ASSERT_TRUE(readWorkbook(path(u"study.xlsx"_s), u"Cards"_s, cards, error));
    EXPECT_EQ(cards.rows[2], (QStringList{QString(), QString(), u"12"_s}));
    // Widths follow the longest text, up to 60 characters: the Items sheet's names.
    const SheetXml items = sheetXml(path(u"study.xlsx"_s), 3);
    EXPECT_EQ(std::floor(items.widths.at(1)), 60);
    EXPECT_EQ(std::floor(items.widths.at(0)), QStringLiteral("Item No").size());
}

// The sheets keep a cell's length in a byte unless it is longer: both kinds of cell, and
// cells after a long one, stay whole.
TEST_F(Workbook, CellsLongerThanAByteCanSayStayWhole)
{
    const QString longest = QString(300, u'x') + u"!"_s;
    const QString input = path(u"long.txt"_s);
    writeBytes(input, "IShort\nI" + longest.toUtf8() + "\nIAfter\nP1\nG1\nI1\nI2\nI3\nP2\nG1\nI1\nI2\nG2\nI3\n");
    ImportRun run(platform);
    ASSERT_TRUE(run.chooseInput(input));
    run.setCheckStudyShape(false);
    ASSERT_TRUE(run.finish());
    Document longNames;
    ASSERT_TRUE(completeImport(longNames, run));
    QStringList cards;
    QString error;
    ASSERT_TRUE(buildWorkbookSheets(
        longNames,
        [&](WorkbookSheet &&sheet) {
            if (sheet.name == u"Cards"_s) {
                for (const std::vector<SheetCell> &row : sheet.rows)
                    cards << row.back().text;
            }
            return true;
        },
        {}, error));
    EXPECT_EQ(cards,
              (QStringList{u"P1"_s, u"G1"_s, u"Short"_s, longest, u"After"_s, u"P2"_s, u"G1"_s, u"Short"_s, longest,
                           u"G2"_s, u"After"_s}));
}

TEST_F(Workbook, TheResamplingSheetsComeWhenTheDocumentHoldsThem)
{
    const QString workbook = path(u"study.xlsx"_s);
    QString error;
    Table table;
    ASSERT_TRUE(saveWorkbook(document, workbook, {}, error)) << error.toStdString();
    for (const QString &sheet :
         {u"Categories"_s, u"Placements"_s, u"Groups"_s, u"Participant Checks"_s, u"Distances"_s})
        EXPECT_TRUE(readWorkbook(workbook, sheet, table, error)) << sheet.toStdString();
    for (const QString &sheet : {u"Support"_s, u"Stability"_s, u"Adequacy"_s})
        EXPECT_FALSE(readWorkbook(workbook, sheet, table, error)) << sheet.toStdString();

    document.setTreeSupport(computeTreeSupport(document.study(), 10, 1, {}));
    document.setAdequacy(computeAdequacy(document.study(), 10, 1, {}));
    ASSERT_TRUE(document.treeSupport() && document.adequacy());
    // The progress counts up to its total once, the zipping at the end included.
    std::vector<std::pair<qint64, qint64>> progress;
    ASSERT_TRUE(saveWorkbook(
        document, workbook,
        [&](qint64 done, qint64 total) {
            progress.emplace_back(done, total);
            return true;
        },
        error))
        << error.toStdString();
    ASSERT_FALSE(progress.empty());
    for (std::size_t k = 0; k < progress.size(); ++k)
        EXPECT_EQ(progress[k], std::make_pair(qint64(k + 1), qint64(progress.size())));
    ASSERT_TRUE(readWorkbook(workbook, u"Support"_s, table, error));
    EXPECT_EQ(table.rows.front(),
              (QStringList{u"join"_s, u"similarity"_s, u"similarity %"_s, u"support"_s, u"items"_s}));
    // The first join, 12 and Apple, is that of three of the four participants.
    EXPECT_EQ(table.rows[1].mid(1, 2), (QStringList{u"3"_s, u"75"_s}));
    EXPECT_EQ(sheetXml(workbook, 12).types.at(u"C2"_s), u""_s);
    // The last join is the root's, with every card in the dendrogram's order.
    EXPECT_EQ(table.rows.back().value(4).count(u'|'), document.study().itemCount - 1);
    ASSERT_TRUE(readWorkbook(workbook, u"Stability"_s, table, error));
    EXPECT_EQ(table.rows.size(), std::size_t(document.settings().numberOfGroups) + 1);
    ASSERT_TRUE(readWorkbook(workbook, u"Adequacy"_s, table, error));
    // Placements: the counts shaded white to blue, the card names left alone.
    Table placements;
    ASSERT_TRUE(readWorkbook(workbook, u"Placements"_s, placements, error));
    const QString range =
        u"B2:%1"_s.arg(reference(int(placements.rows.size()) - 1, int(placements.rows.front().size()) - 1));
    EXPECT_TRUE(zipPart(workbook, u"xl/worksheets/sheet8.xml"_s)
                    .contains("<conditionalFormatting sqref=\"" + range.toUtf8() + "\"><cfRule type=\"colorScale\""));
}

// Every part of the workbook but its dates, byte for byte as the program wrote it when the
// parts were kept (tests/data/workbook/parts): a change of the writer, the sheets or the zip
// library that changes a byte shows here. The input's folder and the program's version stand
// as @DIR@ and @VERSION@.
TEST_F(Workbook, EveryPartButTheDatesIsTheKeptOne)
{
    ASSERT_TRUE(analyseAgain(document, {2}, leftOutFileNames(document, 1), platform));
    document.setTreeSupport(computeTreeSupport(document.study(), 10, 1, {}));
    document.setAdequacy(computeAdequacy(document.study(), 10, 1, {}));
    ASSERT_TRUE(document.treeSupport() && document.adequacy());
    const QString workbook = path(u"study.xlsx"_s);
    const QByteArray saved = qgetenv("SOURCE_DATE_EPOCH");
    qputenv("SOURCE_DATE_EPOCH", "1700000000");
    QString error;
    const bool written = saveWorkbook(document, workbook, {}, error);
    if (saved.isNull())
        qunsetenv("SOURCE_DATE_EPOCH");
    else
        qputenv("SOURCE_DATE_EPOCH", saved);
    ASSERT_TRUE(written) << error.toStdString();

    const QDir kept(QStringLiteral(SORTANA_WORKBOOK_DIR "/parts"));
    QStringList keptNames;
    for (QDirIterator it(kept.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();)
        keptNames << kept.relativeFilePath(it.next());
    keptNames.sort();
    QStringList names;
    for (auto &[name, bytes] : zipParts(workbook)) {
        if (name == u"docProps/core.xml")
            continue;
        names << name;
        bytes.replace(dir.path().toUtf8(), "@DIR@").replace(">" SORTANA_VERSION "<", ">@VERSION@<");
        EXPECT_EQ(bytes, readBytes(kept.filePath(name))) << name.toStdString();
    }
    names.sort();
    EXPECT_EQ(names, keptNames);
}

// The first sheet says what the study was made from, as the report does, and which program
// made the workbook when; the checks say who is left out.
TEST_F(Workbook, TheStudySheetAndWhoIsLeftOut)
{
    ASSERT_TRUE(analyseAgain(document, {2}, leftOutFileNames(document, 1), platform));
    const QByteArray saved = qgetenv("SOURCE_DATE_EPOCH");
    qputenv("SOURCE_DATE_EPOCH", "1700000000");
    QString error;
    const bool written = saveWorkbook(document, path(u"study.xlsx"_s), {}, error);
    if (saved.isNull())
        qunsetenv("SOURCE_DATE_EPOCH");
    else
        qputenv("SOURCE_DATE_EPOCH", saved);
    ASSERT_TRUE(written) << error.toStdString();

    Table study;
    ASSERT_TRUE(readWorkbook(path(u"study.xlsx"_s), QString(), study, error)) << error.toStdString();
    const std::vector<QStringList> expected = {
        {u"Input file"_s, dir.filePath(u"study.txt"_s)},
        {u"Participants counted"_s, u"3"_s},
        {u"Participants left out"_s, u"1 of 4: P3 (#3)"_s},
        {u"Cards"_s, u"5"_s},
        {u"Quality of fit used"_s, u"no"_s},
        {u"Sub-groups used"_s, u"no"_s},
        {u"Expert"_s, u"none"_s},
        {u"Card sets per participant"_s, u"1"_s},
        {u"Program version"_s, QStringLiteral(SORTANA_VERSION)},
        {u"Workbook made"_s, u"2023-11-14T22:13:20Z"_s},
    };
    EXPECT_EQ(study.rows, expected);
    const SheetXml xml = sheetXml(path(u"study.xlsx"_s), 1);
    EXPECT_FALSE(xml.headerFrozen);
    EXPECT_EQ(xml.types.at(u"B2"_s), u""_s); // the count a number
    EXPECT_TRUE(isTextType(xml.types.at(u"B9"_s)));

    Table checks;
    ASSERT_TRUE(readWorkbook(path(u"study.xlsx"_s), u"Participant Checks"_s, checks, error));
    QStringList leftOut;
    for (const QStringList &row : checks.rows)
        leftOut << row.front() + u'=' + row.value(5);
    EXPECT_EQ(leftOut, (QStringList{u"participant=left out"_s, u"P007="_s, u"P2="_s, u"P3=yes"_s, u"Ann="_s}));
}

TEST_F(Workbook, ADocumentWithoutTheSortsIsRefused)
{
    editStudy(document, [&](Study &s) { s.sorts.reset(); });
    QString error;
    bool handed = false;
    EXPECT_FALSE(buildWorkbookSheets(
        document, [&](WorkbookSheet &&) { return handed = true; }, {}, error));
    EXPECT_FALSE(handed);
    EXPECT_EQ(error, QString::fromUtf16(sortsMissingMessage));
    EXPECT_FALSE(saveWorkbook(document, path(u"study.xlsx"_s), {}, error));
    EXPECT_FALSE(QFile::exists(path(u"study.xlsx"_s)));
}

// A workbook stopped half way, or one that cannot be written, leaves the old file and no
// temporary file behind.
TEST_F(Workbook, AFailedOrStoppedWriteKeepsTheOldFile)
{
    QTemporaryDir out;
    const QString target = out.filePath(u"study.xlsx"_s);
    writeBytes(target, "the old workbook");
    QString error;

    int steps = 0;
    EXPECT_FALSE(saveWorkbook(
        document, target, [&](qint64, qint64) { return ++steps < 4; }, error));
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    EXPECT_EQ(filesIn(out.path()), QStringList{u"study.xlsx"_s});

    std::vector<WorkbookSheet> sheets;
    ASSERT_TRUE(buildWorkbookSheets(
        document,
        [&](WorkbookSheet &&sheet) {
            sheets.push_back(std::move(sheet));
            return true;
        },
        {}, error));
    {
        // The disk fills up while the workbook is written.
        const FileSizeLimit full(200);
        WorkbookWriter writer(target, 0);
        for (const WorkbookSheet &sheet : sheets)
            writer.add(sheet);
        EXPECT_FALSE(writer.commit());
        EXPECT_TRUE(writer.error().startsWith(u"Failed to write "_s + target)) << writer.error().toStdString();
    }
    EXPECT_EQ(filesIn(out.path()), QStringList{u"study.xlsx"_s});

    // The document and its raw data are never written over.
    document.pathName = out.filePath(u"study.klus"_s);
    writeBytes(document.pathName, "the document");
    for (const QString &kept : {document.pathName, path(u"study.txt"_s)}) {
        const QByteArray before = readBytes(kept);
        EXPECT_FALSE(saveWorkbook(document, kept, {}, error));
        EXPECT_EQ(error, kept + u" cannot be written over the document or its input"_s);
        EXPECT_EQ(readBytes(kept), before);
    }
    QFile::remove(document.pathName);

    // More columns than a sheet can have.
    WorkbookWriter writer(target, 0);
    WorkbookSheet wide;
    wide.name = u"Wide"_s;
    wide.rows.emplace_back(16385, sheetCell(u"1"_s, false));
    EXPECT_FALSE(writer.add(wide));
    EXPECT_FALSE(writer.commit());
    EXPECT_EQ(writer.error(), u"The sheet Wide would need more columns than a workbook allows."_s);

    EXPECT_EQ(readBytes(target), "the old workbook");
    EXPECT_EQ(filesIn(out.path()), QStringList{u"study.xlsx"_s});
}

// A workbook written over a link replaces the file the link names, with its permissions.
TEST_F(Workbook, ALinkIsWrittenThroughAndTheOldFilesPermissionsKept)
{
    QTemporaryDir elsewhere;
    const QString file = elsewhere.filePath(u"shared.xlsx"_s);
    writeBytes(file, "the old workbook");
    ASSERT_TRUE(QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner));
    ASSERT_TRUE(QFile::link(file, path(u"link.xlsx"_s)));
    QString error;
    ASSERT_TRUE(saveWorkbook(document, path(u"link.xlsx"_s), {}, error)) << error.toStdString();
    EXPECT_EQ(QFileInfo(path(u"link.xlsx"_s)).symLinkTarget(), file);
    EXPECT_TRUE(readBytes(file).startsWith("PK"));
    EXPECT_EQ(QFile::permissions(file) & (QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther),
              QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_EQ(filesIn(elsewhere.path()), QStringList{u"shared.xlsx"_s});
}

// The rows held in memory or streamed to disk as they come: the same workbook either way.
TEST(WorkbookWriter, WritesTheSameSheetInEitherMemoryMode)
{
    for (const qint64 largest : {qint64(10), qint64(1) << 30}) {
        SCOPED_TRACE(largest);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"w.xlsx"_s);
        WorkbookSheet sheet;
        sheet.name = u"Figures"_s;
        for (const QStringList &row : {QStringList{u"ID"_s, u"Count"_s, u"Share"_s, u"Mean"_s},
                                       QStringList{u"007"_s, u"12"_s, u"81%"_s, u"12.5%"_s},
                                       QStringList{u"Ann"_s, QString(), u"n/a"_s, u"-2.25"_s}}) {
            std::vector<SheetCell> cells;
            for (qsizetype c = 0; c < row.size(); ++c)
                cells.push_back(sheetCell(row[c], sheet.rows.empty() || c == 0));
            sheet.rows.push_back(std::move(cells));
        }
        sheet.colourScale = SheetRange{1, 1, 2, 3};
        WorkbookWriter writer(path, largest);
        ASSERT_TRUE(writer.add(sheet)) << writer.error().toStdString();
        ASSERT_TRUE(writer.commit()) << writer.error().toStdString();

        Table table;
        QString error;
        ASSERT_TRUE(readWorkbook(path, u"Figures"_s, table, error)) << error.toStdString();
        EXPECT_EQ(table.rows[1], (QStringList{u"007"_s, u"12"_s, u"0.81"_s, u"0.125"_s}));
        EXPECT_EQ(table.rows[2], (QStringList{u"Ann"_s, QString(), u"n/a"_s, u"-2.25"_s}));
        const SheetXml xml = sheetXml(path, 1);
        EXPECT_TRUE(xml.headerFrozen);
        EXPECT_TRUE(isTextType(xml.types.at(u"A2"_s)));
        EXPECT_TRUE(isTextType(xml.types.at(u"C3"_s)));
        EXPECT_EQ(xml.types.at(u"B2"_s), QString());
        EXPECT_EQ(std::floor(xml.widths.at(0)), 3);
        EXPECT_EQ(std::floor(xml.widths.at(3)), 5);
        // Percents shown with the decimals they were written with.
        const QByteArray formats = zipPart(path, u"xl/styles.xml"_s);
        EXPECT_TRUE(formats.contains("formatCode=\"0%\"") && formats.contains("formatCode=\"0.0%\"")) << formats.data();
    }
}

} // namespace
