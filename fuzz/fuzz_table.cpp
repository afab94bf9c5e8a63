// Feeds arbitrary bytes to the table reader as a CSV or TSV file from another card-sort tool,
// then maps it as a long and as a wide table. Besides the sanitizers it aborts when a mapped
// study places a card that is not one of its items.
#include "formats/DelimitedText.h"
#include "formats/TableStudy.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void broken(const char *what)
{
    std::fprintf(stderr, "fuzz_table: %s\n", what);
    std::abort();
}

void checkRecords(const sortana::TableRecords &records)
{
    int items = 0;
    bool participantsBegun = false;
    for (const sortana::TableRecords::Entry &entry : records.entries) {
        if (entry.kind == sortana::RecordKind::Participant)
            participantsBegun = true;
        if (entry.kind != sortana::RecordKind::Item)
            continue;
        if (!participantsBegun) {
            ++items;
            continue;
        }
        bool number = false;
        const int item = entry.value.toInt(&number);
        if (!number || item < 1 || item > items)
            broken("a card placed is not one of the study's items");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // Bigger inputs reach nothing new and only slow the search down.
    if (size > 256 * 1024)
        return -1;
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const bool tsv = size > 0 && (data[0] & 1u) != 0;
    const sortana::Table table = sortana::parseDelimitedText(bytes, tsv);
    for (const auto layout : {sortana::TableOptions::Layout::Auto, sortana::TableOptions::Layout::Long,
                              sortana::TableOptions::Layout::Wide}) {
        sortana::TableOptions options;
        options.layout = layout;
        sortana::TableRecords records;
        QString error;
        if (sortana::mapTable(table, options, records, error))
            checkRecords(records);
        (void)sortana::rawDataOf(records);
    }
    return 0;
}
