// sortana-cli report: the web page and the PDF of a document, made again byte for byte with
// SOURCE_DATE_EPOCH, and the arguments and documents it refuses.
#include "cli/CliRunner.h"
#include "document/DocumentCategories.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace sortana;
using namespace sortana::test;
using namespace Qt::StringLiterals;

namespace {

const QString example = QStringLiteral(SORTANA_EXAMPLES_DIR "/library-website.txt");
// Saved by an older program: no sorts kept.
const QString withoutSorts = QStringLiteral(SORTANA_GOLDEN_DIR "/worked-example/expected/worked-example.klus");
const QStringList fixedDate{u"SOURCE_DATE_EPOCH=1700000000"_s};

TEST(ReportCli, WritesTheSameReportAgainForTheSameDate)
{
    QTemporaryDir dir;
    const QString document = dir.filePath(u"library.klus"_s);
    ASSERT_EQ(runCli({u"import"_s, example, u"--outdir"_s, dir.path(), u"--document"_s, document}).status, 0);
    const QString page = dir.filePath(u"report.html"_s);
    const CliRun first = runCli({u"report"_s, document, page}, {}, -1, fixedDate);
    ASSERT_EQ(first.status, 0) << first.err.toStdString();
    EXPECT_TRUE(first.out.isEmpty());
    const QByteArray bytes = readBytes(page);
    EXPECT_TRUE(bytes.contains("<td>2023-11-14T22:13:20Z</td>"));
    EXPECT_TRUE(bytes.contains("<h2>Who sorted how</h2>"));
    EXPECT_EQ(bytes.count("<svg"), 3);
    ASSERT_EQ(runCli({u"report"_s, document, dir.filePath(u"again.HTM"_s)}, {}, -1, fixedDate).status, 0);
    EXPECT_EQ(readBytes(dir.filePath(u"again.HTM"_s)), bytes);

    // Each run of the program seeds its hashes anew, which must not reorder the PDF's objects.
    QList<QByteArray> pdfs;
    for (const QString &name : {u"first.pdf"_s, u"second.pdf"_s}) {
        ASSERT_EQ(runCli({u"report"_s, document, dir.filePath(name)}, {}, -1, fixedDate).status, 0);
        pdfs << readBytes(dir.filePath(name));
    }
    EXPECT_TRUE(pdfs[0].contains("/CreationDate (D:20231114221320"));
    EXPECT_EQ(pdfs[0], pdfs[1]);
}

TEST(ReportCli, ADocumentWithoutTheSortsGetsWhatItHas)
{
    QTemporaryDir dir;
    const QString page = dir.filePath(u"report.html"_s);
    const CliRun run = runCli({u"report"_s, withoutSorts, page});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const QString text = QString::fromUtf8(readBytes(page));
    EXPECT_GE(text.count(QString::fromUtf16(sortsMissingMessage)), 3);
    EXPECT_TRUE(text.contains(u"<h2>The similarity matrix</h2>"_s));
}

TEST(ReportCli, RefusesWhatItCannotUseAndWritesNothing)
{
    QTemporaryDir dir;
    writeBytes(dir.filePath(u"old.html"_s), "old");
    writeBytes(dir.filePath(u"empty.klus"_s), "");
    const struct {
        QStringList arguments;
        int status;
        QString message;
    } cases[] = {
        {{u"report"_s, withoutSorts, u"out.txt"_s}, 2, u"report out.txt does not end in .html, .htm or .pdf"_s},
        {{u"report"_s, withoutSorts}, 2, u"missing report file"_s},
        {{u"report"_s, withoutSorts, u"a.html"_s, u"b.html"_s}, 2, u"unexpected argument b.html"_s},
        {{u"report"_s, u"missing.klus"_s, u"old.html"_s}, 1, u"Failed to open document."_s},
        {{u"report"_s, u"empty.klus"_s, u"old.html"_s}, 1, u"holds no study"_s},
        {{u"report"_s, withoutSorts, u"no-folder/report.html"_s}, 1, u"Failed to save report."_s},
        {{u"report"_s, withoutSorts, dir.path()}, 2, u"does not end in .html"_s},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        const CliRun run = runCli(c.arguments, dir.path());
        EXPECT_EQ(run.status, c.status);
        EXPECT_TRUE(run.err.contains(c.message)) << run.err.toStdString();
    }
    EXPECT_EQ(readBytes(dir.filePath(u"old.html"_s)), QByteArray("old"));
    EXPECT_EQ(filesIn(dir.path()), (QStringList{u"empty.klus"_s, u"old.html"_s}));
}

} // namespace
