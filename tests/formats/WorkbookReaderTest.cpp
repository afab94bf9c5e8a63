#include "formats/WorkbookReader.h"
#include "formats/WorkbookLimits.h"
#include "support/TestFiles.h"

#include <minizip/zip.h>
#include <zlib.h>

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <variant>
#include <vector>

namespace sortana {
namespace {

using namespace Qt::StringLiterals;

using Rows = std::vector<QStringList>;
using Cells = std::vector<std::vector<const char *>>;

// Expected rows, written as UTF-8 literals.
Rows rowsOf(const Cells &cells)
{
    Rows rows;
    for (const auto &row : cells) {
        rows.emplace_back();
        for (const char *cell : row)
            rows.back().append(QString::fromUtf8(cell));
    }
    return rows;
}

struct Part {
    QString name;
    QByteArray xml;
};

enum class Zip { Deflated, Stored, Encrypted };

// Writes the parts into a zip, deflated as spreadsheet programs do, or stored as they are, or
// encrypted with a password.
void writeZip(const QString &path, const std::vector<Part> &parts, Zip kind = Zip::Deflated)
{
    const zipFile zip = zipOpen64(QFile::encodeName(path).constData(), APPEND_STATUS_CREATE);
    ASSERT_TRUE(zip);
    for (const Part &part : parts) {
        const auto bytes = reinterpret_cast<const Bytef *>(part.xml.constData());
        const zip_fileinfo info{};
        ASSERT_EQ(zipOpenNewFileInZip3_64(zip, part.name.toUtf8().constData(), &info, nullptr, 0, nullptr, 0, nullptr,
                                          kind == Zip::Stored ? 0 : Z_DEFLATED, Z_DEFAULT_COMPRESSION, 0, -MAX_WBITS,
                                          DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY,
                                          kind == Zip::Encrypted ? "secret" : nullptr,
                                          crc32(0, bytes, uInt(part.xml.size())), 0),
                  ZIP_OK);
        ASSERT_EQ(zipWriteInFileInZip(zip, bytes, unsigned(part.xml.size())), ZIP_OK);
        ASSERT_EQ(zipCloseFileInZip(zip), ZIP_OK);
    }
    ASSERT_EQ(zipClose(zip, nullptr), ZIP_OK);
}

const QByteArray mainNamespace = "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"";
const QByteArray relationshipsNamespace =
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"";
const QByteArray relationshipType = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

QByteArray worksheet(const QByteArray &sheetData)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<worksheet " + mainNamespace
        + "><dimension ref=\"A1\"/><sheetData>" + sheetData + "</sheetData></worksheet>";
}

QByteArray sharedStringTable(const QByteArray &items)
{
    // The counts are wrong on purpose: the reader must not rely on them.
    return "<sst " + mainNamespace + " count=\"1\" uniqueCount=\"999999999\">" + items + "</sst>";
}

struct SheetPart {
    QByteArray name; // in the workbook
    QByteArray target; // as the workbook's relationship gives it
    QByteArray type = "worksheet";
    QByteArray sheetData = {};
};

// A workbook as spreadsheet programs lay it out, with its sheets in the given tab order.
std::vector<Part> workbookParts(const std::vector<SheetPart> &sheets, const QByteArray &sharedStrings = {})
{
    std::vector<Part> parts{{QStringLiteral("[Content_Types].xml"), "<Types/>"},
                            {QStringLiteral("_rels/.rels"),
                             "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                             "<Relationship Id=\"rId1\" Type=\""
                                 + relationshipType + "officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>"}};
    QByteArray sheetList;
    QByteArray relationships;
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        const QByteArray id = "rId" + QByteArray::number(qulonglong(i) + 1);
        sheetList += "<sheet name=\"" + sheets[i].name + "\" sheetId=\"" + QByteArray::number(qulonglong(i) + 1)
            + "\" r:id=\"" + id + "\"/>";
        relationships += "<Relationship Id=\"" + id + "\" Type=\"" + relationshipType + sheets[i].type + "\" Target=\""
            + sheets[i].target + "\"/>";
        QString name = QString::fromUtf8(sheets[i].target);
        name = name.startsWith(u'/') ? name.mid(1) : QStringLiteral("xl/") + name;
        parts.push_back({name.replace(QStringLiteral("%20"), QStringLiteral(" ")), worksheet(sheets[i].sheetData)});
    }
    if (!sharedStrings.isNull()) {
        relationships +=
            "<Relationship Id=\"rIdS\" Type=\"" + relationshipType + "sharedStrings\" Target=\"sharedStrings.xml\"/>";
        parts.push_back({QStringLiteral("xl/sharedStrings.xml"), sharedStringTable(sharedStrings)});
    }
    parts.push_back({QStringLiteral("xl/workbook.xml"),
                     "<workbook " + mainNamespace + " " + relationshipsNamespace + "><sheets>" + sheetList
                         + "</sheets></workbook>"});
    parts.push_back({QStringLiteral("xl/_rels/workbook.xml.rels"),
                     "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                         + relationships + "</Relationships>"});
    return parts;
}

std::vector<Part> oneSheet(const QByteArray &sheetData, const QByteArray &sharedStrings = {})
{
    return workbookParts({{"Sheet1", "worksheets/sheet1.xml", "worksheet", sheetData}}, sharedStrings);
}

class WorkbookReaderTest : public ::testing::Test {
protected:
    QString path(const QString &name = QStringLiteral("book.xlsx")) const { return m_folder.filePath(name); }

    // The rows of the workbook, or the message when it is refused.
    std::variant<Rows, QString> read(const QString &file, const QString &sheet = {},
                                     const WorkbookLimits &limits = {}) const
    {
        Table table;
        table.rows = {{QStringLiteral("left over")}};
        QString error;
        if (readWorkbook(file, sheet, table, error, limits))
            return table.rows;
        EXPECT_TRUE(table.rows.empty()) << "a refused workbook leaves no rows behind";
        return error;
    }

    QTemporaryDir m_folder;
};

struct SheetCase {
    const char *what;
    QByteArray sheetData;
    Cells expected;
};

const QByteArray sharedStrings =
    "<si><t>Apple</t></si>"
    "<si><r><rPr><b/></rPr><t>Ri</t></r><r><t xml:space=\"preserve\">ch  </t></r></si>"
    "<si><t>Tea\nand\r\ncoffee</t></si>"
    "<si><t>\xe6\x9d\xb1</t><rPh sb=\"0\" eb=\"1\"><t>\xe3\x81\xb2\xe3\x81\xa8</t></rPh></si>"
    "<si><t>Line_x000D_\nbreak, _x005F_x0041_ kept</t></si>"
    "<si><t>  </t></si>";

const SheetCase sheetCases[] = {
    {"shared strings, rich text runs, phonetic guides left out",
     R"(<row r="1"><c r="A1" t="s"><v>0</v></c><c r="B1" t="s"><v>1</v></c><c r="C1" t="s"><v>3</v></c></row>)",
     {{"Apple", "Rich", "\xe6\x9d\xb1"}}},
    {"line breaks in shared and inline strings become one space",
     R"(<row r="1"><c r="A1" t="s"><v>2</v></c><c r="B1" t="s"><v>4</v></c>)"
     R"(<c r="C1" t="inlineStr"><is><t>Two&#10;lines</t></is></c></row>)",
     {{"Tea and coffee", "Line break, _x0041_ kept", "Two lines"}}},
    {"inline strings, plain and in runs, and formula text results",
     R"(<row r="1"><c r="A1" t="inlineStr"><is><t> Pear </t></is></c>)"
     R"(<c r="B1" t="inlineStr"><is><r><t>Plu</t></r><r><t>m</t></r></is></c>)"
     R"(<c r="C1" t="str"><f>A1&amp;"!"</f><v>Pear!</v></c></row>)",
     {{"Pear", "Plum", "Pear!"}}},
    {"whole numbers as their digits, whatever the XML wrote",
     R"(<row r="1"><c r="A1"><v>12</v></c><c r="B1" t="n"><v>12.0</v></c><c r="C1"><v>1E2</v></c>)"
     R"(<c r="D1"><v>-7</v></c><c r="E1"><v>9007199254740992</v></c><c r="F1"><v>-0</v></c></row>)",
     {{"12", "12", "100", "-7", "9007199254740992", "0"}}},
    {"other numbers in their shortest exact form",
     R"(<row r="1"><c r="A1"><v>0.1</v></c><c r="B1"><v>2.5</v></c><c r="C1"><v>1.5E-7</v></c>)"
     R"(<c r="D1"><v>0.30000000000000004</v></c><c r="E1"><v>1E+300</v></c><c r="F1"><v>-3.25</v></c></row>)",
     {{"0.1", "2.5", "1.5e-07", "0.30000000000000004", "1e+300", "-3.25"}}},
    {"booleans, errors and formulas without a value",
     R"(<row r="1"><c r="A1" t="b"><v>1</v></c><c r="B1" t="b"><v>0</v></c><c r="C1" t="e"><v>#N/A</v></c>)"
     R"(<c r="D1"><f>1+1</f></c><c r="E1" t="s"><v>0</v></c></row>)",
     {{"TRUE", "FALSE", "#N/A", "", "Apple"}}},
    {"missing rows are empty rows, missing cells empty cells, trailing empties dropped",
     R"(<row r="2"><c r="C2" t="s"><v>0</v></c><c r="D2" t="s"><v>5</v></c></row>)"
     R"(<row r="4" spans="1:3"><c r="B4"><v>4</v></c><c r="E4" s="1"/></row>)"
     R"(<row r="5"><c r="A5" s="2"/></row><row r="7"/>)",
     {{}, {"", "", "Apple"}, {}, {"", "4"}}},
    {"rows and cells without references follow the previous ones",
     R"(<row><c><v>1</v></c><c><v>2</v></c></row><row r="3"><c r="B3"><v>3</v></c><c><v>4</v></c></row>)"
     R"(<row><c t="inlineStr"><is><t>x</t></is></c></row>)",
     {{"1", "2"}, {}, {"", "3", "4"}, {"x"}}},
    {"column letters past Z",
     R"(<row r="1"><c r="AA1"><v>27</v></c><c r="ab1"><v>28</v></c></row>)",
     {{"", "", "", "", "", "", "", "", "", "", "", "", "",   "",
       "", "", "", "", "", "", "", "", "", "", "", "", "27", "28"}}},
};

class SheetContentTest : public WorkbookReaderTest, public ::testing::WithParamInterface<SheetCase> {};

TEST_P(SheetContentTest, ReadsCellsAtTheirPlaces)
{
    writeZip(path(), oneSheet(GetParam().sheetData, sharedStrings));
    EXPECT_EQ(read(path()), (std::variant<Rows, QString>(rowsOf(GetParam().expected)))) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(Cells, SheetContentTest, ::testing::ValuesIn(sheetCases));

TEST_F(WorkbookReaderTest, FindsSheetsThroughTheWorkbookNotByFileName)
{
    // Tab order differs from the part names, a chart sheet comes first, one target is absolute
    // and one percent-encoded: only the workbook and its relationships tell which is which.
    const auto sheet = [](const char *text) {
        return R"(<row r="1"><c r="A1" t="inlineStr"><is><t>)" + QByteArray(text) + "</t></is></c></row>";
    };
    writeZip(path(),
             workbookParts({{"Chart", "chartsheets/sheet1.xml", "chartsheet"},
                            {"Second tab", "worksheets/sheet2.xml", "worksheet", sheet("second")},
                            {"Data", "/xl/worksheets/sheet1.xml", "worksheet", sheet("data")},
                            {"2", "worksheets/my%20sheet.xml", "worksheet", sheet("named 2")}}));
    const QString refused = u"The workbook "_s + path() + u" has no sheet "_s;
    const std::pair<QString, std::variant<Rows, QString>> cases[] = {
        {QString(), rowsOf({{"second"}})},
        {QStringLiteral("Data"), rowsOf({{"data"}})},
        {QStringLiteral("dATA"), rowsOf({{"data"}})},
        {QStringLiteral("2"), rowsOf({{"named 2"}})}, // a name before a position
        {QStringLiteral("3"), rowsOf({{"data"}})}, // the third tab
        {QStringLiteral("1"), refused + u"1"_s}, // a chart is no table
        {QStringLiteral("5"), refused + u"5"_s},
        {QStringLiteral("0"), refused + u"0"_s},
        {QStringLiteral("Summary"), refused + u"Summary"_s},
    };
    for (const auto &[wanted, expected] : cases)
        EXPECT_EQ(read(path(), wanted), expected) << wanted.toStdString();
}

TEST_F(WorkbookReaderTest, ReadsAWorkbookFromAnotherWriter)
{
    const QString fixture = QStringLiteral(SORTANA_XLSX_DIR "/spreadsheet-program.xlsx");
    const Rows sorts = rowsOf({{"Participant", "Card", "Category", "Card id"},
                               {"12", "Apple", "Fruit", "1"},
                               {"12", "Tea and coffee", "Drinks", "2.5"},
                               {},
                               {"P13", "Apple", "", "100"},
                               {"", "Only B6"}});
    EXPECT_EQ(read(fixture), (std::variant<Rows, QString>(sorts)));
    EXPECT_EQ(read(fixture, QStringLiteral("Notes")),
              (std::variant<Rows, QString>(rowsOf({{"Written by a spreadsheet library"}}))));
}

// A compound file as the spreadsheet program writes an encrypted workbook (or, without the
// EncryptedPackage stream, an old binary workbook).
QByteArray compoundFile(bool encrypted)
{
    QByteArray bytes = QByteArray::fromHex("d0cf11e0a1b11ae1").leftJustified(1536, '\0');
    const QString stream = encrypted ? QStringLiteral("EncryptedPackage") : QStringLiteral("Workbook");
    bytes += QByteArray(reinterpret_cast<const char *>(stream.utf16()), stream.size() * 2);
    return bytes.leftJustified(4096, '\0');
}

TEST_F(WorkbookReaderTest, RefusesWhatItCannotRead)
{
    const QString file = path();
    const QString damaged = u"The workbook "_s + file + u" is damaged or not a workbook"_s;
    const QString password =
        u"The workbook "_s + file + u" is protected by a password\nSave it without a password and try again"_s;
    const QString tooLarge = u"The workbook "_s + file + u" is too large to read"_s;

    writeZip(file, oneSheet(R"(<row r="1"><c r="A1"><v>1</v></c></row>)"));
    const QByteArray workbook = test::readBytes(file);

    const std::pair<const char *, std::function<void()>> damages[] = {
        {"text", [&] { test::writeBytes(file, "Participant,Card,Category\n1,Apple,Fruit\n"); }},
        {"empty file", [&] { test::writeBytes(file, {}); }},
        {"cut short", [&] { test::writeBytes(file, workbook.left(workbook.size() / 2)); }},
        {"an old binary workbook", [&] { test::writeBytes(file, compoundFile(false)); }},
        {"no workbook part",
         [&] {
             writeZip(file, {{QStringLiteral("xl/worksheets/sheet1.xml"), worksheet({})}});
         }},
        {"a sheet that is not XML", [&] { writeZip(file, oneSheet("<row r=\"1\"><c r=\"A1\"><v>1</c></row>")); }},
        {"a part that fails its CRC",
         [&] {
             writeZip(file, oneSheet(R"(<row r="1"><c r="A1"><v>1</v></c></row>)"), Zip::Stored);
             QByteArray bytes = test::readBytes(file);
             ASSERT_EQ(bytes.count("<v>1</v>"), 1);
             test::writeBytes(file, bytes.replace("<v>1</v>", "<v>2</v>"));
         }},
        {"a shared string that is not there",
         [&] { writeZip(file, oneSheet(R"(<row r="1"><c r="A1" t="s"><v>1</v></c></row>)", "<si><t>a</t></si>")); }},
        {"row 0", [&] { writeZip(file, oneSheet(R"(<row r="0"><c r="A1"><v>1</v></c></row>)")); }},
        {"a row past the last", [&] { writeZip(file, oneSheet(R"(<row r="1048577"><c><v>1</v></c></row>)")); }},
        {"a column past the last", [&] { writeZip(file, oneSheet(R"(<row r="1"><c r="XFE1"><v>1</v></c></row>)")); }},
        {"a reference without a row", [&] { writeZip(file, oneSheet(R"(<row r="1"><c r="B"><v>1</v></c></row>)")); }},
        {"a sheet outside the archive's top folder",
         [&] {
             writeZip(file, workbookParts({{"Sheet1", "../../sheet1.xml"}}));
         }},
        {"a DTD",
         [&] {
             std::vector<Part> parts = oneSheet({});
             parts.back().xml = "<!DOCTYPE Relationships [<!ENTITY id \"rId1\">]>" + parts.back().xml;
             writeZip(file, parts);
         }},
    };
    for (const auto &[what, damage] : damages) {
        damage();
        EXPECT_EQ(read(file), (std::variant<Rows, QString>(damaged))) << what;
    }

    test::writeBytes(file, compoundFile(true));
    EXPECT_EQ(read(file), (std::variant<Rows, QString>(password))) << "an encrypted workbook";
    writeZip(file, oneSheet(R"(<row r="1"><c r="A1"><v>1</v></c></row>)"), Zip::Encrypted);
    EXPECT_EQ(read(file), (std::variant<Rows, QString>(password))) << "a zip with encrypted parts";

    // White space deflates a thousandfold, far beyond what any sheet compresses to.
    writeZip(file, oneSheet(QByteArray(16 << 20, ' ')));
    EXPECT_EQ(read(file), (std::variant<Rows, QString>(tooLarge))) << "a zip bomb";

    EXPECT_EQ(read(path(QStringLiteral("missing.xlsx"))),
              (std::variant<Rows, QString>(
                  QStringLiteral("Failed to open input file\nMake sure it is not in use in other applications"))));
}

TEST_F(WorkbookReaderTest, StopsAtItsLimits)
{
    // Each limit just reached reads; just passed, refuses.
    // 3 rows and 4 cells, and the largest part of the workbook.
    const QByteArray sheetData = R"(<row r="3"><c r="D3"><v>1</v></c></row>)" + QByteArray(1000, ' ');
    writeZip(path(), oneSheet(sheetData));
    const QString tooLarge = u"The workbook "_s + path() + u" is too large to read"_s;
    const qint64 partBytes = worksheet(sheetData).size();

    const std::pair<WorkbookLimits, bool> cases[] = {
        {{.maxCells = 7}, true},
        {{.maxCells = 6}, false},
        {{.maxPartBytes = partBytes}, true},
        {{.maxPartBytes = partBytes - 1}, false},
        {{.maxCompressionRatio = 1, .ratioFreeBytes = partBytes}, true},
        {{.maxCompressionRatio = 1, .ratioFreeBytes = 0}, false},
    };
    for (const auto &[limits, reads] : cases) {
        const auto result = read(path(), {}, limits);
        EXPECT_EQ(std::holds_alternative<Rows>(result), reads)
            << limits.maxCells << ' ' << limits.maxPartBytes << ' ' << limits.ratioFreeBytes;
        if (!reads) {
            EXPECT_EQ(result, (std::variant<Rows, QString>(tooLarge)));
        }
    }

    writeZip(path(), oneSheet({}, "<si/><si/><si/>"));
    EXPECT_EQ(read(path(), {}, {.maxCells = 2}), (std::variant<Rows, QString>(tooLarge))) << "shared strings";
}

} // namespace
} // namespace sortana
