#include "app/ReportCommands.h"

#include "app/ResamplingCommands.h"
#include "document/Document.h"
#include "formats/ReportWriters.h"
#include "platform/Platform.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>

namespace sortana {

namespace {

QString webPageFilter()
{
    return QCoreApplication::translate("ReportCommands", "Web Page (*.html *.htm)");
}

QString pdfFilter()
{
    return QCoreApplication::translate("ReportCommands", "PDF Document (*.pdf)");
}

// Message boxes cannot be shown from the writing thread: they are kept, answered OK (the
// writer only tells, it never asks), and shown once it is done.
class KeptMessages final : public Platform {
public:
    MessageAnswer messageBox(const QString &text, MessageIcon icon, MessageButtons buttons) override
    {
        m_messages.push_back({text, icon, buttons});
        return MessageAnswer::Ok;
    }
    bool shellOpen(const QString &) override { return false; }
    void beginBusy() override {}
    void endBusy() override {}

    bool isEmpty() const { return m_messages.empty(); }
    void showOn(Platform &platform) const
    {
        for (const Message &message : m_messages)
            platform.messageBox(message.text, message.icon, message.buttons);
    }

private:
    struct Message {
        QString text;
        MessageIcon icon;
        MessageButtons buttons;
    };
    std::vector<Message> m_messages;
};

} // namespace

QString initialReportPath(const QString &documentPath)
{
    const QFileInfo document(documentPath);
    return document.dir().filePath(document.completeBaseName() + QStringLiteral("-report.html"));
}

QString reportPathChosen(const QString &chosenPath, const QString &chosenFilter)
{
    if (chosenPath.isEmpty() || isReportPath(chosenPath))
        return chosenPath;
    return chosenPath + (chosenFilter == pdfFilter() ? QStringLiteral(".pdf") : QStringLiteral(".html"));
}

QString askReportPath(QWidget *parent, const QString &initial)
{
    QFileDialog dialog(parent, QCoreApplication::translate("ReportCommands", "Export Report"), initial);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters({webPageFilter(), pdfFilter()});
    dialog.setDefaultSuffix(QStringLiteral("html"));
    // The name follows the type chosen, so that what is written is what was chosen.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString &filter) {
        const QString suffix = filter == pdfFilter() ? QStringLiteral("pdf") : QStringLiteral("html");
        dialog.setDefaultSuffix(suffix);
        const QStringList typed = dialog.selectedFiles();
        if (!typed.isEmpty() && isReportPath(typed.constFirst()))
            dialog.selectFile(QFileInfo(typed.constFirst()).completeBaseName() + u'.' + suffix);
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return reportPathChosen(dialog.selectedFiles().constFirst(), dialog.selectedNameFilter());
}

bool exportReport(const Document &document, const QString &path, Platform &platform, QWidget *parent)
{
    const std::unique_ptr<Document> copy = document.copy();
    KeptMessages messages;
    const RunOutcome outcome = runWithProgress(
        parent, QCoreApplication::translate("ReportCommands", "Export Report"),
        QCoreApplication::translate("ReportCommands", "Writing the report..."),
        [&](const Progress &progress) { return saveReport(*copy, path, messages, progress); });
    messages.showOn(platform);
    // A failure with nothing said ran out of memory.
    if (outcome == RunOutcome::Failed && messages.isEmpty())
        platform.error(
            QCoreApplication::translate("ReportCommands", "There is not enough memory to write the report."));
    return outcome == RunOutcome::Finished;
}

} // namespace sortana
