#include "tasks/WorkbookFile.h"

#include "document/Document.h"
#include "formats/WorkbookWriter.h"
#include "platform/MessageText.h"
#include "platform/SafeFiles.h"
#include "tasks/LeaveOut.h"
#include "tasks/WorkbookSheets.h"

namespace sortana {

bool saveWorkbook(const Document &document, const QString &path, const Progress &progress, QString &error)
{
    // A file dialog takes any name typed: the document or its raw data would be lost.
    if (isSameFile(path, document.pathName)
        || (document.hasStudy() && isSameFile(path, leftOutFileNames(document, 0).inputPath))) {
        error = formatMessage(u"%s cannot be written over the document or its input", {path});
        return false;
    }
    WorkbookWriter writer(path, largestWorkbookSheet(document));
    // Closing the workbook zips it all, a step as long as a few sheets: the bar keeps one
    // step for it.
    qint64 steps = 0;
    Progress sheetProgress;
    if (progress) {
        sheetProgress = [&](qint64 done, qint64 total) {
            steps = total + 1;
            return progress(done, steps);
        };
    }
    const bool built = buildWorkbookSheets(
        document, [&](WorkbookSheet &&sheet) { return writer.add(sheet); }, sheetProgress, error);
    if (built && writer.commit()) {
        if (progress)
            progress(steps, steps);
        return true;
    }
    if (error.isEmpty())
        error = writer.error();
    return false;
}

} // namespace sortana
