#include "document/ExtensionBlock.h"

#include "document/Archive.h"
#include "document/CSortanaMdiDoc.h"

#include <QtEndian>

#include <algorithm>
#include <optional>

namespace sortana {

namespace {

const QString blockName = QStringLiteral("SORTANA-EXTENSIONS");
constexpr quint32 blockVersion = 1;

enum class Section : quint32 {
    Similarity = 1,   // the pair matrix, its counted participants and copies
    View = 2,         // how the document is shown: the similarity scale on or off
    Sorts = 3,        // every participant's sort, packed
    Standardisation = 4,  // the standard names of group names
    GroupNames = 5,   // the dendrogram's suggested group names on or off
    // First, when there: how many sections follow it. A block cut between two sections is
    // otherwise well formed; older programs wrote none and skip it.
    Contents = 6,
    LeftOut = 7,      // the participants the study leaves out, as indexes into the sorts
    // 8 holds the resampled support of the tree.
    UnplacedLines = 9, // per participant of the sorts, the item lines that placed no card
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

bool fitsTheSorts(const std::vector<qint32> &leftOut, const StudySorts *sorts)
{
    if (leftOut.empty())
        return true;
    if (!sorts || leftOut.front() < 0 || size_t(leftOut.back()) >= sorts->participants.size())
        return false;
    qsizetype counted = 0;
    for (const ParticipantSort &sort : sorts->participants)
        counted += sort.counted ? 1 : 0;
    return qsizetype(leftOut.size()) < counted
        && std::all_of(leftOut.begin(), leftOut.end(),
                       [&](qint32 index) { return sorts->participants[size_t(index)].counted; });
}

bool anyUnplacedLines(const StudySorts *sorts)
{
    return sorts && std::any_of(sorts->participants.begin(), sorts->participants.end(),
                                [](const ParticipantSort &sort) { return sort.unplacedLines != 0; });
}

QByteArray unplacedLinesSection(const StudySorts &sorts)
{
    ArchiveWriter section;
    section.writeUInt32(quint32(sorts.participants.size()));
    for (const ParticipantSort &sort : sorts.participants)
        section.writeInt32(sort.unplacedLines);
    return section.bytes();
}

std::optional<std::vector<qint32>> readUnplacedLines(ArchiveReader &section)
{
    const quint32 count = section.readUInt32();
    if (!section.ok() || qint64(count) * 4 != section.remaining())
        return std::nullopt;
    std::vector<qint32> lines(count);
    for (qint32 &line : lines) {
        line = section.readInt32();
        if (line < 0)
            return std::nullopt;
    }
    return section.ok() ? std::optional(std::move(lines)) : std::nullopt;
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


// A section that may stand in a block once: false when it came before or is damaged.
template <typename T, typename Read>
bool readOnce(std::unique_ptr<T> &into, Read read)
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

void writeExtensionBlock(ArchiveWriter &archive, const CSortanaMdiDoc &document)
{
    // A document with nothing to add is written as the format alone, and a setting as a
    // document without its section shows it needs no section.
    const ViewSettings unsaid;
    const bool scaleDiffers = document.showSimilarityScale != unsaid.showSimilarityScale;
    const bool groupNamesDiffer = document.showGroupNames != unsaid.showGroupNames;
    const bool standardised = !document.standardisation.isEmpty();
    if (!document.similarity && !document.sorts && !standardised && !scaleDiffers && !groupNamesDiffer
        && document.leftOut.empty())
        return;
    std::vector<std::pair<Section, QByteArray>> sections;
    if (document.similarity)
        sections.emplace_back(Section::Similarity, similaritySection(*document.similarity));
    if (scaleDiffers)
        sections.emplace_back(Section::View, switchSection(document.showSimilarityScale));
    if (document.sorts)
        sections.emplace_back(Section::Sorts, sortsSection(*document.sorts));
    if (standardised)
        sections.emplace_back(Section::Standardisation, standardisationSection(document.standardisation));
    if (groupNamesDiffer)
        sections.emplace_back(Section::GroupNames, switchSection(document.showGroupNames));
    if (!document.leftOut.empty())
        sections.emplace_back(Section::LeftOut, leftOutSection(document.leftOut));
    if (anyUnplacedLines(document.sorts.get()))
        sections.emplace_back(Section::UnplacedLines, unplacedLinesSection(*document.sorts));
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
    std::optional<std::vector<qint32>> unplacedLines;
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
        case Section::UnplacedLines: {
            std::optional<std::vector<qint32>> lines = readUnplacedLines(section);
            if (unplacedLines || !lines)
                return false;
            unplacedLines = std::move(lines);
            break;
        }
        default:
            // A later program's section: skipped whole.
            break;
        }
    }
    if ((sectionsAnnounced && *sectionsAnnounced != sectionsRead) || !fitsTheSorts(read.leftOut, read.sorts.get()))
        return false;
    if (unplacedLines) {
        // Written only beside the sorts, one count for each of their participants, not all 0.
        if (!read.sorts || unplacedLines->size() != read.sorts->participants.size())
            return false;
        for (size_t p = 0; p < unplacedLines->size(); ++p)
            read.sorts->participants[p].unplacedLines = (*unplacedLines)[p];
        if (!anyUnplacedLines(read.sorts.get()))
            return false;
    }
    extensions = std::move(read);
    return archive.ok();
}

} // namespace sortana
