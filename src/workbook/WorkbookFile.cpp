#include "workbook/WorkbookFile.h"

#include "document/WorkbookSheets.h"
#include "workbook/WorkbookWriter.h"

namespace sortana {

bool saveWorkbook(const CSortanaMdiDoc &document, const QString &path, const ResamplingProgress &progress,
                  QString &error)
{
    WorkbookWriter writer(path, largestWorkbookSheet(document));
    const bool built = buildWorkbookSheets(
        document, [&](WorkbookSheet &&sheet) { return writer.add(sheet); }, progress, error);
    if (built && writer.commit())
        return true;
    if (error.isEmpty())
        error = writer.error();
    return false;
}

} // namespace sortana
