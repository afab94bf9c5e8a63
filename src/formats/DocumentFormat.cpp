// The document file: the study and its settings as one flat run of typed fields, and after
// them the program's own extension block.
#include "document/Document.h"

#include "formats/Archive.h"
#include "formats/ExtensionBlock.h"
#include "study/ClusterTree.h"
#include "study/PairMatrix.h"

#include "analysis/SortsRecords.h"
#include <QSignalBlocker>

#include <optional>

namespace sortana {

namespace {

const QString currentVersion = QStringLiteral("KLUS-1-1");
const QString firstVersion = QStringLiteral("KLUS-1-0");
constexpr qsizetype nodeRecordBytes = 18;

struct NodeRecord {
    double similarity = 0.0;
    qint32 leftItem = 0;
    qint32 rightItem = 0;
    bool hasLeft = false;
    bool hasRight = false;
    qsizetype leftChild = -1;
    qsizetype rightChild = -1;
};

void writeNode(ArchiveWriter &archive, const ClusterNode &node)
{
    archive.writeDouble(node.similarity);
    archive.writeInt32(node.leftItem);
    archive.writeInt32(node.rightItem);
    archive.writeFlag(node.left != nullptr);
    archive.writeFlag(node.right != nullptr);
}

// Depth first, a node before its left and then its right subtree; a tree is as deep as it
// has items, so the walk keeps its own stack.
void writeTree(ArchiveWriter &archive, const ClusterNode *root)
{
    std::vector<const ClusterNode *> pending{root};
    while (!pending.empty()) {
        const ClusterNode *node = pending.back();
        pending.pop_back();
        writeNode(archive, *node);
        if (node->right)
            pending.push_back(node->right);
        if (node->left)
            pending.push_back(node->left);
    }
}

NodeRecord readNode(ArchiveReader &archive)
{
    NodeRecord record;
    record.similarity = archive.readDouble();
    record.leftItem = archive.readInt32();
    record.rightItem = archive.readInt32();
    record.hasLeft = archive.readFlag();
    record.hasRight = archive.readFlag();
    return record;
}

// The records of a tree over n items, or nothing when the file holds anything but exactly
// n - 1 well-formed records in which every item is a leaf exactly once.
std::optional<std::vector<NodeRecord>> readTree(ArchiveReader &archive, qint32 n)
{
    const qsizetype expected = qsizetype(n) - 1;
    if (archive.remaining() / nodeRecordBytes < expected)
        return std::nullopt;
    std::vector<NodeRecord> records;
    records.reserve(static_cast<size_t>(expected));
    struct Pending {
        qsizetype index;
        bool left;
        bool right;
    };
    std::vector<Pending> pending;
    const auto take = [&]() -> qsizetype {
        records.push_back(readNode(archive));
        pending.push_back({qsizetype(records.size()) - 1, records.back().hasLeft, records.back().hasRight});
        return qsizetype(records.size()) - 1;
    };
    take();
    while (!pending.empty() && archive.ok() && qsizetype(records.size()) <= expected) {
        Pending &top = pending.back();
        const qsizetype parent = top.index;
        if (top.left) {
            top.left = false;
            if (qsizetype(records.size()) == expected)
                return std::nullopt;
            records[static_cast<size_t>(parent)].leftChild = take();
        } else if (top.right) {
            top.right = false;
            if (qsizetype(records.size()) == expected)
                return std::nullopt;
            records[static_cast<size_t>(parent)].rightChild = take();
        } else {
            pending.pop_back();
        }
    }
    if (!archive.ok() || !pending.empty() || qsizetype(records.size()) != expected)
        return std::nullopt;

    std::vector<bool> isLeaf(static_cast<size_t>(n), false);
    for (const NodeRecord &record : records) {
        for (const auto &[item, isNode] :
             {std::pair{record.leftItem, record.hasLeft}, std::pair{record.rightItem, record.hasRight}}) {
            if (item < 0 || item >= n)
                return std::nullopt;
            if (!isNode) {
                if (isLeaf[static_cast<size_t>(item)])
                    return std::nullopt;
                isLeaf[static_cast<size_t>(item)] = true;
            }
        }
    }
    return records;
}

// The tree of records that readTree() took: the first is the root.
std::shared_ptr<const ClusterTree> buildTree(const std::vector<NodeRecord> &records)
{
    auto tree = std::make_shared<ClusterTree>();
    std::vector<ClusterNode *> nodes;
    nodes.reserve(records.size());
    for (const NodeRecord &record : records)
        nodes.push_back(
            &tree->add(ClusterNode{nullptr, nullptr, record.similarity, record.leftItem, record.rightItem}));
    for (size_t k = 0; k < records.size(); ++k) {
        if (records[k].leftChild >= 0)
            nodes[k]->left = nodes[static_cast<size_t>(records[k].leftChild)];
        if (records[k].rightChild >= 0)
            nodes[k]->right = nodes[static_cast<size_t>(records[k].rightChild)];
    }
    tree->setRoot(nodes.front());
    return tree;
}

} // namespace

void Document::serialize(ArchiveWriter &archive) const
{
    const Study &study = *m_study;
    const Settings &settings = m_settings;
    archive.writeString(currentVersion);
    archive.writeInt32(study.participantCount);
    archive.writeInt32(study.summary.useFit ? 1 : 0);
    archive.writeInt32(settings.numberOfGroups);
    archive.writeInt32(study.itemCount);
    archive.writeCount(static_cast<quint32>(study.itemNames.size()));
    for (const QString &name : study.itemNames)
        archive.writeString(name);
    for (qint32 k = 0; k < study.itemCount; ++k)
        archive.writeDouble(study.itemAverageFit[static_cast<size_t>(k)]);
    writeTree(archive, study.clusterRoot());
    archive.writeString(settings.fontName);
    archive.writeInt32(settings.fontSize);
    archive.writeInt32(settings.numberOfGroups);
    archive.writeUInt32(settings.colour1);
    archive.writeUInt32(settings.colour2);
    archive.writeInt32(drawingSize.cx);
    archive.writeInt32(drawingSize.cy);
    const StudySummary &s = study.summary;
    archive.writeString(s.fileName);
    for (const qint32 value :
         {s.fileType, qint32(s.hasFitData), qint32(s.hasSubGroups), qint32(s.useExpert), qint32(s.useSubGroups),
          qint32(s.useFit), s.copiesPerParticipant, s.itemCount, s.lineCount, s.groupCount})
        archive.writeInt32(value);
    archive.writeInt32(s.participantCount);
    writeExtensionBlock(archive, *this);
}

bool Document::serialize(ArchiveReader &archive)
{
    // Everything is read and checked before the document changes, so a damaged file
    // leaves it as it was.
    auto study = std::make_shared<Study>();
    const QString version = archive.readString();
    const qint32 participants = archive.readInt32();
    StudySummary &loaded = study->summary;
    loaded.useFit = archive.readInt32() != 0;
    archive.readInt32(); // the first copy of the number of groups; the second one counts
    const qint32 n = archive.readInt32();
    // Every name takes at least one byte, every mean fit eight and every node record
    // eighteen: a count the rest of the file cannot hold is refused before anything is
    // sized by it. No import gives more items than a pair matrix can hold.
    const qint64 leastBytes = qint64(n) * (1 + qint64(sizeof(double)) + nodeRecordBytes) - nodeRecordBytes;
    if (n < 2 || n > PairMatrix::maxItems || archive.readCount() != quint32(n) || archive.remaining() < leastBytes)
        return false;
    QStringList &names = study->itemNames;
    names.reserve(n);
    for (qint32 k = 0; k < n && archive.ok(); ++k)
        names.append(archive.readString());
    if (archive.remaining() / qsizetype(sizeof(double)) < n)
        return false;
    std::vector<double> &means = study->itemAverageFit;
    means.resize(static_cast<size_t>(n));
    for (double &mean : means)
        mean = archive.readDouble();
    const std::optional<std::vector<NodeRecord>> tree = readTree(archive, n);
    if (!tree)
        return false;

    Settings settings;
    settings.fontName = archive.readString();
    settings.fontSize = archive.readInt32();
    settings.numberOfGroups = archive.readInt32();
    settings.colour1 = archive.readUInt32();
    settings.colour2 = archive.readUInt32();
    DrawingSize drawing;
    drawing.cx = archive.readInt32();
    drawing.cy = archive.readInt32();
    if (version != firstVersion) {
        StudySummary &s = loaded;
        s.fileName = archive.readString();
        s.fileType = archive.readInt32();
        s.hasFitData = archive.readInt32() != 0;
        s.hasSubGroups = archive.readInt32() != 0;
        s.useExpert = archive.readInt32() != 0;
        s.useSubGroups = archive.readInt32() != 0;
        s.useFit = archive.readInt32() != 0;
        s.copiesPerParticipant = archive.readInt32();
        s.itemCount = archive.readInt32();
        s.lineCount = archive.readInt32();
        s.groupCount = archive.readInt32();
        s.participantCount = archive.readInt32();
        // No input has fewer than no participants; the counted ones are worked out from this.
        if (s.participantCount < 0)
            return false;
    }
    DocumentExtensions extensions;
    if (!archive.ok() || !readExtensionBlock(archive, n, extensions))
        return false;
    // The sub-group lines and the item lines that placed nothing the sorts stand for were
    // lines of the input: more than it had is damage, and would have a new analysis of the
    // sorts make them all.
    if (extensions.sorts) {
        qint64 lines = 0;
        for (const ParticipantSort &sort : extensions.sorts->participants)
            lines += SortsRecords::subGroupLineCount(sort) + sort.unplacedLines;
        if (lines > loaded.lineCount)
            return false;
    }

    study->participantCount = participants;
    if (extensions.similarity)
        study->similarity = std::move(*extensions.similarity);
    if (extensions.sorts)
        study->sorts = std::move(*extensions.sorts);
    study->leftOut = std::move(extensions.leftOut);
    study->itemCount = n;
    study->totalGroups = 0;
    study->clusterTree = buildTree(*tree);
    settings.showSimilarityScale = extensions.view.showSimilarityScale;
    settings.showGroupNames = extensions.view.showGroupNames;
    settings.showJoinSupport = extensions.view.showJoinSupport;

    QSignalBlocker quiet(this);
    setStudy(std::move(study), false);
    m_settings = settings;
    m_standardisation = std::move(extensions.standardisation);
    m_figures.reset();
    m_treeSupport = std::move(extensions.treeSupport);
    m_adequacy = std::move(extensions.adequacy);
    analysisFolder = std::move(extensions.analysisFolder);
    drawingSize = drawing;
    quiet.unblock();
    emit studyChanged();
    return true;
}

} // namespace sortana
