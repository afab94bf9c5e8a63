// sortana-cli render: the similarity scale as the document keeps it unless the command line
// says otherwise, and PNG pictures at the resolution asked for.
#include "cli/CliRunner.h"
#include "document/Document.h"
#include "support/DocumentEdits.h"
#include "support/ScriptedPlatform.h"
#include "support/TestFiles.h"
#include "tasks/DocumentFile.h"

#include <QImage>
#include <QTemporaryDir>

#include <cmath>

#include <gtest/gtest.h>

using namespace sortana;
using namespace sortana::test;
using namespace Qt::StringLiterals;

namespace {

const QString workedExample = QStringLiteral(SORTANA_GOLDEN_DIR "/worked-example/expected/worked-example.klus");

QByteArray picture(const QString &name)
{
    return readBytes(QStringLiteral(SORTANA_PICTURES_DIR) + u'/' + name);
}

TEST(RenderCli, TheScaleFollowsTheDocumentUnlessTheCommandLineSaysOtherwise)
{
    QTemporaryDir dir;
    // The golden document holds no block, so it shows the scale; a copy saved with it off.
    const QString hidden = dir.filePath(u"hidden.klus"_s);
    {
        Document document;
        ScriptedPlatform platform;
        ASSERT_TRUE(openDocumentFile(document, workedExample, platform));
        setSetting(document, &Settings::showSimilarityScale, false);
        ASSERT_TRUE(saveDocumentFile(document, hidden, platform));
    }
    const QByteArray hiddenBytes = readBytes(hidden);
    const QByteArray withScale = picture(u"worked-example-scale.svg"_s);
    const QByteArray withoutScale = picture(u"worked-example.svg"_s);
    const struct {
        QString document;
        QStringList flags;
        const QByteArray &expected;
    } cases[] = {
        {workedExample, {}, withScale},
        {workedExample, {u"--no-scale"_s}, withoutScale},
        {hidden, {}, withoutScale},
        {hidden, {u"--scale"_s}, withScale},
        // Of two that contradict each other the later one counts.
        {hidden, {u"--scale"_s, u"--no-scale"_s}, withoutScale},
        {workedExample, {u"-no-scale"_s, u"--scale"_s}, withScale},
    };
    for (const auto &c : cases) {
        const QString svg = dir.filePath(u"tree.svg"_s);
        const CliRun run = runCli(QStringList{u"render"_s, c.document, svg} + c.flags);
        SCOPED_TRACE(c.document.toStdString() + " " + c.flags.join(u' ').toStdString());
        EXPECT_EQ(run.status, 0);
        EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
        EXPECT_EQ(readBytes(svg), c.expected);
    }
    // The override draws one picture; the document stays as it was saved.
    EXPECT_EQ(readBytes(hidden), hiddenBytes);
}

TEST(RenderCli, APngHasTheResolutionAskedFor)
{
    QTemporaryDir dir;
    const QString document = dir.filePath(u"study.klus"_s);
    const CliRun import = runCli({u"import"_s, QStringLiteral(SORTANA_EXAMPLES_DIR "/small-study.txt"), u"--outdir"_s,
                                  dir.path(), u"--document"_s, document});
    ASSERT_EQ(import.status, 0) << import.err.toStdString();
    for (const bool matrix : {false, true}) {
        const QStringList kind = matrix ? QStringList{u"--matrix"_s} : QStringList{};
        const QString standard = dir.filePath(u"standard.png"_s);
        ASSERT_EQ(runCli(QStringList{u"render"_s, document, standard} + kind).status, 0);
        const QImage atDefault(standard);
        ASSERT_FALSE(atDefault.isNull());
        EXPECT_EQ(std::lround(atDefault.dotsPerMeterX() * 0.0254), 150);
        for (const int dpi : {300, 600}) {
            const QString png = dir.filePath(u"fine.png"_s);
            const CliRun run = runCli(QStringList{u"render"_s, document, png, u"--dpi"_s, QString::number(dpi)} + kind);
            ASSERT_EQ(run.status, 0) << run.err.toStdString();
            const QImage image(png);
            SCOPED_TRACE((matrix ? "matrix at " : "dendrogram at ") + std::to_string(dpi));
            EXPECT_EQ(std::lround(image.dotsPerMeterX() * 0.0254), dpi);
            // The same picture, finer: as many times the pixels, give or take the rounding up.
            const double finer = dpi / 150.0;
            EXPECT_NEAR(image.width(), atDefault.width() * finer, finer);
            EXPECT_NEAR(image.height(), atDefault.height() * finer, finer);
        }
    }
}

} // namespace
