#pragma once

#include <QString>

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
    // The number of the dendrogram's groups for --groups; unset, the document's own.
    std::optional<int> groupCount;
};

// Writes the categories, placements and group names of a document, and its participants'
// checks and distances, as CSV files. Returns the
// exit status: 0 written, 1 when the document could not be loaded, was saved without the
// participants' sorts or a file could not be written, 2 when an output would replace the
// document or another output.
int runExport(const ExportOptions &options, Platform &platform);

} // namespace sortana
