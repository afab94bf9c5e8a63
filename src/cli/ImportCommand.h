#pragma once

#include "formats/TableStudy.h"
#include "platform/ConsolePlatform.h"

#include <QString>

#include <optional>

namespace sortana {

// What the import command line asks for; what it leaves out the survey suggests.
struct ImportOptions {
    QString input;
    std::optional<bool> useFit;
    std::optional<bool> useSubGroups;
    bool useExpert = false;
    std::optional<int> copies;
    ConsolePlatform::WarningPolicy onWarning = ConsolePlatform::WarningPolicy::Continue;
    QString outputFolder;
    QString documentPath;
    QString picturePath;
    // A standardisation file (original,standard) kept in the document.
    QString standardPath;
    // Set when the input is to be read as a table this way.
    std::optional<TableOptions> table;
    // Participants to leave out: ids (every participant with the id) or #N (the N-th in the
    // file, from 1); and whether the flagged ones go too.
    QStringList exclude;
    bool excludeFlagged = false;
    // Whether the analysis files also get their UTF-8 copies for spreadsheets.
    bool utf8CsvCopies = false;
};

// sortana-cli import: survey, options, read, clustering and export of one raw data file or table.
// Returns the exit status: 0 done, 1 refused, failed or cancelled, 2 bad options.
int runImport(const ImportOptions &options);

} // namespace sortana
