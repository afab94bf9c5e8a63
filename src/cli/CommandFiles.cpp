#include "cli/CommandFiles.h"

#include "cli/ExitStatus.h"
#include "document/Document.h"
#include "platform/MessageText.h"
#include "platform/Platform.h"
#include "platform/SafeFiles.h"
#include "tasks/DocumentFile.h"

#include <QIODevice>

namespace sortana {

bool openStudyDocument(Document &document, const QString &path, Platform &platform)
{
    if (!openDocumentFile(document, path, platform))
        return false;
    // An empty file opens as an empty document, but there is nothing in it to use.
    if (document.hasStudy())
        return true;
    platform.error(formatMessage(u"The document %s holds no study", {path}));
    return false;
}

int refuseOutputs(const std::vector<QString> &outputs, const QString &documentPath, Platform &platform)
{
    for (std::size_t k = 0; k < outputs.size(); ++k) {
        bool clash = isSameFile(outputs[k], documentPath);
        for (std::size_t other = 0; other < k; ++other)
            clash = clash || isSameFile(outputs[k], outputs[other]);
        if (clash) {
            platform.error(formatMessage(u"%s cannot be written over the document or another output", {outputs[k]}));
            return exitUsage;
        }
        if (!checkOutputFile(outputs[k], platform))
            return exitFailed;
    }
    return exitSuccess;
}

bool writeOutputFile(const QString &path, const QByteArray &bytes, Platform &platform)
{
    if (saveReplacing(path, [&](QIODevice &file) { return file.write(bytes) == bytes.size(); }))
        return true;
    platform.fileFailure(writeFailedMessage(path));
    return false;
}

} // namespace sortana
