#include "analysis/LeafOrder.h"
#include "document/Document.h"
#include "formats/Archive.h"
#include "study/ClusterTree.h"
#include "support/DocumentEdits.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

using namespace sortana;
using namespace sortana::test;
using namespace Qt::StringLiterals;

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text).replace(',', ' '));
}

// Two items A and B joined at 1.0: the smallest study a file can hold.
void fillTwoItemStudy(Document &document)
{
    editStudy(document, [&](Study &s) { s.participantCount = 1; });
    setSetting(document, &Settings::numberOfGroups, 1);
    editStudy(document, [&](Study &s) { s.itemCount = 2; });
    editStudy(document, [&](Study &s) { s.itemNames = QStringList(QStringList{u"A"_s, u"B"_s}); });
    editStudy(document, [&](Study &s) { s.itemAverageFit = std::vector<double>(2, 0.0); });
    auto tree = std::make_shared<ClusterTree>();
    tree->setRoot(&tree->add({nullptr, nullptr, 1.0, 0, 1}));
    editStudy(document, [&](Study &s) { s.clusterTree = tree; });
    editStudy(document, [&](Study &s) { s.summary = StudySummary(); });
    editStudy(document, [](Study &study) {
        StudySummary &s = study.summary;
        s.fileName = u"x.txt"_s;
        s.fileType = 1;
        s.useExpert = false;
        s.itemCount = 2;
        s.lineCount = 6;
        s.groupCount = 1;
        s.participantCount = 1;
    });
}

QByteArray stored(const Document &document)
{
    ArchiveWriter archive;
    document.serialize(archive);
    return archive.bytes();
}

bool load(Document &document, const QByteArray &bytes)
{
    ArchiveReader archive(bytes);
    return document.serialize(archive);
}

const QByteArray twoItemFile = hex("FF FE FF 08 4B 00 4C 00 55 00 53 00 2D 00 31 00 2D 00 31 00"
                                   "01 00 00 00"
                                   "00 00 00 00"
                                   "01 00 00 00"
                                   "02 00 00 00"
                                   "02 00, FF FE FF 01 41 00, FF FE FF 01 42 00"
                                   "00 00 00 00 00 00 00 00, 00 00 00 00 00 00 00 00"
                                   "00 00 00 00 00 00 F0 3F, 00 00 00 00, 01 00 00 00, 00, 00"
                                   "FF FE FF 05 41 00 72 00 69 00 61 00 6C 00"
                                   "0C 00 00 00"
                                   "01 00 00 00"
                                   "FF FF FF 00, FF FF FF 00"
                                   "98 3A 00 00, 10 27 00 00"
                                   "FF FE FF 05 78 00 2E 00 74 00 78 00 74 00"
                                   "01 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"
                                   "01 00 00 00 02 00 00 00 06 00 00 00 01 00 00 00"
                                   "01 00 00 00");

TEST(DocumentFormat, TwoItemStudyByteForByte)
{
    ASSERT_EQ(twoItemFile.size(), 180);
    Document document;
    fillTwoItemStudy(document);
    EXPECT_EQ(stored(document).toHex(' '), twoItemFile.toHex(' '));
}

TEST(DocumentFormat, EveryStoredMemberComesBack)
{
    Document original;
    fillTwoItemStudy(original);
    // Three items with a node on each side of the root, odd settings, long and odd names.
    auto tree = std::make_shared<ClusterTree>();
    tree->setRoot(&tree->add({&tree->add({nullptr, nullptr, 2.5, 0, 2}), nullptr, 0.125, 2, 1}));
    editStudy(original, [&](Study &s) { s.clusterTree = tree; });
    editStudy(original, [&](Study &s) { s.itemCount = 3; });
    editStudy(original, [&](Study &s) {
        s.itemNames = QStringList(QStringList{QString(300, u'é'), u""_s, QString(70000, u'x') + u"🍎\"\t"_s});
    });
    editStudy(original, [&](Study &s) {
        s.itemAverageFit = std::vector<double>(std::vector<double>{0.1, -0.0, 1e300});
    });
    editStudy(original, [&](Study &s) { s.participantCount = 7; });
    editStudy(original, [&](Study &s) { s.totalGroups = 19; });
    setSetting(original, &Settings::fontName, u"Liberation Serif"_s);
    setSetting(original, &Settings::fontSize, -3);
    setSetting(original, &Settings::numberOfGroups, 4);
    setSetting(original, &Settings::colour1, 0x00123456);
    setSetting(original, &Settings::colour2, 0x00FFEEDD);
    original.drawingSize = {5000, 123456};
    const StudySummary s{u"/studies/Zoë's sort.txt"_s, 1, true, true, true, true, true, 10, 3, 99, 19, 7};
    editStudy(original, [&](Study &study) { study.summary = s; });

    const QByteArray bytes = stored(original);
    Document copy;
    ASSERT_TRUE(load(copy, bytes));
    EXPECT_EQ(copy.study().itemNames, original.study().itemNames);
    ASSERT_EQ(copy.study().itemAverageFit.size(), 3u);
    for (size_t k = 0; k < 3; ++k)
        EXPECT_EQ(std::memcmp(&(copy.study().itemAverageFit)[k], &(original.study().itemAverageFit)[k], sizeof(double)),
                  0);
    EXPECT_EQ(LeafOrder(copy.clusterRoot()), (std::vector<int>{0, 2, 1}));
    EXPECT_EQ(copy.clusterRoot()->similarity, 0.125);
    EXPECT_EQ(copy.clusterRoot()->left->similarity, 2.5);
    EXPECT_EQ(copy.clusterRoot()->leftItem, 2);
    EXPECT_EQ(copy.study().participantCount, 7);
    EXPECT_EQ(copy.study().totalGroups, 0);
    EXPECT_EQ(copy.study().itemCount, 3);
    EXPECT_EQ(copy.settings().fontName, original.settings().fontName);
    EXPECT_EQ(copy.settings().fontSize, -3);
    EXPECT_EQ(copy.settings().numberOfGroups, 4);
    EXPECT_EQ(copy.settings().colour1, original.settings().colour1);
    EXPECT_EQ(copy.settings().colour2, original.settings().colour2);
    EXPECT_EQ(copy.drawingSize, original.drawingSize);
    const StudySummary &t = copy.study().summary;
    EXPECT_EQ(t.fileName, s.fileName);
    EXPECT_EQ(std::tie(t.fileType, t.hasFitData, t.hasSubGroups, t.useExpert, t.useSubGroups, t.useFit,
                       t.copiesPerParticipant, t.itemCount, t.lineCount, t.groupCount, t.participantCount),
              std::tie(s.fileType, s.hasFitData, s.hasSubGroups, s.useExpert, s.useSubGroups, s.useFit,
                       s.copiesPerParticipant, s.itemCount, s.lineCount, s.groupCount, s.participantCount));
    // Written again, the copy gives the same bytes.
    EXPECT_EQ(stored(copy), bytes);
}

TEST(DocumentFormat, LengthAndCountForms)
{
    const std::pair<qsizetype, const char *> lengths[] = {
        {254, "FF FE FF FE"},
        {255, "FF FE FF FF FF 00"},
        {65533, "FF FE FF FF FD FF"},
        {65534, "FF FE FF FF FF FF FE FF 00 00"},
    };
    for (const auto &[length, prefix] : lengths) {
        ArchiveWriter writer;
        writer.writeString(QString(length, u'a'));
        EXPECT_TRUE(writer.bytes().startsWith(hex(prefix))) << length;
        ArchiveReader reader(writer.bytes());
        EXPECT_EQ(reader.readString().size(), length);
        EXPECT_TRUE(reader.ok());
        EXPECT_EQ(reader.remaining(), 0);
    }
    for (const auto &[count, bytes] : {std::pair<quint32, const char *>{65534, "FE FF"},
                                       std::pair<quint32, const char *>{65535, "FF FF FF FF 00 00"}}) {
        ArchiveWriter writer;
        writer.writeCount(count);
        EXPECT_EQ(writer.bytes(), hex(bytes));
        ArchiveReader reader(writer.bytes());
        EXPECT_EQ(reader.readCount(), count);
    }
}

TEST(DocumentFormat, UntaggedStringsAreEightBitText)
{
    const QByteArray bytes = hex("04 43 61 66 E9"
                                 "05 43 61 66 C3 A9"
                                 "FF 03 00 61 62 63");
    ArchiveReader reader(bytes);
    EXPECT_EQ(reader.readString(), u"Café"_s);
    EXPECT_EQ(reader.readString(), u"Café"_s);
    EXPECT_EQ(reader.readString(), u"abc"_s);
    EXPECT_TRUE(reader.ok());
}

TEST(DocumentFormat, FirstVersionKeepsTheSummaryDefaultsAndTheSecondGroupCountWins)
{
    QByteArray bytes = twoItemFile;
    bytes.replace(0, 20, hex("FF FE FF 08 4B 00 4C 00 55 00 53 00 2D 00 31 00 2D 00 30 00"));
    bytes.truncate(180 - 14 - 40 - 4); // without fields 15 to 17
    bytes.replace(28, 4, hex("09 00 00 00")); // field 4 differs from field 11
    Document document;
    ASSERT_TRUE(load(document, bytes));
    EXPECT_EQ(document.settings().numberOfGroups, 1);
    EXPECT_TRUE(document.study().summary.fileName.isEmpty());
    EXPECT_EQ(document.study().summary.copiesPerParticipant, 1);
    EXPECT_FALSE(document.study().summary.useSubGroups);
    EXPECT_TRUE(document.study().summary.useExpert); // the construction default
    EXPECT_EQ(document.study().itemNames.size(), 2);
}

} // namespace
