// What sortana-cli says about its own command line: help and version on standard output, and
// for an argument it cannot use, that argument named on standard error with the usage after it.
#include "SortanaVersion.h"
#include "cli/CliRunner.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace sortana::test;
using namespace Qt::StringLiterals;

namespace {

// The fixed interface, as the help prints it.
const QString interfaceUsage =
    u"Usage: sortana-cli import INPUT [--fit|--no-fit] [--sub-groups|--no-sub-groups] [--expert]\n"
    u"                          [--copies N] [--on-warning continue|cancel] [--outdir DIR]\n"
    u"                          [--document OUT.klus] [--picture OUT.svg|OUT.png|OUT.pdf]\n"
    u"       sortana-cli survey INPUT\n"
    u"       sortana-cli render DOC.klus OUT.svg|OUT.png|OUT.pdf [--matrix]\n"
    u"                          [--dpi N] [--scale|--no-scale]\n"
    u"       sortana-cli show DOC.klus\n"_s;

TEST(CommandLine, HelpAndVersionGoToStandardOutput)
{
    const CliRun version = runCli({u"--version"_s});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, u"sortana-cli "_s + QStringLiteral(SORTANA_VERSION) + u'\n');
    EXPECT_TRUE(version.err.isEmpty());

    // Each group asks for the same text in different words.
    const QList<QStringList> ways[] = {
        {{u"--help"_s}, {u"-h"_s}, {u"help"_s}},
        {{u"help"_s, u"import"_s}, {u"import"_s, u"--help"_s}, {u"import"_s, u"study.txt"_s, u"--fitt"_s, u"-h"_s}},
        {{u"help"_s, u"render"_s}, {u"render"_s, u"--help"_s}},
    };
    QStringList texts;
    for (const QList<QStringList> &group : ways) {
        const QString first = runCli(group.constFirst()).out;
        texts.append(first);
        for (const QStringList &arguments : group) {
            const CliRun run = runCli(arguments);
            EXPECT_EQ(run.status, 0) << arguments.join(u' ').toStdString();
            EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
            EXPECT_EQ(run.out, first) << arguments.join(u' ').toStdString();
        }
    }

    EXPECT_TRUE(texts[0].startsWith(interfaceUsage)) << texts[0].toStdString();
    for (const QString &more : {u"sortana-cli help [COMMAND]"_s, u"sortana-cli --help|--version"_s})
        EXPECT_TRUE(texts[0].contains(more)) << more.toStdString();
    // The import's help: its fixed form, then its form for tables.
    EXPECT_TRUE(texts[1].startsWith(interfaceUsage.section(u'\n', 0, 2) + u"\n       sortana-cli import TABLE "_s))
        << texts[1].toStdString();
    for (const QString &option : {u"--fit"_s, u"--no-fit"_s, u"--sub-groups"_s, u"--no-sub-groups"_s, u"--expert"_s,
                                  u"--copies N"_s, u"--on-warning continue|cancel"_s, u"--outdir DIR"_s,
                                  u"--document OUT.klus"_s, u"--picture OUT.svg|OUT.png|OUT.pdf"_s})
        EXPECT_TRUE(texts[1].contains(u"\n  "_s + option + u' ')) << option.toStdString();
    EXPECT_TRUE(texts[2].startsWith(u"Usage: sortana-cli render DOC.klus OUT.svg|OUT.png|OUT.pdf [--matrix]\n"
                                    u"                          [--dpi N] [--scale|--no-scale]\n\n"_s))
        << texts[2].toStdString();
    for (const QString &option : {u"--matrix"_s, u"--dpi N"_s, u"--scale"_s, u"--no-scale"_s})
        EXPECT_TRUE(texts[2].contains(u"\n  "_s + option + u' ')) << option.toStdString();
}

TEST(CommandLine, UsageErrorsNameTheArgumentThenGiveTheUsage)
{
    QTemporaryDir dir;
    writeBytes(dir.filePath(u"study.txt"_s), "IA\nIB\nP1\nG\nI1\nI2\n");
    writeBytes(dir.filePath(u"study.klus"_s), {});
    const struct {
        QStringList arguments;
        QString message;
        QString usageOf; // the command whose usage follows; every command's when empty
    } cases[] = {
        {{u"import"_s, u"study.txt"_s, u"--fitt"_s}, u"unknown option --fitt"_s, u"import"_s},
        {{u"import"_s, u"study.txt"_s, u"-fitt=3"_s}, u"unknown option -fitt"_s, u"import"_s},
        {{u"import"_s, u"study.txt"_s, u"--copies"_s}, u"--copies needs a number"_s, u"import"_s},
        {{u"import"_s, u"study.txt"_s, u"--copies=2.5"_s}, u"--copies needs a number"_s, u"import"_s},
        // The first argument at fault is the one named.
        {{u"import"_s, u"study.txt"_s, u"--copies"_s, u"2"_s, u"--fitt"_s, u"--copies"_s}, u"unknown option --fitt"_s,
         u"import"_s},
        {{u"import"_s, u"study.txt"_s, u"--fit=yes"_s}, u"--fit takes no value"_s, u"import"_s},
        {{u"import"_s, u"study.txt"_s, u"--outdir"_s, u""_s}, u"--outdir needs a folder"_s, u"import"_s},
        {{u"import"_s, u"study.txt"_s, u"--document"_s, u""_s}, u"--document needs a file name"_s, u"import"_s},
        {{u"import"_s, u"study.txt"_s, u"--picture"_s, u"study.bmp"_s},
         u"--picture needs a file name ending in .svg, .png or .pdf"_s, u"import"_s},
        {{u"import"_s}, u"missing input file"_s, u"import"_s},
        {{u"import"_s, u"--fit"_s, u"--outdir"_s, u"out"_s}, u"missing input file"_s, u"import"_s},
        {{u"import"_s, u"study.txt"_s, u"other.txt"_s}, u"unexpected argument other.txt"_s, u"import"_s},
        {{u"survey"_s}, u"missing input file"_s, u"survey"_s},
        {{u"survey"_s, u"study.txt"_s, u"--fit"_s}, u"unknown option --fit"_s, u"survey"_s},
        {{u"show"_s}, u"missing document file"_s, u"show"_s},
        {{u"render"_s, u"study.klus"_s}, u"missing picture file"_s, u"render"_s},
        {{u"render"_s, u"study.klus"_s, u"study.bmp"_s}, u"picture study.bmp does not end in .svg, .png or .pdf"_s,
         u"render"_s},
        {{u"render"_s, u"study.klus"_s, u"study.png"_s, u"--dpi"_s}, u"--dpi needs a number from 50 to 1200"_s,
         u"render"_s},
        {{u"render"_s, u"study.klus"_s, u"study.png"_s, u"--dpi=high"_s}, u"--dpi needs a number from 50 to 1200"_s,
         u"render"_s},
        {{u"render"_s, u"study.klus"_s, u"study.png"_s, u"--dpi"_s, u"49"_s},
         u"--dpi needs a number from 50 to 1200"_s, u"render"_s},
        {{u"render"_s, u"study.klus"_s, u"study.png"_s, u"--dpi"_s, u"1201"_s},
         u"--dpi needs a number from 50 to 1200"_s, u"render"_s},
        {{u"render"_s, u"study.klus"_s, u"study.svg"_s, u"--dpi"_s, u"300"_s}, u"--dpi is for PNG pictures only"_s,
         u"render"_s},
        {{u"render"_s, u"study.klus"_s, u"study.png"_s, u"--matrix"_s, u"--no-scale"_s},
         u"--no-scale is for the dendrogram, not --matrix"_s, u"render"_s},
        {{u"render"_s, u"study.klus"_s, u"study.png"_s, u"--scale=no"_s}, u"--scale takes no value"_s, u"render"_s},
        {{u"help"_s, u"import"_s, u"survey"_s}, u"unexpected argument survey"_s, u"help"_s},
        {{}, u"missing command"_s, {}},
        {{u"frobnicate"_s, u"study.txt"_s}, u"unknown command frobnicate"_s, {}},
        {{u"help"_s, u"frobnicate"_s}, u"unknown command frobnicate"_s, {}},
        {{u"--fitt"_s, u"import"_s, u"study.txt"_s}, u"unknown option --fitt"_s, {}},
        {{u"--version=2"_s}, u"--version takes no value"_s, {}},
    };
    for (const auto &c : cases) {
        const CliRun run = runCli(c.arguments, dir.path());
        SCOPED_TRACE(c.arguments.join(u' ').toStdString() + "\n" + run.err.toStdString());
        EXPECT_EQ(run.status, 2);
        EXPECT_TRUE(run.out.isEmpty());
        ASSERT_TRUE(run.err.endsWith(u'\n'));
        const QStringList lines = run.err.chopped(1).split(u'\n');
        EXPECT_EQ(lines.constFirst(), u"Sortana: "_s + c.message);
        for (const QString &line : lines)
            EXPECT_TRUE(line.startsWith(u"Sortana: "_s));
        if (c.usageOf.isEmpty()) {
            ASSERT_EQ(lines.size(), 13);
            EXPECT_TRUE(lines[1].startsWith(u"Sortana: Usage: sortana-cli import INPUT "_s));
            for (const QString &command : {u"survey"_s, u"render"_s, u"show"_s, u"export"_s, u"standardise"_s, u"report"_s,
                                          u"help"_s})
                EXPECT_TRUE(run.err.contains(u"Sortana:        sortana-cli "_s + command + u' '))
                    << command.toStdString();
        } else {
            // The command's form, and its form for tables when it reads them.
            const bool readsTables = c.usageOf.startsWith(u"import"_s) || c.usageOf.startsWith(u"survey"_s);
            ASSERT_EQ(lines.size(), readsTables ? 3 : 2);
            EXPECT_TRUE(lines[1].startsWith(u"Sortana: Usage: sortana-cli "_s + c.usageOf + u' '));
        }
    }
    // Refused before anything was read or written.
    EXPECT_EQ(filesIn(dir.path()), (QStringList{u"study.klus"_s, u"study.txt"_s}));
}

} // namespace
