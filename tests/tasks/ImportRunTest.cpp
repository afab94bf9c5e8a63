// One import run as both front ends drive it: the checks around the read.
#include "tasks/ImportRun.h"

#include "support/ScriptedPlatform.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace sortana;
using namespace sortana::test;
using namespace Qt::StringLiterals;

namespace {

const QString notACardSort = u"This does not look like a card sort: %1.\n"
                             u"If the study is a table, its card or category column may be the wrong one.\n"
                             u"OK shows the result anyway, Cancel stops the import."_s;

TEST(ImportRun, AStudyThatCannotBeACardSortIsNamedAndCancelWritesNothing)
{
    const struct {
        const char *what;
        QByteArray study;
        bool expert;
        QString reasons; // empty: no warning
    } cases[] = {
        {"a card sort", "IA\nIB\nIC\nP1\nG\nI1\nI2\nG\nI3\nP2\nG\nI1\nG\nI2\nI3\n", false, {}},
        {"one participant", "IA\nIB\nP1\nG\nI1\nI2\n", false, u"it has fewer than two participants"_s},
        {"every card alone, as a category column of card names gives", "IA\nIB\nP1\nG\nI1\nG\nI2\nP2\nG\nI1\nG\nI2\n",
         false, u"nobody put two cards into one group"_s},
        {"each participant sorted other cards", "IA\nIB\nIC\nID\nP1\nG\nI1\nI2\nP2\nG\nI3\nI4\n", false,
         u"no card was sorted by two participants"_s},
        {"the expert is not counted", "IA\nIB\nIC\nP1\nG\nI1\nI2\nP2\nG\nI2\nI3\n", true,
         u"it has fewer than two participants"_s},
        {"nobody besides the expert put two cards together",
         "IA\nIB\nP1\nG\nI1\nI2\nP2\nG\nI1\nG\nI2\nP3\nG\nI2\nG\nI1\n", true, u"nobody put two cards into one group"_s},
    };
    for (const auto &c : cases) {
        for (const MessageAnswer answer : {MessageAnswer::Ok, MessageAnswer::Cancel}) {
            SCOPED_TRACE(c.what);
            QTemporaryDir dir;
            const QString input = dir.filePath(u"study.txt"_s);
            writeBytes(input, c.study);
            ScriptedPlatform platform;
            ImportRun run(platform);
            ASSERT_TRUE(run.chooseInput(input));
            run.summary().useExpert = c.expert;
            platform.script({answer});
            const bool finished = run.finish();
            if (c.reasons.isEmpty()) {
                EXPECT_TRUE(finished);
                EXPECT_TRUE(platform.messages().isEmpty()) << platform.texts().join(u'|').toStdString();
                break;
            }
            ASSERT_EQ(platform.messages().size(), 1);
            EXPECT_EQ(platform.texts().front(), notACardSort.arg(c.reasons));
            EXPECT_EQ(platform.messages().front().buttons, MessageButtons::OkCancel);
            EXPECT_EQ(finished, answer == MessageAnswer::Ok);
            if (answer == MessageAnswer::Cancel) {
                EXPECT_EQ(filesIn(dir.path()), QStringList{u"study.txt"_s});
            }
        }
    }
}

TEST(ImportRun, TheStudyShapeIsNotCheckedWhenTurnedOff)
{
    QTemporaryDir dir;
    const QString input = dir.filePath(u"one.txt"_s);
    writeBytes(input, "IA\nIB\nP1\nG\nI1\nI2\n");
    ScriptedPlatform platform;
    ImportRun run(platform);
    ASSERT_TRUE(run.chooseInput(input));
    run.setCheckStudyShape(false);
    EXPECT_TRUE(run.finish());
    EXPECT_TRUE(platform.messages().isEmpty());
}

} // namespace
