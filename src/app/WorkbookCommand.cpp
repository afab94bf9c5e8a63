#include "app/WorkbookCommand.h"

#include "app/ResamplingCommands.h"
#include "document/Document.h"
#include "platform/Platform.h"
#include "tasks/WorkbookFile.h"
#include "tasks/WorkbookSheets.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

#include <new>

namespace sortana {

namespace {

// Below this many cells in the largest sheet the workbook is written before a progress bar
// would have shown.
constexpr qint64 progressCells = 100'000;

} // namespace

QString initialWorkbookPath(const Document &document)
{
    if (document.pathName.isEmpty())
        return document.title + QStringLiteral(".xlsx");
    const QFileInfo file(document.pathName);
    return file.dir().filePath(file.completeBaseName() + QStringLiteral(".xlsx"));
}

QString askWorkbookPath(QWidget *parent, const QString &initial)
{
    QFileDialog dialog(parent, QCoreApplication::translate("WorkbookCommand", "Export Workbook"), initial,
                       QCoreApplication::translate("WorkbookCommand", "Excel workbooks (*.xlsx)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("xlsx"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

bool exportWorkbook(const Document &document, const QString &path, Platform &platform, QWidget *parent)
{
    const QString notEnoughMemory =
        QCoreApplication::translate("WorkbookCommand", "There is not enough memory to write this workbook.");
    QString error;
    bool written = false;
    if (largestWorkbookSheet(document) < progressCells) {
        // Memory running out, here or on the threads of the participants' checks, is told as
        // the run with a bar tells it.
        try {
            const BusyCursor busy(platform);
            written = saveWorkbook(document, path, {}, error);
        } catch (const std::bad_alloc &) {
            error = notEnoughMemory;
        }
    } else {
        // The run reads a copy of its own: the figures it works out stay on its thread.
        const std::unique_ptr<Document> copy = document.copy();
        const RunOutcome outcome = runWithProgress(
            parent, QCoreApplication::translate("WorkbookCommand", "Export Workbook"),
            QCoreApplication::translate("WorkbookCommand", "Writing the workbook..."), [&](const Progress &progress) {
                written = saveWorkbook(*copy, path, progress, error);
                return written;
            });
        if (outcome == RunOutcome::Cancelled)
            return false;
        if (outcome == RunOutcome::Failed && error.isEmpty())
            error = notEnoughMemory;
    }
    if (!written)
        platform.fileFailure(error);
    return written;
}

} // namespace sortana
