// Feeds arbitrary bytes to the raw data reader as a whole import does it: survey, read,
// cluster, export and the document, with the analysis files written next to the input in a
// scratch folder.
// The last byte of the input also picks the import options, so the expert, copies and
// cancelled-warning paths get explored along with the text itself.
#include "analysis/LeafOrder.h"
#include "document/Document.h"
#include "formats/Archive.h"
#include "support/ScriptedPlatform.h"
#include "tasks/ImportRun.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <vector>

namespace {

// Larger inputs and studies add nothing the fuzzer cannot reach with small ones, and the
// n x n matrices would make every run slow.
constexpr std::size_t maxInputBytes = 64 * 1024;
constexpr int maxItems = 300;

[[noreturn]] void broken(const char *what)
{
    std::fprintf(stderr, "fuzz_reader: %s\n", what);
    std::abort();
}

// One folder for the whole session, in memory when the system offers it; the input and its
// five analysis files are overwritten by every run. The name sits in a plain buffer because
// the exit handler runs after the static strings are gone.
char scratchFolder[64];

void removeScratchFolder()
{
    for (const char *file : {"input.txt", "input-Cards.csv", "input-Items.csv", "input-Participants.csv",
                             "input-Matrix.csv", "input-WeightedMatrix.csv"}) {
        char path[128];
        std::snprintf(path, sizeof path, "%s/%s", scratchFolder, file);
        unlink(path);
    }
    rmdir(scratchFolder);
}

const QString &inputPath()
{
    static const QString path = [] {
        std::snprintf(scratchFolder, sizeof scratchFolder, "%s/sortana-fuzz-reader-XXXXXX",
                      access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp");
        if (!mkdtemp(scratchFolder))
            broken("cannot create the scratch folder");
        std::atexit(removeScratchFolder);
        return QString::fromLocal8Bit(scratchFolder) + QStringLiteral("/input.txt");
    }();
    return path;
}

void writeInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray path = inputPath().toLocal8Bit();
    std::FILE *file = std::fopen(path.constData(), "wb");
    if (!file || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0)
        broken("cannot write the input file");
}

void checkLeafOrder(const std::vector<int> &order, int n)
{
    if (order.size() != std::size_t(n))
        broken("the dendrogram does not have one leaf per item");
    std::vector<bool> seen(std::size_t(n), false);
    for (const int item : order) {
        if (item < 0 || item >= n || seen[std::size_t(item)])
            broken("the dendrogram names an item twice or one outside the study");
        seen[std::size_t(item)] = true;
    }
}

// Whatever an import produces, the user can save, and the saved file opens as the same study.
void checkSavedDocumentLoads(const sortana::Document &imported)
{
    sortana::ArchiveWriter writer;
    imported.serialize(writer);
    sortana::ArchiveReader reader(writer.bytes());
    sortana::Document loaded;
    if (!loaded.serialize(reader))
        broken("the document of an import does not load");
    if (loaded.study().itemCount != imported.study().itemCount || loaded.study().itemNames != imported.study().itemNames
        || loaded.study().itemAverageFit != imported.study().itemAverageFit
        || sortana::LeafOrder(loaded.clusterRoot()) != sortana::LeafOrder(imported.clusterRoot()))
        broken("the document of an import loads as a different study");
}

void import(const std::uint8_t *data, std::size_t size)
{
    const QString &path = inputPath();
    writeInput(data, size);

    // A newline, the usual last byte, picks the defaults: no expert, one copy, warnings OK.
    const unsigned options = size > 0 ? (data[size - 1] ^ 0x0Au) : 0u;

    // The steps of the import wizard and sortana-cli import.
    sortana::ScriptedPlatform platform;
    if (options & 0x20u)
        platform.script({sortana::MessageAnswer::Cancel});
    sortana::ImportRun run(platform);
    if (!run.chooseInput(path) || run.summary().itemCount > maxItems)
        return;
    sortana::StudySummary &summary = run.summary();
    summary.useExpert = (options & 0x10u) != 0 && summary.participantCount >= 2;
    summary.copiesPerParticipant = 1 + int(options & 0x0Fu) % 10;
    if (!run.checkOptions())
        broken("options chosen within their limits were refused");
    if (!run.finish())
        return;
    checkLeafOrder(sortana::LeafOrder(run.clusterAnalysis().root()), run.itemCount());

    sortana::Document document;
    completeImport(document, run);
    checkSavedDocumentLoads(document);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size > maxInputBytes)
        return -1; // kept out of the corpus
    import(data, size);
    return 0;
}
