#include "cli/StandardiseCommand.h"

#include "analysis/StandardisationFile.h"
#include "cli/CommandFiles.h"
#include "cli/ExitStatus.h"
#include "document/CSortanaMdiDoc.h"
#include "document/DocumentCategories.h"
#include "document/DocumentFile.h"
#include "platform/Platform.h"

namespace sortana {

int runStandardise(const QString &documentPath, const QString &mapPath, Platform &platform)
{
    CSortanaMdiDoc document;
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

} // namespace sortana
