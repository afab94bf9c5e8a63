#include "formats/ExtensionBlock.h"

#include "document/Document.h"
#include "formats/Archive.h"

#include <QFileInfo>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <optional>

namespace sortana {

namespace {

const QString blockName = QStringLiteral("SORTANA-EXTENSIONS");
constexpr quint32 blockVersion = 1;

enum class Section : quint32 {
    Similarity = 1, // the pair matrix, its counted participants and copies
    View = 2, // how the document is shown: the similarity scale on or off
    Sorts = 3, // every participant's sort, packed
    Standardisation = 4, // the standard names of group names
    GroupNames = 5, // the dendrogram's suggested group names on or off
    // First, when there: how many sections follow it. A block cut between two sections is
    // otherwise well formed; older programs wrote none and skip it.
    Contents = 6,
    LeftOut = 7, // the participants the study leaves out, as indexes into the sorts
    // The resampling results with their replicates, sub-samples and seeds, and whether the
    // dendrogram shows each join's support.
    Resampling = 8,
    // Per participant of the sorts, the lines they do not hold: item lines that placed no
    // card, and sub-group lines that no card followed.
    OtherLines = 9,
    AnalysisFolder = 10, // the absolute folder the analysis files were last written to
};

// zlib never packs more than about 1,032 to 1: a larger claim is a damaged block, found
// before anything of that size is allocated.
constexpr qint64 mostInflation = 1100;

QByteArray matrixCells(const PairMatrix &matrix)
{
    const qsizetype cells = qsizetype(matrix.size()) * matrix.size();
    QByteArray bytes(cells * 4, Qt::Uninitialized);
    qToLittleEndian<qint32>(matrix.data(), cells, bytes.data());
    return bytes;
}

// zlib's packing of a section's bytes, after their unpacked size as qCompress writes it.
QByteArray packedSection(const QByteArray &bytes, int level)
{
    ArchiveWriter section;
    const QByteArray packed = qCompress(bytes, level);
    section.writeUInt32(quint32(packed.size()));
    section.writeBytes(packed);
    return section.bytes();
}

// The bytes packedSection() packed, or nothing when they are damaged; an unpacked size zlib
// could not have reached is refused before anything of that size is allocated.
std::optional<QByteArray> unpackedSection(ArchiveReader &section)
{
    const quint32 packedSize = section.readUInt32();
    if (!section.ok() || packedSize < 4 || qint64(packedSize) != section.remaining())
        return std::nullopt;
    const QByteArrayView packed = section.readBytes(packedSize);
    const quint32 claimed = qFromBigEndian<quint32>(packed.data());
    if (claimed == 0 || claimed > qint64(packedSize) * mostInflation)
        return std::nullopt;
    QByteArray bytes = qUncompress(reinterpret_cast<const uchar *>(packed.data()), packed.size());
    if (bytes.size() != qsizetype(claimed))
        return std::nullopt;
    return bytes;
}

QByteArray similaritySection(const SimilarityData &similarity)
{
    ArchiveWriter section;
    section.writeInt32(similarity.itemCount());
    section.writeInt32(similarity.countedParticipants);
    section.writeInt32(similarity.copies);
    // The counts are small numbers in a large square: they pack well, and quickly at level 1.
    section.writeBytes(packedSection(matrixCells(similarity.matrix), 1));
    return section.bytes();
}

// Both triangles of a matrix as an import fills them: nothing on the diagonal, no negative
// count or score. A count may pass what the counted participants give when a card was placed
// twice in one group, which the import warns of and allows; such a study must load again.
bool isPlausible(const SimilarityData &similarity)
{
    const int n = similarity.itemCount();
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            const qint32 cell = similarity.matrix.at(i, j);
            if (cell < 0 || (i == j && cell != 0))
                return false;
        }
    }
    return true;
}

std::unique_ptr<SimilarityData> readSimilarity(ArchiveReader &section, int itemCount)
{
    const qint32 n = section.readInt32();
    auto similarity = std::make_unique<SimilarityData>();
    similarity->countedParticipants = section.readInt32();
    similarity->copies = section.readInt32();
    if (!section.ok() || n != itemCount || similarity->countedParticipants < 0 || similarity->copies < 1
        || similarity->copies > 10)
        return nullptr;
    const std::optional<QByteArray> cells = unpackedSection(section);
    if (!cells || cells->size() != qint64(n) * n * 4 || !similarity->matrix.allocate(n))
        return nullptr;
    qFromLittleEndian<qint32>(cells->constData(), qsizetype(n) * n, similarity->matrix.data());
    return isPlausible(*similarity) ? std::move(similarity) : nullptr;
}

QByteArray sortsSection(const StudySorts &sorts)
{
    ArchiveWriter bytes;
    bytes.writeUInt32(quint32(sorts.participants.size()));
    for (const ParticipantSort &participant : sorts.participants) {
        bytes.writeString(participant.id);
        bytes.writeInt32(participant.counted ? 1 : 0);
        bytes.writeUInt32(quint32(participant.groups.size()));
        for (const SortGroup &group : participant.groups) {
            bytes.writeString(group.name);
            bytes.writeInt32(group.idOnly ? 1 : 0);
            bytes.writeUInt32(quint32(group.cards.size()));
            for (const SortedCard &card : group.cards) {
                bytes.writeInt32(card.item);
                bytes.writeInt32(card.fit);
                bytes.writeInt32(card.subGroup);
            }
        }
    }
    return packedSection(bytes.bytes(), 6);
}

// The least a participant, a group and a card take in the section: a count is only believed
// when the bytes left can hold that many.
constexpr qint64 leastParticipantBytes = 3 + 4 + 4;
constexpr qint64 leastGroupBytes = 3 + 4 + 4;
constexpr qint64 cardBytes = 12;

std::optional<bool> readSwitch(ArchiveReader &reader)
{
    const qint32 value = reader.readInt32();
    if (!reader.ok() || (value != 0 && value != 1))
        return std::nullopt;
    return value == 1;
}

std::optional<SortGroup> readSortGroup(ArchiveReader &reader, int itemCount)
{
    SortGroup group;
    group.name = reader.readString();
    const std::optional<bool> idOnly = readSwitch(reader);
    const quint32 cards = reader.readUInt32();
    if (!idOnly || !reader.ok() || qint64(cards) * cardBytes > reader.remaining())
        return std::nullopt;
    group.idOnly = *idOnly;
    group.cards.resize(cards);
    for (SortedCard &card : group.cards) {
        card.item = reader.readInt32();
        card.fit = reader.readInt32();
        card.subGroup = reader.readInt32();
        if (card.item < 0 || card.item >= itemCount || card.fit < 0 || card.subGroup < 0)
            return std::nullopt;
    }
    return reader.ok() ? std::optional<SortGroup>(std::move(group)) : std::nullopt;
}

std::unique_ptr<StudySorts> readSorts(ArchiveReader &section, int itemCount)
{
    const std::optional<QByteArray> bytes = unpackedSection(section);
    if (!bytes)
        return nullptr;
    ArchiveReader reader(*bytes);
    auto sorts = std::make_unique<StudySorts>();
    const quint32 participants = reader.readUInt32();
    if (!reader.ok() || qint64(participants) * leastParticipantBytes > reader.remaining())
        return nullptr;
    sorts->participants.resize(participants);
    for (ParticipantSort &participant : sorts->participants) {
        participant.id = reader.readString();
        const std::optional<bool> counted = readSwitch(reader);
        const quint32 groups = reader.readUInt32();
        if (!counted || !reader.ok() || qint64(groups) * leastGroupBytes > reader.remaining())
            return nullptr;
        participant.counted = *counted;
        participant.groups.reserve(groups);
        for (quint32 g = 0; g < groups; ++g) {
            std::optional<SortGroup> group = readSortGroup(reader, itemCount);
            if (!group)
                return nullptr;
            participant.groups.push_back(std::move(*group));
        }
    }
    return reader.ok() && reader.remaining() == 0 ? std::move(sorts) : nullptr;
}

QByteArray standardisationSection(const Standardisation &standardisation)
{
    ArchiveWriter section;
    section.writeUInt32(quint32(standardisation.entries().size()));
    for (const StandardEntry &entry : standardisation.entries()) {
        section.writeString(entry.original);
        section.writeString(entry.standard);
    }
    return section.bytes();
}

// Every original once (by its key), and neither side empty, as the standardisation keeps
// them: anything else was not written by this program.
std::optional<Standardisation> readStandardisation(ArchiveReader &section)
{
    const quint32 count = section.readUInt32();
    if (!section.ok() || qint64(count) * 6 > section.remaining())
        return std::nullopt;
    std::vector<StandardEntry> entries(count);
    for (StandardEntry &entry : entries) {
        entry.original = section.readString();
        entry.standard = section.readString();
        if (entry.original.isEmpty() || entry.standard.isEmpty())
            return std::nullopt;
    }
    if (!section.ok() || section.remaining() != 0)
        return std::nullopt;
    Standardisation standardisation(entries);
    if (standardisation.entries().size() != entries.size())
        return std::nullopt;
    return standardisation;
}

QByteArray leftOutSection(const std::vector<qint32> &leftOut)
{
    ArchiveWriter section;
    section.writeUInt32(quint32(leftOut.size()));
    for (const qint32 index : leftOut)
        section.writeInt32(index);
    return section.bytes();
}

// Ascending indexes into the sorts, none twice, none the expert's, and somebody left: what
// leaving out allows.
std::optional<std::vector<qint32>> readLeftOut(ArchiveReader &section)
{
    const quint32 count = section.readUInt32();
    if (!section.ok() || count == 0 || qint64(count) * 4 != section.remaining())
        return std::nullopt;
    std::vector<qint32> leftOut(count);
    for (qint32 &index : leftOut)
        index = section.readInt32();
    if (!section.ok() || !std::is_sorted(leftOut.begin(), leftOut.end())
        || std::adjacent_find(leftOut.begin(), leftOut.end()) != leftOut.end())
        return std::nullopt;
    return leftOut;
}

qsizetype countedParticipants(const StudySorts &sorts)
{
    return std::count_if(sorts.participants.begin(), sorts.participants.end(),
                         [](const ParticipantSort &sort) { return sort.counted; });
}

bool fitsTheSorts(const std::vector<qint32> &leftOut, const StudySorts *sorts)
{
    if (leftOut.empty())
        return true;
    if (!sorts || leftOut.front() < 0 || size_t(leftOut.back()) >= sorts->participants.size())
        return false;
    return qsizetype(leftOut.size()) < countedParticipants(*sorts)
        && std::all_of(leftOut.begin(), leftOut.end(),
                       [&](qint32 index) { return sorts->participants[size_t(index)].counted; });
}

bool anyOtherLines(const StudySorts *sorts)
{
    return sorts
        && std::any_of(sorts->participants.begin(), sorts->participants.end(),
                       [](const ParticipantSort &sort) { return sort.hasOtherLines(); });
}

QByteArray otherLinesSection(const StudySorts &sorts)
{
    ArchiveWriter section;
    section.writeUInt32(quint32(sorts.participants.size()));
    for (const ParticipantSort &sort : sorts.participants) {
        section.writeInt32(sort.unplacedLines);
        section.writeInt32(sort.openingSubGroupLines);
        for (const SortGroup &group : sort.groups)
            section.writeInt32(group.closingSubGroupLines);
    }
    return section.bytes();
}

// Gives the sorts the counts of the section: one participant for each of theirs, with a count
// for each of its groups, none negative, and not all 0.
bool readOtherLines(ArchiveReader &section, StudySorts *sorts)
{
    const quint32 count = section.readUInt32();
    if (!sorts || !section.ok() || count != sorts->participants.size())
        return false;
    const auto next = [&](qint32 &into) {
        into = section.readInt32();
        return section.ok() && into >= 0;
    };
    for (ParticipantSort &sort : sorts->participants) {
        if (!next(sort.unplacedLines) || !next(sort.openingSubGroupLines))
            return false;
        for (SortGroup &group : sort.groups) {
            if (!next(group.closingSubGroupLines))
                return false;
        }
    }
    return section.remaining() == 0 && anyOtherLines(sorts);
}

QByteArray switchSection(bool on)
{
    ArchiveWriter section;
    section.writeInt32(on ? 1 : 0);
    return section.bytes();
}

// One int32, 0 or 1, and nothing more: a later setting gets a section of its own, so that
// each keeps its exact size.
std::optional<bool> readSwitchSection(ArchiveReader &section)
{
    const std::optional<bool> on = readSwitch(section);
    if (!on || section.remaining() != 0)
        return std::nullopt;
    return on;
}

// The most replicates or sub-samples a run takes.
constexpr qint32 mostRuns = 10000;

void writeSeed(ArchiveWriter &section, quint64 seed)
{
    section.writeUInt32(quint32(seed));
    section.writeUInt32(quint32(seed >> 32));
}

quint64 readSeed(ArchiveReader &section)
{
    const quint64 low = section.readUInt32();
    return low | quint64(section.readUInt32()) << 32;
}

void writeAdequacy(ArchiveWriter &section, const Adequacy &adequacy)
{
    writeSeed(section, adequacy.seed);
    section.writeInt32(adequacy.subsets);
    section.writeInt32(adequacy.studyParticipants);
    section.writeUInt32(quint32(adequacy.points.size()));
    for (const AdequacyPoint &point : adequacy.points) {
        section.writeInt32(point.participants);
        section.writeInt32(point.kept);
        section.writeDouble(point.mean);
        section.writeDouble(point.p05);
        section.writeDouble(point.p95);
    }
}

// A point as a run leaves it: its figures absent exactly when no sub-sample was kept, and
// otherwise correlations, the percentiles in order (the mean may lie outside them).
bool isPlausible(const AdequacyPoint &point, qint32 subsets)
{
    if (point.kept < 0 || point.kept > subsets)
        return false;
    if (point.kept == 0)
        return std::isnan(point.mean) && std::isnan(point.p05) && std::isnan(point.p95);
    return point.mean >= -1.0 && point.mean <= 1.0 && point.p05 >= -1.0 && point.p05 <= point.p95 && point.p95 <= 1.0;
}

// A curve drawn from at most `countedParticipants`, the participants the document's sorts
// count: a larger study is damage, refused before its sizes are worked out.
std::optional<Adequacy> readAdequacy(ArchiveReader &section, qsizetype countedParticipants)
{
    Adequacy adequacy;
    adequacy.seed = readSeed(section);
    adequacy.subsets = section.readInt32();
    adequacy.studyParticipants = section.readInt32();
    const quint32 count = section.readUInt32();
    if (!section.ok() || adequacy.subsets < 1 || adequacy.subsets > mostRuns || adequacy.studyParticipants < 0
        || adequacy.studyParticipants > countedParticipants)
        return std::nullopt;
    const std::vector<int> sizes = adequacySizes(adequacy.studyParticipants);
    if (count != sizes.size())
        return std::nullopt;
    for (const int size : sizes) {
        AdequacyPoint point;
        point.participants = section.readInt32();
        point.kept = section.readInt32();
        point.mean = section.readDouble();
        point.p05 = section.readDouble();
        point.p95 = section.readDouble();
        if (!section.ok() || point.participants != size || !isPlausible(point, adequacy.subsets))
            return std::nullopt;
        adequacy.points.push_back(point);
    }
    settleAnswers(adequacy);
    return adequacy;
}

void writeTreeSupport(ArchiveWriter &section, const TreeSupport &support)
{
    writeSeed(section, support.seed);
    section.writeInt32(support.replicates);
    section.writeUInt32(quint32(support.joinSupport.size()));
    for (const double value : support.joinSupport)
        section.writeDouble(value);
    // The replicates' trees, packed: leaf orders and splits, little-endian.
    std::vector<qint32> trees(support.replicateLeaves);
    trees.insert(trees.end(), support.replicateSplits.begin(), support.replicateSplits.end());
    QByteArray bytes(qsizetype(trees.size()) * 4, Qt::Uninitialized);
    qToLittleEndian<qint32>(trees.data(), qsizetype(trees.size()), bytes.data());
    section.writeBytes(packedSection(bytes, 6));
}

// Every run of `per` values holds each of first to first + per - 1 once.
bool arePermutations(const qint32 *values, std::size_t runs, int per, int first)
{
    std::vector<bool> seen(static_cast<std::size_t>(per));
    for (std::size_t run = 0; run < runs; ++run) {
        std::fill(seen.begin(), seen.end(), false);
        for (int i = 0; i < per; ++i) {
            const qint64 at = qint64(values[run * std::size_t(per) + std::size_t(i)]) - first;
            if (at < 0 || at >= per || seen[std::size_t(at)])
                return false;
            seen[std::size_t(at)] = true;
        }
    }
    return true;
}

std::optional<TreeSupport> readTreeSupport(ArchiveReader &section, int itemCount)
{
    TreeSupport support;
    support.seed = readSeed(section);
    support.replicates = section.readInt32();
    const quint32 joins = section.readUInt32();
    if (!section.ok() || itemCount < 2 || support.replicates < 1 || support.replicates > mostRuns
        || qint64(joins) != itemCount - 1 || qint64(joins) * 8 > section.remaining())
        return std::nullopt;
    for (quint32 j = 0; j < joins; ++j) {
        const double value = section.readDouble();
        if (!(value >= 0.0 && value <= 100.0))
            return std::nullopt;
        support.joinSupport.push_back(value);
    }
    const std::optional<QByteArray> bytes = unpackedSection(section);
    const std::size_t replicates = std::size_t(support.replicates);
    const std::size_t leaves = replicates * std::size_t(itemCount);
    const std::size_t splits = replicates * std::size_t(itemCount - 1);
    if (!bytes || std::size_t(bytes->size()) != (leaves + splits) * 4)
        return std::nullopt;
    std::vector<qint32> trees(leaves + splits);
    qFromLittleEndian<qint32>(bytes->constData(), qsizetype(trees.size()), trees.data());
    if (!arePermutations(trees.data(), replicates, itemCount, 0)
        || !arePermutations(trees.data() + leaves, replicates, itemCount - 1, 1))
        return std::nullopt;
    support.replicateLeaves.assign(trees.begin(), trees.begin() + std::ptrdiff_t(leaves));
    support.replicateSplits.assign(trees.begin() + std::ptrdiff_t(leaves), trees.end());
    return support;
}

QByteArray folderSection(const QString &folder)
{
    ArchiveWriter section;
    section.writeString(folder);
    return section.bytes();
}

// One absolute folder, as an import or Analyse Again names it.
std::optional<QString> readFolder(ArchiveReader &section)
{
    QString folder = section.readString();
    if (!section.ok() || section.remaining() != 0 || folder.isEmpty() || QFileInfo(folder).isRelative())
        return std::nullopt;
    return folder;
}

// The view switch, then each result behind a switch of its own; the replicates' trees,
// packed, come last.
QByteArray resamplingSection(const Document &document)
{
    ArchiveWriter section;
    section.writeInt32(document.settings().showJoinSupport ? 1 : 0);
    section.writeInt32(document.adequacy() ? 1 : 0);
    if (document.adequacy())
        writeAdequacy(section, *document.adequacy());
    section.writeInt32(document.treeSupport() ? 1 : 0);
    if (document.treeSupport())
        writeTreeSupport(section, *document.treeSupport());
    return section.bytes();
}

bool readResampling(ArchiveReader &section, int itemCount, DocumentExtensions &read)
{
    const qsizetype counted = read.sorts ? countedParticipants(*read.sorts) : 0;
    const std::optional<bool> showJoinSupport = readSwitch(section);
    const std::optional<bool> hasAdequacy = readSwitch(section);
    if (!showJoinSupport || !hasAdequacy)
        return false;
    read.view.showJoinSupport = *showJoinSupport;
    if (*hasAdequacy) {
        read.adequacy = readAdequacy(section, counted);
        if (!read.adequacy)
            return false;
    }
    const std::optional<bool> hasSupport = readSwitch(section);
    if (!hasSupport)
        return false;
    if (*hasSupport) {
        read.treeSupport = readTreeSupport(section, itemCount);
        if (!read.treeSupport)
            return false;
    }
    return section.ok() && section.remaining() == 0;
}

// A section that may stand in a block once: false when it came before or is damaged.
template <typename T, typename Read> bool readOnce(std::unique_ptr<T> &into, Read read)
{
    if (into)
        return false;
    into = read();
    return into != nullptr;
}

bool readSwitchOnce(ArchiveReader &section, bool &seen, bool &setting)
{
    const std::optional<bool> on = readSwitchSection(section);
    if (seen || !on)
        return false;
    seen = true;
    setting = *on;
    return true;
}

void writeSection(ArchiveWriter &archive, Section tag, const QByteArray &section)
{
    archive.writeUInt32(quint32(tag));
    archive.writeUInt32(quint32(section.size()));
    archive.writeBytes(section);
}

} // namespace

void writeExtensionBlock(ArchiveWriter &archive, const Document &document)
{
    // A document with nothing to add is written as the format alone, and a setting as a
    // document without its section shows it needs no section.
    const ViewSettings unsaid;
    const bool scaleDiffers = document.settings().showSimilarityScale != unsaid.showSimilarityScale;
    const bool groupNamesDiffer = document.settings().showGroupNames != unsaid.showGroupNames;
    const bool standardised = !document.standardisation().isEmpty();
    const bool resampled =
        document.treeSupport() || document.adequacy() || document.settings().showJoinSupport != unsaid.showJoinSupport;
    if (!document.study().similarity && !document.study().sorts && !standardised && !scaleDiffers && !groupNamesDiffer
        && !resampled && document.study().leftOut.empty() && document.analysisFolder.isEmpty())
        return;
    std::vector<std::pair<Section, QByteArray>> sections;
    if (document.study().similarity)
        sections.emplace_back(Section::Similarity, similaritySection(*document.study().similarity));
    if (scaleDiffers)
        sections.emplace_back(Section::View, switchSection(document.settings().showSimilarityScale));
    if (document.study().sorts)
        sections.emplace_back(Section::Sorts, sortsSection(*document.study().sorts));
    if (standardised)
        sections.emplace_back(Section::Standardisation, standardisationSection(document.standardisation()));
    if (groupNamesDiffer)
        sections.emplace_back(Section::GroupNames, switchSection(document.settings().showGroupNames));
    if (!document.study().leftOut.empty())
        sections.emplace_back(Section::LeftOut, leftOutSection(document.study().leftOut));
    if (resampled)
        sections.emplace_back(Section::Resampling, resamplingSection(document));
    if (anyOtherLines(document.study().sorts ? &*document.study().sorts : nullptr))
        sections.emplace_back(Section::OtherLines, otherLinesSection(*document.study().sorts));
    if (!document.analysisFolder.isEmpty())
        sections.emplace_back(Section::AnalysisFolder, folderSection(document.analysisFolder));
    archive.writeString(blockName);
    archive.writeUInt32(blockVersion);
    ArchiveWriter contents;
    contents.writeUInt32(quint32(sections.size()));
    writeSection(archive, Section::Contents, contents.bytes());
    for (const auto &[tag, bytes] : sections)
        writeSection(archive, tag, bytes);
}

bool readExtensionBlock(ArchiveReader &archive, int itemCount, DocumentExtensions &extensions)
{
    if (archive.remaining() == 0)
        return archive.ok();
    if (archive.readString() != blockName || archive.readUInt32() != blockVersion || !archive.ok())
        return false;
    // Nothing writes a block without a section: one that holds none was cut short.
    if (archive.remaining() == 0)
        return false;
    DocumentExtensions read;
    bool viewRead = false;
    bool standardisationRead = false;
    bool groupNamesRead = false;
    std::optional<quint32> sectionsAnnounced;
    quint32 sectionsRead = 0;
    std::optional<QByteArrayView> otherLines;
    std::optional<QByteArrayView> resampling;
    while (archive.ok() && archive.remaining() > 0) {
        const quint32 tag = archive.readUInt32();
        const quint32 length = archive.readUInt32();
        const QByteArrayView bytes = archive.readBytes(qsizetype(length));
        if (!archive.ok())
            return false;
        ArchiveReader section(bytes);
        if (Section(tag) == Section::Contents) {
            if (sectionsRead > 0 || sectionsAnnounced)
                return false;
            sectionsAnnounced = section.readUInt32();
            if (!section.ok() || section.remaining() != 0)
                return false;
            continue;
        }
        ++sectionsRead;
        switch (Section(tag)) {
        case Section::Similarity:
            if (!readOnce(read.similarity, [&] { return readSimilarity(section, itemCount); }))
                return false;
            break;
        case Section::View:
            if (!readSwitchOnce(section, viewRead, read.view.showSimilarityScale))
                return false;
            break;
        case Section::Sorts:
            if (!readOnce(read.sorts, [&] { return readSorts(section, itemCount); }))
                return false;
            break;
        case Section::Standardisation: {
            std::optional<Standardisation> standardisation = readStandardisation(section);
            if (standardisationRead || !standardisation)
                return false;
            standardisationRead = true;
            read.standardisation = std::move(*standardisation);
            break;
        }
        case Section::GroupNames:
            if (!readSwitchOnce(section, groupNamesRead, read.view.showGroupNames))
                return false;
            break;
        case Section::LeftOut: {
            std::optional<std::vector<qint32>> leftOut = readLeftOut(section);
            if (!read.leftOut.empty() || !leftOut)
                return false;
            read.leftOut = std::move(*leftOut);
            break;
        }
        case Section::OtherLines:
            // Read once the sorts it belongs to are.
            if (otherLines)
                return false;
            otherLines = bytes;
            break;
        case Section::AnalysisFolder: {
            std::optional<QString> folder = readFolder(section);
            if (!read.analysisFolder.isEmpty() || !folder)
                return false;
            read.analysisFolder = std::move(*folder);
            break;
        }
        case Section::Resampling:
            // Read once the sorts, which bound its counts, are.
            if (resampling)
                return false;
            resampling = bytes;
            break;
        default:
            // A later program's section: skipped whole.
            break;
        }
    }
    if ((sectionsAnnounced && *sectionsAnnounced != sectionsRead) || !fitsTheSorts(read.leftOut, read.sorts.get()))
        return false;
    if (otherLines) {
        ArchiveReader section(*otherLines);
        if (!readOtherLines(section, read.sorts.get()))
            return false;
    }
    if (resampling) {
        ArchiveReader section(*resampling);
        if (!readResampling(section, itemCount, read))
            return false;
    }
    extensions = std::move(read);
    return archive.ok();
}

} // namespace sortana
