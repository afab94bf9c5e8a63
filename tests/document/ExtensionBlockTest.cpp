// The program's block after the document format's fields: the similarity matrix kept with the
// study, and the view settings. It round-trips, a file without it loads as before, and every
// truncation or corruption of it is refused.
#include "analysis/NodeRegistry.h"
#include "document/Archive.h"
#include "document/CSortanaMdiDoc.h"
#include "document/ImportRun.h"
#include "support/ImportedDocument.h"
#include "support/ScriptedPlatform.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>
#include <QtEndian>

#include <functional>
#include <optional>

#include <gtest/gtest.h>

using namespace sortana;
using namespace sortana::test;
using namespace Qt::StringLiterals;

namespace {

// A document as an import leaves it, with its matrix: three items, three participants, the
// first an expert, two copies each.
class ExtensionBlock : public ::testing::Test {
protected:
    ExtensionBlock()
    {
        const QString input = dir.filePath(u"study.txt"_s);
        writeBytes(input, "IA\nIB\nIC\nP1\nG\nI1\nI2\nP2\nG\nI1\nI2\nI1\nI3\nP3\nG\nI2\nI3\nG\nI1\n");
        ImportRun run(platform);
        EXPECT_TRUE(run.chooseInput(input));
        run.summary().useExpert = true;
        run.summary().copiesPerParticipant = 2;
        EXPECT_TRUE(run.checkOptions());
        EXPECT_TRUE(run.finish());
        EXPECT_TRUE(document.CompleteImport(run));
        ArchiveWriter writer;
        document.Serialize(writer);
        bytes = writer.bytes();
        // The same document as a program without the block writes it.
        ArchiveWriter fieldsOnly;
        std::unique_ptr<SimilarityData> kept = std::move(document.similarity);
        std::unique_ptr<StudySorts> keptSorts = std::move(document.sorts);
        document.Serialize(fieldsOnly);
        document.similarity = std::move(kept);
        document.sorts = std::move(keptSorts);
        fields = fieldsOnly.bytes();
    }
    bool load(const QByteArray &file, CSortanaMdiDoc &into)
    {
        ArchiveReader reader(file);
        return into.Serialize(reader);
    }
    // The fields, then a block of the given sections made by hand.
    QByteArray withBlock(const std::function<void(ArchiveWriter &)> &sections, quint32 version = 1,
                         const QString &name = u"SORTANA-EXTENSIONS"_s) const
    {
        ArchiveWriter block;
        block.writeString(name);
        block.writeUInt32(version);
        sections(block);
        return fields + block.bytes();
    }
    static void section(ArchiveWriter &block, quint32 tag, const QByteArray &content)
    {
        block.writeUInt32(tag);
        block.writeUInt32(quint32(content.size()));
        block.writeBytes(content);
    }
    // A similarity section of n items with the cells given (row by row) and the packing given.
    static QByteArray similarity(qint32 n, qint32 counted, qint32 copies, std::vector<qint32> cells,
                                 const std::function<QByteArray(const QByteArray &)> &pack = {})
    {
        QByteArray raw(qsizetype(cells.size()) * 4, Qt::Uninitialized);
        qToLittleEndian<qint32>(cells.data(), qsizetype(cells.size()), raw.data());
        ArchiveWriter content;
        content.writeInt32(n);
        content.writeInt32(counted);
        content.writeInt32(copies);
        return content.bytes() + packedWithSize(pack ? pack(raw) : qCompress(raw));
    }
    static QByteArray packedWithSize(const QByteArray &packed)
    {
        ArchiveWriter section;
        section.writeUInt32(quint32(packed.size()));
        section.writeBytes(packed);
        return section.bytes();
    }

    // A section of one 32-bit number: a setting's value (the scale, the group names), or the
    // count of sections.
    static QByteArray word(qint32 value)
    {
        ArchiveWriter content;
        content.writeInt32(value);
        return content.bytes();
    }

    // A sorts section: one participant (counted as given) with one group of the cards given,
    // each card as item, fit, sub-group; `extra` follows the packed bytes' content.
    static QByteArray sorts(qint32 counted, std::vector<qint32> cards, const QByteArray &extra = {},
                            std::optional<quint32> cardCount = std::nullopt)
    {
        ArchiveWriter content;
        content.writeUInt32(1);
        content.writeString(u"P1"_s);
        content.writeInt32(counted);
        content.writeUInt32(1);
        content.writeString(u"Fruit"_s);
        content.writeInt32(0);
        content.writeUInt32(cardCount.value_or(quint32(cards.size() / 3)));
        for (const qint32 value : cards)
            content.writeInt32(value);
        content.writeBytes(extra);
        return packedWithSize(qCompress(content.bytes()));
    }
    static QByteArray standards(const std::vector<std::pair<QString, QString>> &entries)
    {
        ArchiveWriter content;
        content.writeUInt32(quint32(entries.size()));
        for (const auto &[original, standard] : entries) {
            content.writeString(original);
            content.writeString(standard);
        }
        return content.bytes();
    }

    QTemporaryDir dir;
    ScriptedPlatform platform;
    CSortanaMdiDoc document;
    QByteArray bytes;
    QByteArray fields;
};

TEST_F(ExtensionBlock, TheMatrixRoundTripsAfterTheFormatsFields)
{
    ASSERT_TRUE(bytes.startsWith(fields));
    ASSERT_GT(bytes.size(), fields.size());
    CSortanaMdiDoc loaded;
    ASSERT_TRUE(load(bytes, loaded));
    ASSERT_NE(loaded.similarity, nullptr);
    const SimilarityData &kept = *loaded.similarity;
    EXPECT_EQ(kept.countedParticipants, 2);
    EXPECT_EQ(kept.copies, 2);
    for (int a = 0; a < 3; ++a) {
        for (int b = 0; b < 3; ++b) {
            EXPECT_EQ(kept.count(a, b), document.similarity->count(a, b));
            EXPECT_EQ(kept.weightedScore(a, b), document.similarity->weightedScore(a, b));
        }
    }
    // A and B: each copy of A with B in the second participant's group, out of 2 participants
    // x 2 copies x 2 copies.
    EXPECT_EQ(kept.share(0, 1), 2 / 8.0);
    ArchiveWriter again;
    loaded.Serialize(again);
    EXPECT_EQ(again.bytes(), bytes);

    // Without the block the document loads as before, without its matrix.
    CSortanaMdiDoc older;
    ASSERT_TRUE(load(fields, older));
    EXPECT_EQ(older.similarity, nullptr);
}

// The scale is on unless a document says otherwise, with or without its matrix; a document
// that keeps neither a matrix nor a setting of its own is the format's fields alone.
TEST_F(ExtensionBlock, TheSimilarityScaleSettingRoundTripsWithAndWithoutTheMatrix)
{
    CSortanaMdiDoc older;
    ASSERT_TRUE(load(fields, older));
    EXPECT_TRUE(older.showSimilarityScale);
    CSortanaMdiDoc withMatrix;
    ASSERT_TRUE(load(bytes, withMatrix));
    EXPECT_TRUE(withMatrix.showSimilarityScale);

    for (const bool keepMatrix : {true, false}) {
        if (!keepMatrix) {
            document.similarity.reset();
            document.sorts.reset();
        }
        for (const bool shown : {true, false}) {
            document.showSimilarityScale = shown;
            ArchiveWriter writer;
            document.Serialize(writer);
            const QByteArray saved = writer.bytes();
            EXPECT_TRUE(saved.startsWith(fields));
            // Only a matrix or a scale turned off needs the block.
            EXPECT_EQ(saved == fields, !keepMatrix && shown) << keepMatrix << shown;
            CSortanaMdiDoc loaded;
            ASSERT_TRUE(load(saved, loaded)) << keepMatrix << shown;
            EXPECT_EQ(loaded.showSimilarityScale, shown) << keepMatrix << shown;
            EXPECT_EQ(loaded.similarity != nullptr, keepMatrix) << keepMatrix << shown;
            ArchiveWriter again;
            loaded.Serialize(again);
            EXPECT_EQ(again.bytes(), saved) << keepMatrix << shown;
            // Every cut of a block that holds the view alone is a damaged file.
            for (qsizetype length = fields.size() + 1; !keepMatrix && length < saved.size(); ++length)
                EXPECT_FALSE(load(saved.left(length), loaded)) << shown << length;
        }
    }
}

// A card placed twice in one group is warned of and counted twice: more than one pair per
// participant, and still a study the user can save and open again.
TEST(ExtensionBlockImport, AStudyWithACardPlacedTwiceInAGroupLoadsAgain)
{
    CSortanaMdiDoc imported;
    ASSERT_NO_FATAL_FAILURE(importDocument("IA\nIB\nIC\nP1\nG\nI1\nI2\nI1\nG\nI3\nP2\nG\nI1\nI2\nI3\n", imported));
    ASSERT_GT(imported.similarity->count(0, 1), imported.similarity->maxCount());
    ArchiveWriter writer;
    imported.Serialize(writer);
    ArchiveReader reader(writer.bytes());
    CSortanaMdiDoc loaded;
    ASSERT_TRUE(loaded.Serialize(reader));
    EXPECT_EQ(loaded.similarity->count(0, 1), imported.similarity->count(0, 1));
    NodeRegistry::instance().clear();
}

// The participants' sorts, the standardisation and the group names setting come back as they
// were saved; a document without them has no sorts, no standards and the names off.
TEST_F(ExtensionBlock, TheSortsStandardisationAndGroupNamesRoundTrip)
{
    ASSERT_NE(document.sorts, nullptr);
    document.standardisation.merge({u"-----"_s, u"Other"_s}, u"Misc"_s);
    document.showGroupNames = true;
    ArchiveWriter writer;
    document.Serialize(writer);
    CSortanaMdiDoc loaded;
    ASSERT_TRUE(load(writer.bytes(), loaded));
    ASSERT_NE(loaded.sorts, nullptr);
    EXPECT_EQ(*loaded.sorts, *document.sorts);
    ASSERT_EQ(loaded.sorts->participants.size(), 3u);
    EXPECT_FALSE(loaded.sorts->participants[0].counted);   // the expert
    EXPECT_EQ(loaded.standardisation, document.standardisation);
    EXPECT_TRUE(loaded.showGroupNames);
    ArchiveWriter again;
    loaded.Serialize(again);
    EXPECT_EQ(again.bytes(), writer.bytes());

    CSortanaMdiDoc older;
    ASSERT_TRUE(load(fields, older));
    EXPECT_EQ(older.sorts, nullptr);
    EXPECT_TRUE(older.standardisation.isEmpty());
    EXPECT_FALSE(older.showGroupNames);
}

TEST_F(ExtensionBlock, EveryTruncationOfTheBlockIsRefused)
{
    document.standardisation.merge({u"Other"_s}, u"Misc"_s);
    document.showGroupNames = true;
    ArchiveWriter writer;
    document.Serialize(writer);
    for (const QByteArray &file : {bytes, writer.bytes()}) {
        for (qsizetype length = fields.size() + 1; length < file.size(); ++length) {
            CSortanaMdiDoc loaded;
            ASSERT_FALSE(load(file.left(length), loaded)) << length;
            EXPECT_FALSE(loaded.hasStudy());
        }
    }
}

TEST_F(ExtensionBlock, DamagedBlocksAreRefusedAndLaterSectionsSkipped)
{
    const std::vector<qint32> good = {0, 2, 1, 5, 0, 1, 2, 3, 0};
    const auto only = [](const QByteArray &content) {
        return [content](ArchiveWriter &block) { section(block, 1, content); };
    };
    const struct {
        const char *what;
        QByteArray file;
        bool loads;
    } cases[] = {
        {"made by hand", withBlock(only(similarity(3, 2, 1, good))), true},
        {"a later section", withBlock([&](ArchiveWriter &block) {
             section(block, 77, "whatever a later program keeps");
             section(block, 1, similarity(3, 2, 1, good));
         }), true},
        {"no sections, as a cut after the header leaves it", withBlock([](ArchiveWriter &) {}), false},
        {"another name", withBlock(only(similarity(3, 2, 1, good)), 1, u"SORTANA-EXTENSIONZ"_s), false},
        {"another version", withBlock(only(similarity(3, 2, 1, good)), 2), false},
        {"bytes that are no block", fields + QByteArray("garbage after the fields"), false},
        {"a section longer than the file", withBlock([&](ArchiveWriter &block) {
             block.writeUInt32(1);
             block.writeUInt32(1u << 31);
         }), false},
        {"the matrix twice", withBlock([&](ArchiveWriter &block) {
             section(block, 1, similarity(3, 2, 1, good));
             section(block, 1, similarity(3, 2, 1, good));
         }), false},
        {"another item count", withBlock(only(similarity(2, 2, 1, {0, 1, 1, 0}))), false},
        {"negative participants", withBlock(only(similarity(3, -1, 1, good))), false},
        {"no copies", withBlock(only(similarity(3, 2, 0, good))), false},
        {"eleven copies", withBlock(only(similarity(3, 2, 11, good))), false},
        {"a count on the diagonal", withBlock(only(similarity(3, 2, 1, {1, 2, 1, 5, 0, 1, 2, 3, 0}))), false},
        {"a negative score", withBlock(only(similarity(3, 2, 1, {0, 2, 1, -5, 0, 1, 2, 3, 0}))), false},
        {"a count above what the participants give (a card placed twice in a group)",
         withBlock(only(similarity(3, 2, 1, {0, 3, 1, 5, 0, 1, 2, 3, 0}))), true},
        {"too few cells", withBlock(only(similarity(3, 2, 1, {0, 2, 1, 5}))), false},
        {"a size claim beyond any packing", withBlock(only(similarity(3, 2, 1, good, [](const QByteArray &raw) {
             QByteArray packed = qCompress(raw);
             qToBigEndian<quint32>(0x7FFFFFFF, packed.data());
             return packed;
         }))), false},
        {"a packing that is no packing", withBlock(only(similarity(3, 2, 1, good, [](const QByteArray &) {
             return QByteArray("\x00\x00\x00\x24not zlib at all", 19);
         }))), false},
        {"the scale off, before the matrix", withBlock([&](ArchiveWriter &block) {
             section(block, 2, word(0));
             section(block, 1, similarity(3, 2, 1, good));
         }), true},
        {"the scale on, said outright", withBlock([&](ArchiveWriter &block) { section(block, 2, word(1)); }), true},
        {"the scale neither on nor off", withBlock([&](ArchiveWriter &block) { section(block, 2, word(2)); }), false},
        {"a view section cut short", withBlock([&](ArchiveWriter &block) { section(block, 2, word(0).left(3)); }),
         false},
        {"a view section with more after it",
         withBlock([&](ArchiveWriter &block) { section(block, 2, word(0) + QByteArray(1, '\0')); }), false},
        {"the view twice", withBlock([&](ArchiveWriter &block) {
             section(block, 2, word(0));
             section(block, 2, word(0));
         }), false},
        {"sorts made by hand", withBlock([&](ArchiveWriter &block) { section(block, 3, sorts(1, {0, 1, 1, 2, 3, 1})); }),
         true},
        {"sorts twice", withBlock([&](ArchiveWriter &block) {
             section(block, 3, sorts(1, {0, 1, 1}));
             section(block, 3, sorts(1, {0, 1, 1}));
         }), false},
        {"a card past the items", withBlock([&](ArchiveWriter &block) { section(block, 3, sorts(1, {3, 1, 1})); }),
         false},
        {"a negative card", withBlock([&](ArchiveWriter &block) { section(block, 3, sorts(1, {-1, 1, 1})); }), false},
        {"a negative fit", withBlock([&](ArchiveWriter &block) { section(block, 3, sorts(1, {0, -1, 1})); }), false},
        {"counted neither yes nor no", withBlock([&](ArchiveWriter &block) { section(block, 3, sorts(2, {0, 1, 1})); }),
         false},
        {"more cards claimed than the bytes hold",
         withBlock([&](ArchiveWriter &block) { section(block, 3, sorts(1, {0, 1, 1}, {}, 0x10000000)); }), false},
        {"bytes after the last participant",
         withBlock([&](ArchiveWriter &block) { section(block, 3, sorts(1, {0, 1, 1}, "x")); }), false},
        {"sorts that are no packing", withBlock([&](ArchiveWriter &block) {
             section(block, 3, QByteArray("\x00\x00\x00\x13\x00\x00\x00\x24not zlib at all", 23));
         }), false},
        {"a standardisation", withBlock([&](ArchiveWriter &block) {
             section(block, 4, standards({{u"fruit"_s, u"Food"_s}, {u"veg"_s, u"Food"_s}}));
         }), true},
        {"one original twice", withBlock([&](ArchiveWriter &block) {
             section(block, 4, standards({{u"fruit"_s, u"Food"_s}, {u"FRUIT"_s, u"Food"_s}}));
         }), false},
        {"an empty standard",
         withBlock([&](ArchiveWriter &block) { section(block, 4, standards({{u"fruit"_s, QString()}})); }), false},
        {"a standardisation cut short", withBlock([&](ArchiveWriter &block) {
             section(block, 4, standards({{u"fruit"_s, u"Food"_s}}).chopped(1));
         }), false},
        {"group names on", withBlock([&](ArchiveWriter &block) { section(block, 5, word(1)); }), true},
        {"group names neither on nor off", withBlock([&](ArchiveWriter &block) { section(block, 5, word(3)); }), false},
        {"the sections counted", withBlock([&](ArchiveWriter &block) {
             section(block, 6, word(2));
             section(block, 2, word(0));
             section(block, 5, word(1));
         }), true},
        {"fewer sections than counted", withBlock([&](ArchiveWriter &block) {
             section(block, 6, word(2));
             section(block, 2, word(0));
         }), false},
        {"the count after a section", withBlock([&](ArchiveWriter &block) {
             section(block, 2, word(0));
             section(block, 6, word(1));
         }), false},
    };
    for (const auto &c : cases) {
        CSortanaMdiDoc loaded;
        EXPECT_EQ(load(c.file, loaded), c.loads) << c.what;
        EXPECT_EQ(loaded.hasStudy(), c.loads) << c.what;
    }
}

TEST_F(ExtensionBlock, WhoIsLeftOutAndTheLinesThatPlacedNothingRoundTripAndDamageIsRefused)
{
    // The fixture's participants: P1 the expert, P2 and P3.
    const auto saved = [this](std::vector<qint32> leftOut, std::vector<qint32> unplaced) {
        document.leftOut = std::move(leftOut);
        for (size_t p = 0; p < unplaced.size(); ++p)
            document.sorts->participants[p].unplacedLines = unplaced[p];
        ArchiveWriter writer;
        document.Serialize(writer);
        return writer.bytes();
    };
    const QByteArray good = saved({1}, {0, 0, 2});
    CSortanaMdiDoc loaded;
    ASSERT_TRUE(load(good, loaded));
    EXPECT_EQ(loaded.leftOut, std::vector<qint32>{1});
    EXPECT_EQ(*loaded.sorts, *document.sorts);
    EXPECT_EQ(loaded.sorts->participants[2].unplacedLines, 2);
    ArchiveWriter again;
    loaded.Serialize(again);
    EXPECT_EQ(again.bytes(), good);
    for (qsizetype length = fields.size() + 1; length < good.size(); ++length) {
        CSortanaMdiDoc cut;
        ASSERT_FALSE(load(good.left(length), cut)) << length;
    }
    // Nobody left out and no such lines: neither section is written.
    EXPECT_EQ(saved({}, {0, 0, 0}), bytes);

    const auto list = [](std::vector<qint32> values, std::optional<quint32> count = std::nullopt) {
        ArchiveWriter content;
        content.writeUInt32(count.value_or(quint32(values.size())));
        for (const qint32 value : values)
            content.writeInt32(value);
        return content.bytes();
    };
    const struct {
        const char *what;
        QByteArray file;
    } refused[] = {
        {"the expert left out", saved({0}, {})},
        {"nobody left", saved({1, 2}, {})},
        {"past the last participant", saved({3}, {})},
        {"not ascending", saved({2, 1}, {})},
        {"one participant twice", saved({1, 1}, {})},
        {"a negative count of lines", saved({}, {0, -1, 1})},
        {"left out without the sorts", withBlock([&](ArchiveWriter &block) { section(block, 7, list({0})); })},
        {"an empty list", withBlock([&](ArchiveWriter &block) {
             section(block, 3, sorts(1, {0, 1, 1}));
             section(block, 7, list({}));
         })},
        {"a list cut short", withBlock([&](ArchiveWriter &block) {
             section(block, 3, sorts(1, {0, 1, 1}));
             section(block, 7, list({0}, 2));
         })},
        {"lines without the sorts", withBlock([&](ArchiveWriter &block) { section(block, 9, list({1})); })},
        {"lines for more participants than the sorts hold", withBlock([&](ArchiveWriter &block) {
             section(block, 3, sorts(1, {0, 1, 1}));
             section(block, 9, list({1, 1}));
         })},
        {"no lines at all", withBlock([&](ArchiveWriter &block) {
             section(block, 3, sorts(1, {0, 1, 1}));
             section(block, 9, list({0}));
         })},
        {"lines twice", withBlock([&](ArchiveWriter &block) {
             section(block, 3, sorts(1, {0, 1, 1}));
             section(block, 9, list({1}));
             section(block, 9, list({1}));
         })},
    };
    for (const auto &c : refused) {
        CSortanaMdiDoc damaged;
        EXPECT_FALSE(load(c.file, damaged)) << c.what;
        EXPECT_FALSE(damaged.hasStudy()) << c.what;
    }
}

} // namespace
