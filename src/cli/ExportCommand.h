#pragma once

#include <QString>

#include <cstdio>
#include <optional>

namespace sortana {

class Platform;

// What sortana-cli export writes from a document: each output that has a path.
struct ExportOptions {
    QString documentPath;
    QString categoriesPath;
    QString placementsPath;
    QString groupsPath;
    QString participantsPath;
    QString distancesPath;
    QString workbookPath;
    // The number of the dendrogram's groups for --groups; unset, the document's own.
    std::optional<int> groupCount;
    // The resampling figures: each file that has a path, the cophenetic correlation on
    // standard output, and the runs' replicates, sub-samples and seed when given.
    QString supportPath;
    QString stabilityPath;
    QString adequacyPath;
    bool cophenetic = false;
    std::optional<int> replicates;
    std::optional<int> subsets;
    std::optional<quint64> seed;
};

// Writes the categories, placements and group names of a document, its participants' checks
// and distances, as CSV files, the workbook of it all, and the resampling figures (the
// cophenetic correlation to `out`, progress to `err`). Returns the exit status: 0 written, 1
// when the document could not be loaded, was saved without the participants' sorts or a file
// could not be written, 2 when an output would replace the document or another output.
int runExport(const ExportOptions &options, Platform &platform, std::FILE *out, std::FILE *err);

} // namespace sortana
