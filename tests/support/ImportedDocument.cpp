#include "support/ImportedDocument.h"

#include "document/Document.h"
#include "support/ScriptedPlatform.h"
#include "support/TestFiles.h"
#include "tasks/ImportRun.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace sortana::test {

void importDocument(const QByteArray &study, Document &document, const std::function<void(ImportRun &)> &options)
{
    QTemporaryDir dir;
    ScriptedPlatform platform;
    const QString input = dir.filePath(QStringLiteral("study.txt"));
    writeBytes(input, study);
    ImportRun run(platform);
    ASSERT_TRUE(run.chooseInput(input));
    if (options) {
        options(run);
        ASSERT_TRUE(run.checkOptions());
    }
    ASSERT_TRUE(run.finish());
    ASSERT_TRUE(completeImport(document, run));
}

} // namespace sortana::test
