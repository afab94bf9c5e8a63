// Feeds arbitrary bytes to the workbook reader as a workbook file in a scratch folder. Besides
// the sanitizers it aborts when a refusal leaves rows or says nothing, or when a cell comes out
// as the study could not take it (line breaks inside, white space at either end).
#include "formats/WorkbookReader.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

[[noreturn]] void broken(const char *what)
{
    std::fprintf(stderr, "fuzz_workbook: %s\n", what);
    std::abort();
}

// One file for the whole session, in memory when the system offers it. The name sits in a
// plain buffer because the exit handler runs after the static strings are gone.
char scratchFile[64];

void removeScratchFile() { unlink(scratchFile); }

const QString &inputPath()
{
    static const QString path = [] {
        std::snprintf(scratchFile, sizeof scratchFile, "%s/sortana-fuzz-workbook-XXXXXX",
                      access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp");
        const int descriptor = mkstemp(scratchFile);
        if (descriptor < 0)
            broken("cannot create the scratch file");
        close(descriptor);
        std::atexit(removeScratchFile);
        return QString::fromLocal8Bit(scratchFile);
    }();
    return path;
}

void writeInput(const std::uint8_t *data, std::size_t size)
{
    std::FILE *file = std::fopen(scratchFile, "wb");
    if (!file || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0)
        broken("cannot write the input file");
}

void check(bool read, const sortana::Table &table, const QString &error)
{
    if (!read) {
        if (error.isEmpty() || !table.rows.empty())
            broken("a refused workbook left rows or no message");
        return;
    }
    for (const QStringList &row : table.rows)
        for (const QString &cell : row)
            if (cell.contains(u'\n') || cell.contains(u'\r') || cell != cell.trimmed())
                broken("a cell was not normalised");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString &path = inputPath();
    writeInput(data, size);
    // The first sheet, and one by name or number, which goes through the sheet list again.
    for (const QString &sheet : {QString(), QStringLiteral("2")}) {
        sortana::Table table;
        QString error;
        const bool read = sortana::readWorkbook(path, sheet, table, error);
        check(read, table, error);
    }
    return 0;
}
