#include "document/ExtensionBlock.h"

#include "document/Archive.h"
#include "document/CSortanaMdiDoc.h"

#include <QtEndian>

#include <optional>

namespace sortana {

namespace {

const QString blockName = QStringLiteral("SORTANA-EXTENSIONS");
constexpr quint32 blockVersion = 1;

enum class Section : quint32 {
    Similarity = 1,   // the pair matrix, its counted participants and copies
    View = 2,         // how the document is shown: the similarity scale on or off
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

QByteArray similaritySection(const SimilarityData &similarity)
{
    ArchiveWriter section;
    section.writeInt32(similarity.itemCount());
    section.writeInt32(similarity.countedParticipants);
    section.writeInt32(similarity.copies);
    // The counts are small numbers in a large square: they pack well, and quickly at level 1.
    const QByteArray packed = qCompress(matrixCells(similarity.matrix), 1);
    section.writeUInt32(quint32(packed.size()));
    section.writeBytes(packed);
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
    const quint32 packedSize = section.readUInt32();
    if (!section.ok() || n != itemCount || similarity->countedParticipants < 0 || similarity->copies < 1
        || similarity->copies > 10 || packedSize < 4 || qint64(packedSize) != section.remaining())
        return nullptr;
    const QByteArrayView packed = section.readBytes(packedSize);
    const qint64 cellBytes = qint64(n) * n * 4;
    // qCompress puts the unpacked size first, big-endian.
    if (qFromBigEndian<quint32>(packed.data()) != quint64(cellBytes) || cellBytes > qint64(packedSize) * mostInflation)
        return nullptr;
    const QByteArray cells = qUncompress(reinterpret_cast<const uchar *>(packed.data()), packed.size());
    if (cells.size() != cellBytes || !similarity->matrix.allocate(n))
        return nullptr;
    qFromLittleEndian<qint32>(cells.constData(), qsizetype(n) * n, similarity->matrix.data());
    return isPlausible(*similarity) ? std::move(similarity) : nullptr;
}

// One int32, 0 or 1, for the similarity scale, and nothing more: a later setting gets a
// section of its own, so this one keeps its exact size.
std::optional<ViewSettings> readView(ArchiveReader &section)
{
    const qint32 scale = section.readInt32();
    if (!section.ok() || section.remaining() != 0 || (scale != 0 && scale != 1))
        return std::nullopt;
    return ViewSettings{scale == 1};
}

void writeSection(ArchiveWriter &archive, Section tag, const QByteArray &section)
{
    archive.writeUInt32(quint32(tag));
    archive.writeUInt32(quint32(section.size()));
    archive.writeBytes(section);
}

} // namespace

void writeExtensionBlock(ArchiveWriter &archive, const SimilarityData *similarity, const ViewSettings &view)
{
    // A document with nothing to add is written as the format alone, and a view as a
    // document without the section shows it needs no section.
    const bool viewDiffers = view != ViewSettings();
    if (!similarity && !viewDiffers)
        return;
    archive.writeString(blockName);
    archive.writeUInt32(blockVersion);
    if (similarity)
        writeSection(archive, Section::Similarity, similaritySection(*similarity));
    if (viewDiffers) {
        ArchiveWriter section;
        section.writeInt32(view.showSimilarityScale ? 1 : 0);
        writeSection(archive, Section::View, section.bytes());
    }
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
    while (archive.ok() && archive.remaining() > 0) {
        const quint32 tag = archive.readUInt32();
        const quint32 length = archive.readUInt32();
        const QByteArrayView bytes = archive.readBytes(qsizetype(length));
        if (!archive.ok())
            return false;
        ArchiveReader section(bytes);
        switch (Section(tag)) {
        case Section::Similarity:
            if (read.similarity)
                return false;
            read.similarity = readSimilarity(section, itemCount);
            if (!read.similarity)
                return false;
            break;
        case Section::View: {
            const std::optional<ViewSettings> view = readView(section);
            if (viewRead || !view)
                return false;
            viewRead = true;
            read.view = *view;
            break;
        }
        default:
            // A later program's section: skipped whole.
            break;
        }
    }
    extensions = std::move(read);
    return archive.ok();
}

} // namespace sortana
