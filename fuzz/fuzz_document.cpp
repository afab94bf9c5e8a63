// Feeds arbitrary bytes to the document loader. Beyond the sanitizers it holds the loader to
// what the rest of the program relies on: a refused file changes nothing and leaves no tree
// behind, a loaded tree names every item exactly once, and what was loaded saves and loads
// back to the same bytes.
#include "analysis/LeafOrder.h"
#include "document/Document.h"
#include "formats/Archive.h"
#include "study/ClusterTree.h"

#include <QByteArray>
#include <QByteArrayView>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

[[noreturn]] void broken(const char *what)
{
    std::fprintf(stderr, "fuzz_document: %s\n", what);
    std::abort();
}

void checkUntouched(const sortana::Document &doc)
{
    const sortana::Document fresh;
    if (doc.hasStudy() || doc.clusterRoot())
        broken("a refused file left a study in the document");
    if (!(doc.settings() == fresh.settings()) || !(doc.drawingSize == fresh.drawingSize))
        broken("a refused file changed the document's settings");
    if (sortana::ClusterTree::liveNodes() != 0)
        broken("a refused file left a tree behind");
}

void checkLoaded(const sortana::Document &doc)
{
    if (!doc.hasStudy() || !doc.clusterRoot())
        broken("a loaded document lacks part of its study");
    const auto n = static_cast<std::size_t>(doc.study().itemCount);
    if (doc.study().itemCount < 2 || std::size_t(doc.study().itemNames.size()) != n
        || doc.study().itemAverageFit.size() != n)
        broken("item count, names and mean fits disagree");
    if (doc.study().clusterTree->nodeCount() != n - 1)
        broken("a tree over n items does not have n - 1 nodes");

    const std::vector<int> order = sortana::LeafOrder(doc.study().clusterRoot());
    if (order.size() != n)
        broken("the tree does not have one leaf per item");
    std::vector<bool> seen(n, false);
    for (const int item : order) {
        if (item < 0 || std::size_t(item) >= n)
            broken("a leaf names an item outside the study");
        if (seen[std::size_t(item)])
            broken("a leaf names an item twice");
        seen[std::size_t(item)] = true;
    }
}

// Loading normalises (flags become 0 or 1, 8-bit text becomes tagged UTF-16, the oldest
// version gains the summary fields), so the input itself need not come back; but what the
// program saves must load, and save again unchanged.
void checkRoundTrip(const sortana::Document &doc)
{
    sortana::ArchiveWriter first;
    doc.serialize(first);
    sortana::ArchiveReader reader(first.bytes());
    sortana::Document reloaded;
    if (!reloaded.serialize(reader))
        broken("a saved document does not load");
    sortana::ArchiveWriter second;
    reloaded.serialize(second);
    if (second.bytes() != first.bytes())
        broken("a saved document saves differently after loading");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    sortana::ArchiveReader reader(QByteArrayView(data, qsizetype(size)));
    sortana::Document doc;
    if (doc.serialize(reader)) {
        checkLoaded(doc);
        checkRoundTrip(doc);
    } else {
        checkUntouched(doc);
    }
    return 0;
}
