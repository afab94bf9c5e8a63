#include "cli/StandardiseCommand.h"

#include "analysis/StandardisationSuggestions.h"
#include "cli/CommandFiles.h"
#include "cli/ExitStatus.h"
#include "document/Document.h"
#include "document/DocumentCategories.h"
#include "formats/StandardisationFile.h"
#include "platform/Platform.h"
#include "tasks/DocumentFile.h"

namespace sortana {

namespace {

// The document's categories; nothing after telling the user.
std::optional<CategoryTable> categoriesOf(Document &document, const QString &documentPath, Platform &platform)
{
    if (!openStudyDocument(document, documentPath, platform))
        return std::nullopt;
    std::optional<CategoryTable> table = documentCategories(document);
    if (!table)
        platform.error(QString::fromUtf16(sortsMissingMessage));
    return table;
}

} // namespace

int runStandardise(const QString &documentPath, const QString &mapPath, Platform &platform)
{
    Document document;
    if (!openStudyDocument(document, documentPath, platform))
        return exitFailed;
    QString error;
    std::optional<Standardisation> standardisation = readStandardisationFile(mapPath, error);
    if (!standardisation) {
        platform.error(error);
        return exitFailed;
    }
    setStandardisation(document, std::move(*standardisation));
    return saveDocumentFile(document, documentPath, platform) ? exitSuccess : exitFailed;
}

int runSuggestMerges(const QString &documentPath, Platform &platform, std::FILE *out)
{
    Document document;
    const std::optional<CategoryTable> table = categoriesOf(document, documentPath, platform);
    if (!table)
        return exitFailed;
    const QByteArray csv = standardisationCsv(suggestionRows(*table, suggestMerges(*table)));
    std::fwrite(csv.constData(), 1, std::size_t(csv.size()), out);
    return std::fflush(out) == 0 ? exitSuccess : exitFailed;
}

int runExportStandardisation(const QString &documentPath, const QString &outPath, Platform &platform)
{
    if (const int refused = refuseOutputs({outPath}, documentPath, platform); refused != exitSuccess)
        return refused;
    Document document;
    const std::optional<CategoryTable> table = categoriesOf(document, documentPath, platform);
    if (!table)
        return exitFailed;
    const QByteArray csv = standardisationCsv(standardisationRows(*table, document.standardisation()));
    return writeOutputFile(outPath, csv, platform) ? exitSuccess : exitFailed;
}

} // namespace sortana
