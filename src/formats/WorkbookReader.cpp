#include "formats/WorkbookReader.h"

#include "formats/ImportMessages.h"
#include "formats/WorkbookLimits.h"

#include <minizip/unzip.h>

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QIODevice>
#include <QUrl>
#include <QXmlStreamReader>

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <new>
#include <optional>
#include <system_error>
#include <vector>

namespace sortana {

namespace {

using namespace Qt::StringLiterals;

const char16_t damagedText[] = u"The workbook %1 is damaged or not a workbook";
const char16_t passwordText[] = u"The workbook %1 is protected by a password\nSave it without a password and try again";
const char16_t tooLargeText[] = u"The workbook %1 is too large to read";
const char16_t noSheetText[] = u"The workbook %1 has no sheet %2";

// Why a workbook cannot be read; thrown from deep in the XML and turned into the message at
// the top, where the path is known.
enum class Failure { OpenFailed, Damaged, Password, TooLarge, NoSheet };

struct WorkbookFailure {
    Failure failure;
};

[[noreturn]] void fail(Failure failure)
{
    throw WorkbookFailure{failure};
}

// The largest sheet a spreadsheet program makes: rows 1 to 1048576, columns A to XFD.
constexpr qint64 maxRow = 1048576;
constexpr qint64 maxColumn = 16384;

// Hands the inflated bytes of the archive's open part to the XML reader and stops them at the
// limits, whatever sizes the archive declares. Ending the data early makes the XML reader stop
// with an error.
class BoundedPart final : public QIODevice {
public:
    BoundedPart(unzFile zip, qint64 compressedBytes, const WorkbookLimits &limits)
        : m_zip(zip),
          m_compressedBytes(qMax<qint64>(compressedBytes, 1)),
          m_limits(limits)
    {
    }

    bool isSequential() const override { return true; }
    bool tooLarge() const { return m_tooLarge; }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        if (m_tooLarge)
            return -1;
        // One byte past the limit is enough to know that the part exceeds it.
        const qint64 room = m_limits.maxPartBytes - m_inflated + 1;
        const int read = unzReadCurrentFile(m_zip, data, unsigned(std::min({maxSize, room, qint64(INT_MAX)})));
        if (read <= 0)
            return read < 0 ? -1 : 0;
        m_inflated += read;
        if (m_inflated > m_limits.maxPartBytes
            || (m_inflated > m_limits.ratioFreeBytes
                && m_inflated / m_compressedBytes >= m_limits.maxCompressionRatio)) {
            m_tooLarge = true;
            return -1;
        }
        return read;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    unzFile m_zip;
    qint64 m_compressedBytes;
    const WorkbookLimits &m_limits;
    qint64 m_inflated = 0;
    bool m_tooLarge = false;
};

// The zip archive of a workbook and its parts, by their names in the archive.
class Archive {
public:
    Archive(const QString &path, qint64 fileBytes, const WorkbookLimits &limits)
        : m_zip(unzOpen64(QFile::encodeName(path).constData())),
          m_limits(limits),
          m_fileBytes(fileBytes)
    {
        if (!m_zip)
            fail(Failure::Damaged);
    }
    // Closes the part being read as well, when a failure left it open.
    ~Archive() { unzClose(m_zip); }
    Archive(const Archive &) = delete;
    Archive &operator=(const Archive &) = delete;

    const WorkbookLimits &limits() const { return m_limits; }

    // Makes the part of that name, compared without regard to case, the current one.
    bool contains(const QString &name)
    {
        constexpr int caseInsensitive = 2;
        return unzLocateFile(m_zip, name.toUtf8().constData(), caseInsensitive) == UNZ_OK;
    }

    // Runs `read` on the XML of the part; a part that is missing, cannot be inflated, fails its
    // CRC or is not well-formed XML makes the workbook damaged.
    template <typename Read> void readXml(const QString &name, Read &&read)
    {
        if (!contains(name))
            fail(Failure::Damaged);
        unz_file_info64 info{};
        if (unzGetCurrentFileInfo64(m_zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
            fail(Failure::Damaged);
        constexpr uLong encryptedFlag = 1;
        if (info.flag & encryptedFlag)
            fail(Failure::Password);
        if (unzOpenCurrentFile(m_zip) != UNZ_OK)
            fail(Failure::Damaged);
        // A part's compressed size as the archive declares it, but never more than the file.
        BoundedPart bytes(m_zip, qint64(std::min<quint64>(info.compressed_size, quint64(m_fileBytes))), m_limits);
        bytes.open(QIODevice::ReadOnly);
        QXmlStreamReader xml(&bytes);
        try {
            read(xml);
        } catch (const WorkbookFailure &) {
            // Cut off at a limit, the XML ends anywhere, so what looks damaged was too large.
            if (bytes.tooLarge())
                fail(Failure::TooLarge);
            throw;
        }
        if (bytes.tooLarge())
            fail(Failure::TooLarge);
        if (xml.hasError())
            fail(Failure::Damaged);
        // The CRC is checked here, once the whole part has been read.
        if (unzCloseCurrentFile(m_zip) != UNZ_OK)
            fail(Failure::Damaged);
    }

private:
    unzFile m_zip;
    const WorkbookLimits &m_limits;
    qint64 m_fileBytes;
};

// Moves on to the next start element of that local name anywhere below the current one; false
// at the end of the document. Workbooks have no use for a DTD, and refusing one keeps entity
// declarations out altogether.
bool readToElement(QXmlStreamReader &xml, QStringView name)
{
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.tokenType() == QXmlStreamReader::DTD)
            fail(Failure::Damaged);
        if (xml.isStartElement() && xml.name() == name)
            return true;
    }
    return false;
}

// Spreadsheet text escapes characters XML cannot carry as _xHHHH_ (carriage returns among
// them, which Windows programs write as _x000D_ before a line feed).
QString unescapedText(const QString &text)
{
    if (!text.contains(u"_x"))
        return text;
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'_' && i + 6 < text.size() && text[i + 1] == u'x' && text[i + 6] == u'_') {
            // from_chars takes neither a sign, nor white space, nor a 0x in front.
            char hex[4];
            for (qsizetype k = 0; k < 4; ++k)
                hex[k] = text[i + 2 + k].unicode() < 0x80 ? char(text[i + 2 + k].unicode()) : '?';
            unsigned code = 0;
            const auto [stop, error] = std::from_chars(hex, hex + 4, code, 16);
            if (error == std::errc() && stop == hex + 4) {
                result += QChar(char16_t(code));
                i += 6;
                continue;
            }
        }
        result += text[i];
    }
    return result;
}

// The text of a shared string item or an inline string: plain (<t>) or rich text runs
// (<r><t>), without the phonetic guides (<rPh>) that ride along with East Asian text.
QString readStringItem(QXmlStreamReader &xml)
{
    QString text;
    while (xml.readNextStartElement()) {
        if (xml.name() == u"t") {
            text += xml.readElementText();
        } else if (xml.name() == u"r") {
            while (xml.readNextStartElement()) {
                if (xml.name() == u"t")
                    text += xml.readElementText();
                else
                    xml.skipCurrentElement();
            }
        } else {
            xml.skipCurrentElement();
        }
    }
    return normalisedCell(unescapedText(text));
}

// A number as a person would type it: a whole number as its digits, any other in the shortest
// form that reads back as the same value. Text that is not a number is kept as it is.
QString numberText(const QString &raw)
{
    const QByteArray bytes = raw.trimmed().toLatin1();
    const char *begin = bytes.constData();
    const char *end = begin + bytes.size();
    double value = 0;
    const auto [stop, error] = std::from_chars(begin, end, value);
    if (error != std::errc() || stop != end || !std::isfinite(value))
        return normalisedCell(raw);
    // Up to 2^53 every whole number is exact in a double, so its digits are the ones written.
    if (value == std::trunc(value) && std::fabs(value) <= 9007199254740992.0)
        return QString::number(static_cast<qint64>(value));
    char digits[32];
    const auto written = std::to_chars(digits, digits + sizeof digits, value);
    return QString::fromLatin1(digits, written.ptr - digits);
}

std::optional<qint64> boundedNumber(QStringView text, qint64 max)
{
    bool ok = false;
    const qint64 number = text.toLongLong(&ok);
    if (!ok || number < 1 || number > max)
        return std::nullopt;
    return number;
}

// The column of a cell reference such as "C5", from 1.
qint64 columnOf(QStringView reference)
{
    qint64 column = 0;
    qsizetype i = 0;
    for (; i < reference.size() && column <= maxColumn; ++i) {
        const char16_t c = QChar::toUpper(reference[i].unicode());
        if (c < u'A' || c > u'Z')
            break;
        column = column * 26 + (c - u'A' + 1);
    }
    if (column < 1 || column > maxColumn || !boundedNumber(reference.mid(i), maxRow))
        fail(Failure::Damaged);
    return column;
}

struct Relationship {
    QString type;
    QString target; // the part's name in the archive
};

bool hasType(const Relationship &relationship, QStringView kind)
{
    // Transitional and strict workbooks name the same kinds under different URIs.
    return relationship.type.endsWith(kind) && relationship.type.chopped(kind.size()).endsWith(u'/');
}

// The relationships of a part, by id and in the order written: where a part names two of a
// kind that should be one (two shared string tables), the first counts, and once only.
class Relationships {
public:
    void add(const QString &id, Relationship relationship)
    {
        m_byId.insert(id, m_inOrder.size());
        m_inOrder.push_back(std::move(relationship));
    }
    qint64 size() const { return qint64(m_inOrder.size()); }
    const Relationship *find(const QString &id) const
    {
        const auto found = m_byId.constFind(id);
        return found == m_byId.cend() ? nullptr : &m_inOrder[*found];
    }
    const Relationship *first(QStringView kind) const
    {
        for (const Relationship &relationship : m_inOrder)
            if (hasType(relationship, kind))
                return &relationship;
        return nullptr;
    }

private:
    std::vector<Relationship> m_inOrder;
    QHash<QString, std::size_t> m_byId;
};

// The name in the archive of a relationship's target, relative to the folder of its source.
QString partName(const QString &sourceFolder, const QString &target)
{
    const QString decoded = QUrl::fromPercentEncoding(target.toUtf8());
    QStringList path = decoded.startsWith(u'/') ? QStringList() : sourceFolder.split(u'/', Qt::SkipEmptyParts);
    for (const QString &step : decoded.split(u'/', Qt::SkipEmptyParts)) {
        if (step == u"..") {
            if (path.isEmpty())
                fail(Failure::Damaged);
            path.removeLast();
        } else if (step != u".") {
            path.append(step);
        }
    }
    return path.join(u'/');
}

QString folderOf(const QString &part)
{
    return part.left(qMax<qsizetype>(part.lastIndexOf(u'/'), 0));
}

QString relationshipsOf(const QString &part)
{
    const QString folder = folderOf(part);
    const QString name = part.mid(folder.isEmpty() ? 0 : folder.size() + 1);
    return (folder.isEmpty() ? QString() : folder + u'/') + QStringLiteral("_rels/") + name + QStringLiteral(".rels");
}

// The relationships of a part by their ids; none when it has no relationships part.
Relationships readRelationships(Archive &archive, const QString &part)
{
    Relationships relationships;
    const QString name = relationshipsOf(part);
    if (!archive.contains(name))
        return relationships;
    archive.readXml(name, [&](QXmlStreamReader &xml) {
        while (readToElement(xml, u"Relationship")) {
            const QXmlStreamAttributes attributes = xml.attributes();
            if (attributes.value("TargetMode"_L1) == u"External")
                continue;
            if (relationships.size() >= archive.limits().maxCells)
                fail(Failure::TooLarge);
            relationships.add(attributes.value("Id"_L1).toString(),
                              {attributes.value("Type"_L1).toString(),
                               partName(folderOf(part), attributes.value("Target"_L1).toString())});
        }
    });
    return relationships;
}

QString workbookPart(Archive &archive)
{
    const Relationships relationships = readRelationships(archive, QString());
    const Relationship *document = relationships.first(u"officeDocument");
    return document ? document->target : QStringLiteral("xl/workbook.xml");
}

struct Sheet {
    QString name;
    QString relationshipId;
};

std::vector<Sheet> readSheets(Archive &archive, const QString &workbook)
{
    std::vector<Sheet> sheets;
    archive.readXml(workbook, [&](QXmlStreamReader &xml) {
        while (readToElement(xml, u"sheet")) {
            if (qint64(sheets.size()) >= archive.limits().maxCells)
                fail(Failure::TooLarge);
            Sheet sheet{xml.attributes().value("name"_L1).toString(), {}};
            // The id is r:id, in the relationships namespace of whichever flavour wrote it.
            for (const QXmlStreamAttribute &attribute : xml.attributes())
                if (attribute.name() == u"id" && !attribute.namespaceUri().isEmpty())
                    sheet.relationshipId = attribute.value().toString();
            sheets.push_back(std::move(sheet));
        }
    });
    return sheets;
}

// The sheet the caller asked for: the first worksheet, else by name (as the spreadsheet
// program compares them, ignoring case), else by its place among the tabs.
const Sheet *chosenSheet(const std::vector<Sheet> &sheets, const Relationships &relationships, const QString &wanted)
{
    const auto isWorksheet = [&](const Sheet &sheet) {
        const Relationship *found = relationships.find(sheet.relationshipId);
        return found && hasType(*found, u"worksheet");
    };
    const Sheet *chosen = nullptr;
    if (wanted.isEmpty()) {
        for (const Sheet &sheet : sheets)
            if (isWorksheet(sheet))
                return &sheet;
        return nullptr;
    }
    for (const Sheet &sheet : sheets)
        if (sheet.name.compare(wanted, Qt::CaseInsensitive) == 0 && (!chosen || sheet.name == wanted))
            chosen = &sheet;
    if (!chosen) {
        bool ok = false;
        const qint64 number = wanted.toLongLong(&ok);
        if (ok && number >= 1 && number <= qint64(sheets.size()))
            chosen = &sheets[std::size_t(number - 1)];
    }
    return chosen && isWorksheet(*chosen) ? chosen : nullptr;
}

std::vector<QString> readSharedStrings(Archive &archive, const QString &part)
{
    std::vector<QString> strings;
    archive.readXml(part, [&](QXmlStreamReader &xml) {
        // The count the part declares is not trusted: it could ask for any amount of memory.
        while (readToElement(xml, u"si")) {
            if (qint64(strings.size()) >= archive.limits().maxCells)
                fail(Failure::TooLarge);
            strings.push_back(readStringItem(xml));
        }
    });
    return strings;
}

// Builds the table from a sheet's rows, keeping each cell at its place in the spreadsheet.
class SheetReader {
public:
    SheetReader(const std::vector<QString> &sharedStrings, const WorkbookLimits &limits, Table &table)
        : m_sharedStrings(sharedStrings),
          m_limits(limits),
          m_table(table)
    {
    }

    void read(QXmlStreamReader &xml)
    {
        while (readToElement(xml, u"sheetData")) {
            while (xml.readNextStartElement()) {
                if (xml.name() == u"row")
                    readRow(xml);
                else
                    xml.skipCurrentElement();
            }
        }
    }

private:
    void readRow(QXmlStreamReader &xml)
    {
        const QStringView number = xml.attributes().value("r"_L1);
        if (number.isEmpty()) {
            ++m_row;
        } else if (const auto row = boundedNumber(number, maxRow)) {
            m_row = *row;
        } else {
            fail(Failure::Damaged);
        }
        if (m_row > maxRow)
            fail(Failure::Damaged);
        qint64 column = 0;
        while (xml.readNextStartElement()) {
            if (xml.name() != u"c") {
                xml.skipCurrentElement();
                continue;
            }
            const QStringView reference = xml.attributes().value("r"_L1);
            column = reference.isEmpty() ? column + 1 : columnOf(reference);
            if (column > maxColumn)
                fail(Failure::Damaged);
            store(column, readCell(xml));
        }
    }

    QString readCell(QXmlStreamReader &xml)
    {
        const QString type = xml.attributes().value("t"_L1).toString();
        QString value;
        bool inlineString = false;
        while (xml.readNextStartElement()) {
            if (xml.name() == u"v") {
                value = xml.readElementText();
            } else if (xml.name() == u"is") {
                value = readStringItem(xml);
                inlineString = true;
            } else {
                xml.skipCurrentElement();
            }
        }
        if (inlineString)
            return value;
        if (type == u"s")
            return sharedString(value);
        if (type == u"b")
            return value.trimmed() == u"1" ? QStringLiteral("TRUE")
                : value.trimmed() == u"0"  ? QStringLiteral("FALSE")
                                           : normalisedCell(value);
        if (type.isEmpty() || type == u"n")
            return numberText(value);
        // Formula text results (str), errors such as #N/A (e), ISO dates (d).
        return normalisedCell(unescapedText(value));
    }

    QString sharedString(const QString &index) const
    {
        bool ok = false;
        const qulonglong i = index.trimmed().toULongLong(&ok);
        if (!ok || i >= m_sharedStrings.size())
            fail(Failure::Damaged);
        return m_sharedStrings[i];
    }

    // Only cells with text take room: rows and cells before them are filled in with empty
    // ones, and empty cells after the last one of a row are left out.
    void store(qint64 column, const QString &value)
    {
        if (value.isEmpty())
            return;
        if (qint64(m_table.rows.size()) < m_row) {
            spend(m_row - qint64(m_table.rows.size()));
            m_table.rows.resize(std::size_t(m_row));
        }
        QStringList &cells = m_table.rows[std::size_t(m_row - 1)];
        if (cells.size() < column) {
            spend(column - cells.size());
            cells.resize(column);
        }
        cells[column - 1] = value;
    }

    void spend(qint64 cells)
    {
        m_cells += cells;
        if (m_cells > m_limits.maxCells)
            fail(Failure::TooLarge);
    }

    const std::vector<QString> &m_sharedStrings;
    const WorkbookLimits &m_limits;
    Table &m_table;
    qint64 m_row = 0;
    qint64 m_cells = 0;
};

// An encrypted workbook is not a zip: the spreadsheet program wraps it in a compound file
// (the same container as the old binary formats) with a stream named EncryptedPackage.
bool isEncryptedWorkbook(QFile &file)
{
    static const QByteArray compoundFileSignature = QByteArray::fromHex("d0cf11e0a1b11ae1");
    if (file.peek(compoundFileSignature.size()) != compoundFileSignature)
        return false;
    const QString stream = QStringLiteral("EncryptedPackage");
    const QByteArray streamName(reinterpret_cast<const char *>(stream.utf16()), stream.size() * 2);
    constexpr qint64 chunk = qint64(1) << 20;
    QByteArray tail;
    while (!file.atEnd()) {
        const QByteArray bytes = tail + file.read(chunk);
        if (bytes.size() == tail.size())
            break;
        if (bytes.contains(streamName))
            return true;
        tail = bytes.right(streamName.size() - 1);
    }
    return false;
}

void readInto(QFile &file, const QString &wanted, const WorkbookLimits &limits, Table &table)
{
    if (!file.open(QIODevice::ReadOnly))
        fail(Failure::OpenFailed);
    if (isEncryptedWorkbook(file))
        fail(Failure::Password);
    Archive archive(file.fileName(), file.size(), limits);
    const QString workbook = workbookPart(archive);
    const Relationships relationships = readRelationships(archive, workbook);
    const std::vector<Sheet> sheets = readSheets(archive, workbook);
    const Sheet *sheet = chosenSheet(sheets, relationships, wanted);
    if (!sheet)
        fail(wanted.isEmpty() ? Failure::Damaged : Failure::NoSheet);
    std::vector<QString> sharedStrings;
    const Relationship *strings = relationships.first(u"sharedStrings");
    if (strings && archive.contains(strings->target))
        sharedStrings = readSharedStrings(archive, strings->target);
    SheetReader reader(sharedStrings, limits, table);
    archive.readXml(relationships.find(sheet->relationshipId)->target,
                    [&](QXmlStreamReader &xml) { reader.read(xml); });
}

} // namespace

bool readWorkbook(const QString &path, const QString &sheet, Table &table, QString &error, const WorkbookLimits &limits)
{
    table.rows.clear();
    Table read;
    QFile file(path);
    try {
        readInto(file, sheet, limits, read);
    } catch (const WorkbookFailure &failure) {
        switch (failure.failure) {
        case Failure::OpenFailed: error = QString::fromUtf16(messages::inputOpenFailed); break;
        case Failure::Damaged: error = QString::fromUtf16(damagedText).arg(path); break;
        case Failure::Password: error = QString::fromUtf16(passwordText).arg(path); break;
        case Failure::TooLarge: error = QString::fromUtf16(tooLargeText).arg(path); break;
        case Failure::NoSheet: error = QString::fromUtf16(noSheetText).arg(path, sheet); break;
        }
        return false;
    } catch (const std::bad_alloc &) {
        error = QString::fromUtf16(tooLargeText).arg(path);
        return false;
    }
    table = std::move(read);
    return true;
}

bool readWorkbook(const QString &path, const QString &sheet, Table &table, QString &error)
{
    return readWorkbook(path, sheet, table, error, WorkbookLimits());
}

} // namespace sortana
