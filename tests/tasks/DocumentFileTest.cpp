#include "tasks/DocumentFile.h"
#include "document/Document.h"
#include "formats/Archive.h"
#include "study/ClusterTree.h"
#include "support/DocumentEdits.h"
#include "support/ScriptedPlatform.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace sortana;
using namespace sortana::test;
using namespace Qt::StringLiterals;

namespace {

class DocumentFile : public ::testing::Test {
protected:
    QString path(const QString &name) const { return dir.filePath(name); }
    // A saved three-item study: root {left {0, 2}, right 1}.
    QByteArray validFile()
    {
        Document document;
        auto tree = std::make_shared<ClusterTree>();
        tree->setRoot(&tree->add({&tree->add({nullptr, nullptr, 3.0, 0, 2}), nullptr, 0.0, 0, 1}));
        editStudy(document, [&](Study &s) { s.clusterTree = tree; });
        editStudy(document, [&](Study &s) { s.itemNames = QStringList(QStringList{u"A"_s, u"B"_s, u"C"_s}); });
        editStudy(document, [&](Study &s) { s.itemAverageFit = std::vector<double>(3, 1.0); });
        editStudy(document, [&](Study &s) { s.itemCount = 3; });
        editStudy(document, [&](Study &s) { s.participantCount = 2; });
        editStudy(document, [&](Study &s) { s.summary = StudySummary(); });
        ArchiveWriter archive;
        document.serialize(archive);
        return archive.bytes();
    }
    QStringList openTexts(const QByteArray &bytes, bool expectOpened = false)
    {
        writeBytes(path(u"doc.klus"_s), bytes);
        Document document;
        ScriptedPlatform platform;
        EXPECT_EQ(openDocumentFile(document, path(u"doc.klus"_s), platform), expectOpened);
        if (!expectOpened) {
            EXPECT_FALSE(document.hasStudy());
        }
        return platform.texts();
    }
    QTemporaryDir dir;
};

const QStringList unexpectedFormat = {u"Unexpected file format."_s};

TEST_F(DocumentFile, EveryTruncationIsRefused)
{
    const QByteArray bytes = validFile();
    EXPECT_TRUE(openTexts(bytes, true).isEmpty());
    for (qsizetype length = 1; length < bytes.size(); ++length)
        ASSERT_EQ(openTexts(bytes.left(length)), unexpectedFormat) << length;
}

// Offsets in the three-item file: N at 32, the count at 36, the first node record at 80.
TEST_F(DocumentFile, DamagedFieldsAreRefused)
{
    const QByteArray valid = validFile();
    const struct {
        const char *what;
        qsizetype offset;
        QByteArray bytes;
    } cases[] = {
        {"negative N", 32, QByteArray::fromHex("FFFFFFFF")},
        {"huge N", 32, QByteArray::fromHex("FFFFFF7F")},
        {"more items than an import can give", 32, QByteArray::fromHex("00800000")},
        {"one item", 32, QByteArray::fromHex("01000000")},
        {"name count differs from N", 36, QByteArray::fromHex("0200")},
        {"huge name count", 36, QByteArray::fromHex("FFFFFFFFFF7F")},
        {"left item outside the names", 80 + 8, QByteArray::fromHex("03000000")},
        {"negative right item", 80 + 12, QByteArray::fromHex("FFFFFFFF")},
        {"an item twice", 80 + 18 + 12, QByteArray::fromHex("01000000")},
        {"a child record the file lacks", 80 + 17, QByteArray::fromHex("01")},
        {"a name longer than the file", 38 + 3, QByteArray::fromHex("FF FF FF FF FF FF 7F")},
        // The summary's participant count, the last field.
        {"fewer than no participants", valid.size() - 4, QByteArray::fromHex("00000080")},
    };
    ASSERT_EQ(valid.mid(80 + 18 + 12, 4), QByteArray::fromHex("02000000"));
    for (const auto &c : cases) {
        QByteArray damaged = valid;
        damaged.replace(c.offset, c.bytes.size(), c.bytes);
        EXPECT_EQ(openTexts(damaged), unexpectedFormat) << c.what;
    }
}

// A count that matches N but that the rest of the file cannot hold is refused before any
// memory is sized by it.
TEST_F(DocumentFile, CountsBeyondTheFileAreRefusedAtOnce)
{
    QByteArray bytes = validFile().left(32);
    bytes += QByteArray::fromHex("307500007530"); // N = count = 30000
    bytes += QByteArray(30000 * 9, '\0'); // room for the names and fits, not the tree
    EXPECT_EQ(openTexts(bytes), unexpectedFormat);
}

TEST_F(DocumentFile, DamagedFixturesAreRefused)
{
    const QDir fixtures(QStringLiteral(SORTANA_DAMAGED_DIR));
    const QStringList files = fixtures.entryList({u"*.klus"_s}, QDir::Files);
    ASSERT_FALSE(files.isEmpty());
    for (const QString &file : files)
        EXPECT_EQ(openTexts(readBytes(fixtures.filePath(file))), unexpectedFormat) << file.toStdString();
}

// Inputs the fuzzer once found troublesome, named by their hash: whatever each loads as, the
// load runs clean (the sanitized build checks every one), and what loads saves and loads back.
TEST_F(DocumentFile, FuzzFindingsLoadCleanly)
{
    const QDir fixtures(QStringLiteral(SORTANA_DAMAGED_DIR));
    const QStringList files = fixtures.entryList(QDir::Files).filter(QRegularExpression(u"^[0-9a-f]{40}$"_s));
    ASSERT_FALSE(files.isEmpty());
    for (const QString &file : files) {
        Document document;
        ScriptedPlatform platform;
        if (!openDocumentFile(document, fixtures.filePath(file), platform)) {
            EXPECT_EQ(platform.texts(), unexpectedFormat) << file.toStdString();
            continue;
        }
        ArchiveWriter saved;
        document.serialize(saved);
        ArchiveReader reader(saved.bytes());
        Document again;
        EXPECT_TRUE(again.serialize(reader)) << file.toStdString();
    }
}

TEST_F(DocumentFile, EmptyFileIsAnEmptyDocumentAndMissingFilesFail)
{
    EXPECT_TRUE(openTexts({}, true).isEmpty());

    Document document;
    ScriptedPlatform platform;
    EXPECT_FALSE(openDocumentFile(document, path(u"missing.klus"_s), platform));
    // A folder, a device that reads for ever, a FIFO that blocks: none is a document.
    const QString fifo = path(u"pipe.klus"_s);
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString &irregular : {dir.path(), u"/dev/zero"_s, fifo})
        EXPECT_FALSE(openDocumentFile(document, irregular, platform));
    EXPECT_EQ(
        platform.texts(),
        (QStringList{u"Failed to open document."_s, u"The input file "_s + dir.path() + u" is not a regular file"_s,
                     u"The input file /dev/zero is not a regular file"_s,
                     u"The input file "_s + fifo + u" is not a regular file"_s}));
}

TEST_F(DocumentFile, SavingRoundTripsAndAFailedSaveKeepsThePreviousFile)
{
    writeBytes(path(u"doc.klus"_s), validFile());
    Document document;
    ScriptedPlatform platform;
    ASSERT_TRUE(openDocumentFile(document, path(u"doc.klus"_s), platform));
    EXPECT_FALSE(document.isModified());
    EXPECT_EQ(document.pathName, path(u"doc.klus"_s));

    const QString target = path(u"copy.klus"_s);
    document.setModified();
    ASSERT_TRUE(saveDocumentFile(document, target, platform));
    EXPECT_EQ(readBytes(target), validFile());
    EXPECT_FALSE(document.isModified());

    // A full disk, whether the document fits Qt's write buffer or not: the old file stays.
    const std::pair<qsizetype, rlim_t> failures[] = {{1, 64}, {100'000, 4096}};
    for (const auto &[nameLength, limit] : failures) {
        editStudy(document, [&](Study &s) { s.itemNames.first() = QString(nameLength, u'n'); });
        platform.clear();
        bool saved = true;
        {
            const FileSizeLimit full(limit);
            saved = saveDocumentFile(document, target, platform);
        }
        EXPECT_FALSE(saved) << nameLength;
        EXPECT_EQ(platform.texts(), QStringList{u"Failed to save document."_s});
        EXPECT_EQ(readBytes(target), validFile());
        EXPECT_EQ(filesIn(dir.path()), (QStringList{u"copy.klus"_s, u"doc.klus"_s}));
    }

    // A FIFO would block the save, or swallow the document.
    const QString fifo = path(u"pipe.klus"_s);
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    platform.clear();
    EXPECT_FALSE(saveDocumentFile(document, fifo, platform));
    EXPECT_EQ(platform.texts(), QStringList{u"The output file "_s + fifo + u" is not a regular file"_s});
    EXPECT_TRUE(QFileInfo(fifo).exists() && !QFileInfo(fifo).isFile());

    Document empty;
    EXPECT_FALSE(saveDocumentFile(empty, target, platform));
    EXPECT_EQ(readBytes(target), validFile());
}

TEST_F(DocumentFile, OpeningRoutesByExtension)
{
    writeBytes(path(u"study.KLUS"_s), validFile());
    writeBytes(path(u"study.txt"_s), "IA\n");
    ScriptedPlatform platform;
    const struct {
        QString path;
        OpenOutcome outcome;
    } cases[] = {
        {path(u"study.KLUS"_s), OpenOutcome::Loaded},
        {path(u"study.txt"_s), OpenOutcome::ImportRequested},
        {path(u"missing.klus"_s), OpenOutcome::ImportRequested},
    };
    for (const auto &c : cases) {
        Document document;
        EXPECT_EQ(openDocument(document, c.path, platform), c.outcome) << c.path.toStdString();
        EXPECT_EQ(document.hasStudy(), c.outcome == OpenOutcome::Loaded);
    }
    EXPECT_TRUE(platform.messages().isEmpty());
}

} // namespace
