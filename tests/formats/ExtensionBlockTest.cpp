// The program's block after the document format's fields: the similarity matrix kept with the
// study, and the view settings. It round-trips, a file without it loads as before, and every
// truncation or corruption of it is refused.
#include "analysis/Adequacy.h"
#include "analysis/TreeSupport.h"
#include "document/Document.h"
#include "formats/Archive.h"
#include "support/DocumentEdits.h"
#include "support/ImportedDocument.h"
#include "support/ScriptedPlatform.h"
#include "support/TestFiles.h"
#include "tasks/ImportRun.h"

#include <QTemporaryDir>
#include <QtEndian>

#include <cmath>
#include <functional>
#include <limits>
#include <optional>
#include <utility>

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
        EXPECT_TRUE(completeImport(document, run));
        ArchiveWriter writer;
        document.serialize(writer);
        bytes = writer.bytes();
        // The same document as a program without the block writes it.
        ArchiveWriter fieldsOnly;
        const std::shared_ptr<const Study> kept = document.sharedStudy();
        const QString folder = std::exchange(document.analysisFolder, {});
        editStudy(document, [](Study &s) {
            s.similarity.reset();
            s.sorts.reset();
        });
        document.serialize(fieldsOnly);
        document.setStudy(kept, false);
        document.analysisFolder = folder;
        fields = fieldsOnly.bytes();
    }
    bool load(const QByteArray &file, Document &into)
    {
        ArchiveReader reader(file);
        return into.serialize(reader);
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

    static QByteArray text(const QString &value)
    {
        ArchiveWriter content;
        content.writeString(value);
        return content.bytes();
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
    // `participants` alike sorts of one group.
    static QByteArray sorts(qint32 counted, std::vector<qint32> cards, const QByteArray &extra = {},
                            std::optional<quint32> cardCount = std::nullopt, quint32 participants = 1)
    {
        ArchiveWriter content;
        content.writeUInt32(participants);
        for (quint32 p = 0; p < participants; ++p) {
            content.writeString(u"P%1"_s.arg(p + 1));
            content.writeInt32(counted);
            content.writeUInt32(1);
            content.writeString(u"Fruit"_s);
            content.writeInt32(0);
            content.writeUInt32(cardCount.value_or(quint32(cards.size() / 3)));
            for (const qint32 value : cards)
                content.writeInt32(value);
        }
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
    Document document;
    QByteArray bytes;
    QByteArray fields;
};

TEST_F(ExtensionBlock, TheMatrixRoundTripsAfterTheFormatsFields)
{
    ASSERT_TRUE(bytes.startsWith(fields));
    ASSERT_GT(bytes.size(), fields.size());
    Document loaded;
    ASSERT_TRUE(load(bytes, loaded));
    ASSERT_TRUE(loaded.study().similarity.has_value());
    const SimilarityData &kept = *loaded.study().similarity;
    EXPECT_EQ(kept.countedParticipants, 2);
    EXPECT_EQ(kept.copies, 2);
    for (int a = 0; a < 3; ++a) {
        for (int b = 0; b < 3; ++b) {
            EXPECT_EQ(kept.count(a, b), document.study().similarity->count(a, b));
            EXPECT_EQ(kept.weightedScore(a, b), document.study().similarity->weightedScore(a, b));
        }
    }
    // A and B: each copy of A with B in the second participant's group, out of 2 participants
    // x 2 copies x 2 copies.
    EXPECT_EQ(kept.share(0, 1), 2 / 8.0);
    ArchiveWriter again;
    loaded.serialize(again);
    EXPECT_EQ(again.bytes(), bytes);

    // Without the block the document loads as before, without its matrix.
    Document older;
    ASSERT_TRUE(load(fields, older));
    EXPECT_FALSE(older.study().similarity.has_value());
}

// The scale is on unless a document says otherwise, with or without its matrix; a document
// that keeps neither a matrix nor a setting of its own is the format's fields alone.
TEST_F(ExtensionBlock, TheSimilarityScaleSettingRoundTripsWithAndWithoutTheMatrix)
{
    Document older;
    ASSERT_TRUE(load(fields, older));
    EXPECT_TRUE(older.settings().showSimilarityScale);
    Document withMatrix;
    ASSERT_TRUE(load(bytes, withMatrix));
    EXPECT_TRUE(withMatrix.settings().showSimilarityScale);

    for (const bool keepMatrix : {true, false}) {
        if (!keepMatrix) {
            editStudy(document, [](Study &s) {
                s.similarity.reset();
                s.sorts.reset();
            });
            document.analysisFolder.clear();
        }
        for (const bool shown : {true, false}) {
            setSetting(document, &Settings::showSimilarityScale, shown);
            ArchiveWriter writer;
            document.serialize(writer);
            const QByteArray saved = writer.bytes();
            EXPECT_TRUE(saved.startsWith(fields));
            // Only a matrix or a scale turned off needs the block.
            EXPECT_EQ(saved == fields, !keepMatrix && shown) << keepMatrix << shown;
            Document loaded;
            ASSERT_TRUE(load(saved, loaded)) << keepMatrix << shown;
            EXPECT_EQ(loaded.settings().showSimilarityScale, shown) << keepMatrix << shown;
            EXPECT_EQ(loaded.study().similarity.has_value(), keepMatrix) << keepMatrix << shown;
            ArchiveWriter again;
            loaded.serialize(again);
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
    Document imported;
    ASSERT_NO_FATAL_FAILURE(importDocument("IA\nIB\nIC\nP1\nG\nI1\nI2\nI1\nG\nI3\nP2\nG\nI1\nI2\nI3\n", imported));
    ASSERT_GT(imported.study().similarity->count(0, 1), imported.study().similarity->maxCount());
    ArchiveWriter writer;
    imported.serialize(writer);
    ArchiveReader reader(writer.bytes());
    Document loaded;
    ASSERT_TRUE(loaded.serialize(reader));
    EXPECT_EQ(loaded.study().similarity->count(0, 1), imported.study().similarity->count(0, 1));
}

// The participants' sorts, the standardisation and the group names setting come back as they
// were saved; a document without them has no sorts, no standards and the names off.
TEST_F(ExtensionBlock, TheSortsStandardisationAndGroupNamesRoundTrip)
{
    ASSERT_TRUE(document.study().sorts);
    Standardisation standards;
    standards.merge({u"-----"_s, u"Other"_s}, u"Misc"_s);
    document.setStandardisation(standards);
    setSetting(document, &Settings::showGroupNames, true);
    ArchiveWriter writer;
    document.serialize(writer);
    Document loaded;
    ASSERT_TRUE(load(writer.bytes(), loaded));
    ASSERT_TRUE(loaded.study().sorts);
    EXPECT_EQ(*loaded.study().sorts, *document.study().sorts);
    ASSERT_EQ(loaded.study().sorts->participants.size(), 3u);
    EXPECT_FALSE(loaded.study().sorts->participants[0].counted); // the expert
    EXPECT_EQ(loaded.standardisation(), document.standardisation());
    EXPECT_TRUE(loaded.settings().showGroupNames);
    ArchiveWriter again;
    loaded.serialize(again);
    EXPECT_EQ(again.bytes(), writer.bytes());

    Document older;
    ASSERT_TRUE(load(fields, older));
    EXPECT_FALSE(older.study().sorts);
    EXPECT_TRUE(older.standardisation().isEmpty());
    EXPECT_FALSE(older.settings().showGroupNames);
}

TEST_F(ExtensionBlock, EveryTruncationOfTheBlockIsRefused)
{
    Standardisation standards;
    standards.merge({u"Other"_s}, u"Misc"_s);
    document.setStandardisation(standards);
    setSetting(document, &Settings::showGroupNames, true);
    ArchiveWriter writer;
    document.serialize(writer);
    for (const QByteArray &file : {bytes, writer.bytes()}) {
        for (qsizetype length = fields.size() + 1; length < file.size(); ++length) {
            Document loaded;
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
         }),
         true},
        {"no sections, as a cut after the header leaves it", withBlock([](ArchiveWriter &) {}), false},
        {"another name", withBlock(only(similarity(3, 2, 1, good)), 1, u"SORTANA-EXTENSIONZ"_s), false},
        {"another version", withBlock(only(similarity(3, 2, 1, good)), 2), false},
        {"bytes that are no block", fields + QByteArray("garbage after the fields"), false},
        {"a section longer than the file", withBlock([&](ArchiveWriter &block) {
             block.writeUInt32(1);
             block.writeUInt32(1u << 31);
         }),
         false},
        {"the matrix twice", withBlock([&](ArchiveWriter &block) {
             section(block, 1, similarity(3, 2, 1, good));
             section(block, 1, similarity(3, 2, 1, good));
         }),
         false},
        {"another item count", withBlock(only(similarity(2, 2, 1, {0, 1, 1, 0}))), false},
        {"negative participants", withBlock(only(similarity(3, -1, 1, good))), false},
        {"no copies", withBlock(only(similarity(3, 2, 0, good))), false},
        {"eleven copies", withBlock(only(similarity(3, 2, 11, good))), false},
        {"a count on the diagonal", withBlock(only(similarity(3, 2, 1, {1, 2, 1, 5, 0, 1, 2, 3, 0}))), false},
        {"a negative score", withBlock(only(similarity(3, 2, 1, {0, 2, 1, -5, 0, 1, 2, 3, 0}))), false},
        {"a count above what the participants give (a card placed twice in a group)",
         withBlock(only(similarity(3, 2, 1, {0, 3, 1, 5, 0, 1, 2, 3, 0}))), true},
        {"too few cells", withBlock(only(similarity(3, 2, 1, {0, 2, 1, 5}))), false},
        {"a size claim beyond any packing",
         withBlock(only(similarity(3, 2, 1, good,
                                   [](const QByteArray &raw) {
                                       QByteArray packed = qCompress(raw);
                                       qToBigEndian<quint32>(0x7FFFFFFF, packed.data());
                                       return packed;
                                   }))),
         false},
        {"a packing that is no packing",
         withBlock(only(similarity(
             3, 2, 1, good, [](const QByteArray &) { return QByteArray("\x00\x00\x00\x24not zlib at all", 19); }))),
         false},
        {"the scale off, before the matrix", withBlock([&](ArchiveWriter &block) {
             section(block, 2, word(0));
             section(block, 1, similarity(3, 2, 1, good));
         }),
         true},
        {"the scale on, said outright", withBlock([&](ArchiveWriter &block) { section(block, 2, word(1)); }), true},
        {"the scale neither on nor off", withBlock([&](ArchiveWriter &block) { section(block, 2, word(2)); }), false},
        {"a view section cut short", withBlock([&](ArchiveWriter &block) { section(block, 2, word(0).left(3)); }),
         false},
        {"a view section with more after it",
         withBlock([&](ArchiveWriter &block) { section(block, 2, word(0) + QByteArray(1, '\0')); }), false},
        {"the view twice", withBlock([&](ArchiveWriter &block) {
             section(block, 2, word(0));
             section(block, 2, word(0));
         }),
         false},
        {"the analysis files' folder",
         withBlock([&](ArchiveWriter &block) { section(block, 10, text(u"/data/out"_s)); }), true},
        {"a folder named from nowhere",
         withBlock([&](ArchiveWriter &block) { section(block, 10, text(u"data/out"_s)); }), false},
        {"no folder", withBlock([&](ArchiveWriter &block) { section(block, 10, text({})); }), false},
        {"a folder with more after it",
         withBlock([&](ArchiveWriter &block) { section(block, 10, text(u"/data"_s) + word(0)); }), false},
        {"the folder twice", withBlock([&](ArchiveWriter &block) {
             section(block, 10, text(u"/data"_s));
             section(block, 10, text(u"/data"_s));
         }),
         false},
        {"sorts made by hand", withBlock([&](ArchiveWriter &block) {
             section(block, 3, sorts(1, {0, 1, 1, 2, 3, 1}));
         }),
         true},
        {"sorts twice", withBlock([&](ArchiveWriter &block) {
             section(block, 3, sorts(1, {0, 1, 1}));
             section(block, 3, sorts(1, {0, 1, 1}));
         }),
         false},
        {"a card past the items", withBlock([&](ArchiveWriter &block) {
             section(block, 3, sorts(1, {3, 1, 1}));
         }),
         false},
        {"a negative card", withBlock([&](ArchiveWriter &block) {
             section(block, 3, sorts(1, {-1, 1, 1}));
         }),
         false},
        {"a negative fit", withBlock([&](ArchiveWriter &block) {
             section(block, 3, sorts(1, {0, -1, 1}));
         }),
         false},
        {"counted neither yes nor no", withBlock([&](ArchiveWriter &block) {
             section(block, 3, sorts(2, {0, 1, 1}));
         }),
         false},
        {"more cards claimed than the bytes hold", withBlock([&](ArchiveWriter &block) {
             section(block, 3, sorts(1, {0, 1, 1}, {}, 0x10000000));
         }),
         false},
        {"bytes after the last participant", withBlock([&](ArchiveWriter &block) {
             section(block, 3, sorts(1, {0, 1, 1}, "x"));
         }),
         false},
        {"sorts that are no packing", withBlock([&](ArchiveWriter &block) {
             section(block, 3, QByteArray("\x00\x00\x00\x13\x00\x00\x00\x24not zlib at all", 23));
         }),
         false},
        {"a standardisation", withBlock([&](ArchiveWriter &block) {
             section(block, 4, standards({{u"fruit"_s, u"Food"_s}, {u"veg"_s, u"Food"_s}}));
         }),
         true},
        {"one original twice", withBlock([&](ArchiveWriter &block) {
             section(block, 4, standards({{u"fruit"_s, u"Food"_s}, {u"FRUIT"_s, u"Food"_s}}));
         }),
         false},
        {"an empty standard", withBlock([&](ArchiveWriter &block) {
             section(block, 4, standards({{u"fruit"_s, QString()}}));
         }),
         false},
        {"a standardisation cut short", withBlock([&](ArchiveWriter &block) {
             section(block, 4, standards({{u"fruit"_s, u"Food"_s}}).chopped(1));
         }),
         false},
        {"group names on", withBlock([&](ArchiveWriter &block) { section(block, 5, word(1)); }), true},
        {"group names neither on nor off", withBlock([&](ArchiveWriter &block) { section(block, 5, word(3)); }), false},
        {"the sections counted", withBlock([&](ArchiveWriter &block) {
             section(block, 6, word(2));
             section(block, 2, word(0));
             section(block, 5, word(1));
         }),
         true},
        {"fewer sections than counted", withBlock([&](ArchiveWriter &block) {
             section(block, 6, word(2));
             section(block, 2, word(0));
         }),
         false},
        {"the count after a section", withBlock([&](ArchiveWriter &block) {
             section(block, 2, word(0));
             section(block, 6, word(1));
         }),
         false},
    };
    for (const auto &c : cases) {
        Document loaded;
        EXPECT_EQ(load(c.file, loaded), c.loads) << c.what;
        EXPECT_EQ(loaded.hasStudy(), c.loads) << c.what;
    }
}

// The resampling section of a study of three items: the join-support switch, then the curve
// and the support, each behind a switch; `trees` is the replicates' packed trees.
struct Resampled {
    qint32 show = 0;
    std::optional<std::vector<double>> points; // per point: size, kept, mean, p05, p95
    qint32 participants = 2;
    qint32 subsets = 10;
    std::optional<std::vector<double>> support;
    qint32 replicates = 1;
    std::vector<qint32> trees = {0, 1, 2, 2, 1};
    QByteArray extra;

    QByteArray bytes() const
    {
        ArchiveWriter content;
        content.writeInt32(show);
        content.writeInt32(points ? 1 : 0);
        if (points) {
            content.writeUInt32(7);
            content.writeUInt32(0);
            content.writeInt32(subsets);
            content.writeInt32(participants);
            content.writeUInt32(quint32(points->size() / 5));
            for (std::size_t i = 0; i < points->size(); i += 5) {
                content.writeInt32(qint32((*points)[i]));
                content.writeInt32(qint32((*points)[i + 1]));
                for (std::size_t k = 2; k < 5; ++k)
                    content.writeDouble((*points)[i + k]);
            }
        }
        content.writeInt32(support ? 1 : 0);
        if (support) {
            content.writeUInt32(7);
            content.writeUInt32(0);
            content.writeInt32(replicates);
            content.writeUInt32(quint32(support->size()));
            for (const double value : *support)
                content.writeDouble(value);
            QByteArray raw(qsizetype(trees.size()) * 4, Qt::Uninitialized);
            qToLittleEndian<qint32>(trees.data(), qsizetype(trees.size()), raw.data());
            const QByteArray packed = qCompress(raw);
            content.writeUInt32(quint32(packed.size()));
            content.writeBytes(packed);
        }
        content.writeBytes(extra);
        return content.bytes();
    }
};

TEST_F(ExtensionBlock, TheResamplingResultsRoundTripAndDamageIsRefused)
{
    document.setTreeSupport(computeTreeSupport(document.study(), 12, 77, {}));
    document.setAdequacy(computeAdequacy(document.study(), 10, 77, {}));
    ASSERT_TRUE(document.treeSupport() && document.adequacy());
    setSetting(document, &Settings::showJoinSupport, true);
    ArchiveWriter writer;
    document.serialize(writer);
    Document loaded;
    ASSERT_TRUE(load(writer.bytes(), loaded));
    EXPECT_EQ(loaded.treeSupport(), document.treeSupport());
    EXPECT_EQ(loaded.adequacy(), document.adequacy());
    EXPECT_TRUE(loaded.settings().showJoinSupport);
    ArchiveWriter again;
    loaded.serialize(again);
    EXPECT_EQ(again.bytes(), writer.bytes());
    for (qsizetype length = fields.size() + 1; length < writer.bytes().size(); ++length) {
        Document cut;
        ASSERT_FALSE(load(writer.bytes().left(length), cut)) << length;
    }
    Document older;
    ASSERT_TRUE(load(bytes, older));
    EXPECT_FALSE(older.treeSupport() || older.adequacy() || older.settings().showJoinSupport);

    const double nan = std::numeric_limits<double>::quiet_NaN();
    // The curve's study counts at most the two participants of the sorts.
    const auto block = [&](const Resampled &r) {
        return withBlock([&](ArchiveWriter &b) {
            section(b, 8, r.bytes());
            section(b, 3, sorts(1, {0, 1, 1}, {}, std::nullopt, 2));
        });
    };
    const auto switchOnly = [](qint32 show) {
        Resampled r;
        r.show = show;
        return r;
    };
    const auto with = [](std::function<void(Resampled &)> change) {
        Resampled r;
        r.points = {2, 10, 0.5, 0.4, 0.6};
        r.support = {50.0, 100.0};
        change(r);
        return r;
    };
    const struct {
        const char *what;
        QByteArray file;
        bool loads;
    } cases[] = {
        {"both results", block(with([](Resampled &) {})), true},
        {"the switch alone", block(switchOnly(1)), true},
        {"the switch neither on nor off", block(switchOnly(2)), false},
        {"the section twice", withBlock([&](ArchiveWriter &b) {
             section(b, 8, Resampled{}.bytes());
             section(b, 8, Resampled{}.bytes());
         }),
         false},
        {"bytes after the section's end", block(with([](Resampled &r) { r.extra = "x"; })), false},
        {"no replicate", block(with([](Resampled &r) { r.replicates = 0; })), false},
        {"too many replicates", block(with([](Resampled &r) { r.replicates = 10001; })), false},
        {"trees of two replicates for one", block(with([](Resampled &r) { r.replicates = 2; })), false},
        {"a join missing", block(with([](Resampled &r) { r.support = {50.0}; })), false},
        {"a support above 100", block(with([](Resampled &r) {
             r.support = {50.0, 100.5};
         })),
         false},
        {"a support that is no number", block(with([&](Resampled &r) {
             r.support = {nan, 100.0};
         })),
         false},
        {"a card twice in a leaf order", block(with([](Resampled &r) {
             r.trees = {0, 0, 2, 2, 1};
         })),
         false},
        {"a split outside the rows", block(with([](Resampled &r) {
             r.trees = {0, 1, 2, 0, 1};
         })),
         false},
        {"no sub-sample", block(with([](Resampled &r) { r.subsets = 0; })), false},
        {"a size the study does not have", block(with([](Resampled &r) {
             r.points = {3, 10, 0.5, 0.4, 0.6};
         })),
         false},
        {"a size missing", block(with([](Resampled &r) { r.participants = 3; })), false},
        {"more participants than the sorts count", block(with([](Resampled &r) {
             r.participants = 3;
             r.points = {2, 10, 0.5, 0.4, 0.6, 3, 10, 0.5, 0.4, 0.6};
         })),
         false},
        {"more participants than a count holds", block(with([](Resampled &r) { r.participants = 587202564; })), false},
        {"a curve without the sorts",
         withBlock([&](ArchiveWriter &b) { section(b, 8, with([](Resampled &) {}).bytes()); }), false},
        {"more kept than drawn", block(with([](Resampled &r) {
             r.points = {2, 11, 0.5, 0.4, 0.6};
         })),
         false},
        {"none kept, figures absent", block(with([&](Resampled &r) {
             r.points = {2, 0, nan, nan, nan};
         })),
         true},
        {"none kept, yet a figure", block(with([&](Resampled &r) {
             r.points = {2, 0, 0.5, nan, nan};
         })),
         false},
        {"some kept, yet no figure", block(with([&](Resampled &r) {
             r.points = {2, 3, nan, 0.4, 0.6};
         })),
         false},
        {"percentiles out of order", block(with([](Resampled &r) {
             r.points = {2, 10, 0.5, 0.7, 0.6};
         })),
         false},
        {"a correlation past 1", block(with([](Resampled &r) {
             r.points = {2, 10, 1.5, 0.4, 1.6};
         })),
         false},
    };
    for (const auto &c : cases) {
        Document read;
        EXPECT_EQ(load(c.file, read), c.loads) << c.what;
    }
}

} // namespace
TEST_F(ExtensionBlock, WhoIsLeftOutAndTheLinesBeyondTheSortsRoundTripAndDamageIsRefused)
{
    // The fixture's participants: P1 the expert, P2 and P3, each with one group.
    const auto saved = [this](std::vector<qint32> leftOut, const std::function<void(StudySorts &)> &lines = {}) {
        const std::shared_ptr<const Study> kept = document.sharedStudy();
        editStudy(document, [&](Study &s) {
            s.leftOut = std::move(leftOut);
            if (lines)
                lines(*s.sorts);
        });
        ArchiveWriter writer;
        document.serialize(writer);
        document.setStudy(kept, false);
        return writer.bytes();
    };
    const QByteArray good = saved({1}, [](StudySorts &sorts) {
        sorts.participants[2].unplacedLines = 2;
        sorts.participants[1].openingSubGroupLines = 1;
        sorts.participants[2].groups[0].closingSubGroupLines = 1;
    });
    Document loaded;
    ASSERT_TRUE(load(good, loaded));
    EXPECT_EQ(loaded.study().leftOut, std::vector<qint32>{1});
    EXPECT_EQ(loaded.study().sorts->participants[2].unplacedLines, 2);
    EXPECT_EQ(loaded.study().sorts->participants[1].openingSubGroupLines, 1);
    EXPECT_EQ(loaded.study().sorts->participants[2].groups[0].closingSubGroupLines, 1);
    ArchiveWriter again;
    loaded.serialize(again);
    EXPECT_EQ(again.bytes(), good);
    for (qsizetype length = fields.size() + 1; length < good.size(); ++length) {
        Document cut;
        ASSERT_FALSE(load(good.left(length), cut)) << length;
    }
    // Nobody left out and no such lines: neither section is written.
    EXPECT_EQ(saved({}), bytes);

    const auto list = [](std::vector<qint32> values, std::optional<quint32> count = std::nullopt) {
        ArchiveWriter content;
        content.writeUInt32(count.value_or(quint32(values.size())));
        for (const qint32 value : values)
            content.writeInt32(value);
        return content.bytes();
    };
    // One participant of one group: its item lines, its opening and its group's closing lines.
    const auto linesOfOne = [](std::vector<qint32> values) {
        ArchiveWriter content;
        content.writeUInt32(1);
        for (const qint32 value : values)
            content.writeInt32(value);
        return content.bytes();
    };
    const struct {
        const char *what;
        QByteArray file;
    } refused[] = {
        {"the expert left out", saved({0})},
        {"nobody left", saved({1, 2})},
        {"past the last participant", saved({3})},
        {"not ascending", saved({2, 1})},
        {"one participant twice", saved({1, 1})},
        {"a negative count of lines", saved({}, [](StudySorts &sorts) { sorts.participants[1].unplacedLines = -1; })},
        {"more item lines than the input had lines",
         saved({}, [](StudySorts &sorts) { sorts.participants[1].unplacedLines = 1000; })},
        {"more sub-group lines than the input had lines",
         saved({}, [](StudySorts &sorts) { sorts.participants[1].groups[0].closingSubGroupLines = 1000; })},
        {"a sub-group number beyond the input's lines",
         saved({}, [](StudySorts &sorts) { sorts.participants[1].groups[0].cards[0].subGroup = 1000; })},
        {"left out without the sorts", withBlock([&](ArchiveWriter &block) { section(block, 7, list({0})); })},
        {"an empty list", withBlock([&](ArchiveWriter &block) {
             section(block, 3, sorts(1, {0, 1, 1}));
             section(block, 7, list({}));
         })},
        {"a list cut short", withBlock([&](ArchiveWriter &block) {
             section(block, 3, sorts(1, {0, 1, 1}));
             section(block, 7, list({0}, 2));
         })},
        {"lines without the sorts", withBlock([&](ArchiveWriter &block) {
             section(block, 9, linesOfOne({1, 0, 0}));
         })},
        {"lines for more participants than the sorts hold", withBlock([&](ArchiveWriter &block) {
             section(block, 3, sorts(1, {0, 1, 1}));
             section(block, 9, list({1, 0, 0, 1, 0, 0}));
         })},
        {"lines for more groups than the sorts hold", withBlock([&](ArchiveWriter &block) {
             section(block, 3, sorts(1, {0, 1, 1}));
             section(block, 9, linesOfOne({1, 0, 0, 0}));
         })},
        {"lines cut short", withBlock([&](ArchiveWriter &block) {
             section(block, 3, sorts(1, {0, 1, 1}));
             section(block, 9, linesOfOne({1, 0}));
         })},
        {"no lines at all", withBlock([&](ArchiveWriter &block) {
             section(block, 3, sorts(1, {0, 1, 1}));
             section(block, 9, linesOfOne({0, 0, 0}));
         })},
        {"lines twice", withBlock([&](ArchiveWriter &block) {
             section(block, 3, sorts(1, {0, 1, 1}));
             section(block, 9, linesOfOne({1, 0, 0}));
             section(block, 9, linesOfOne({1, 0, 0}));
         })},
    };
    for (const auto &c : refused) {
        Document damaged;
        EXPECT_FALSE(load(c.file, damaged)) << c.what;
        EXPECT_FALSE(damaged.hasStudy()) << c.what;
    }
    const QByteArray handMade = withBlock([&](ArchiveWriter &block) {
        section(block, 3, sorts(1, {0, 1, 1}));
        section(block, 9, linesOfOne({1, 0, 0}));
    });
    Document fromHand;
    EXPECT_TRUE(load(handMade, fromHand));
}
