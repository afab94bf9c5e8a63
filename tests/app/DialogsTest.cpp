#include "app/AboutDialog.h"
#include "app/HelpWindow.h"
#include "app/PropertiesDialog.h"
#include "app/Resources.h"
#include "app/StudySummaryPanel.h"
#include "study/StudySummary.h"
#include "support/ScriptedPlatform.h"
#include "support/TestFiles.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextBrowser>

#include <cmath>

#include <gtest/gtest.h>

using namespace sortana;
using namespace sortana::test;
using namespace Qt::StringLiterals;

namespace {

QString text(const QWidget &dialog, int id)
{
    return dialog.findChild<QLabel *>(controlName(id))->text();
}

TEST(PropertiesDialog, ShowsTheSummaryReadOnly)
{
    StudySummary summary;
    summary.fileName = u"/data/study.txt"_s;
    summary.fileType = 1;
    summary.hasFitData = true;
    summary.hasSubGroups = true;
    summary.useExpert = true;
    summary.useFit = true;
    summary.useSubGroups = true;
    summary.participantCount = 5;
    summary.itemCount = 12;
    const PropertiesDialog dialog(summary);
    EXPECT_EQ(dialog.windowTitle(), u"Properties"_s);
    EXPECT_EQ(dialog.findChild<PathLabel *>(controlName(ControlId::fileName))->path(), summary.fileName);
    EXPECT_EQ(text(dialog, ControlId::fileType), u"Sortana"_s);
    EXPECT_EQ(text(dialog, ControlId::features), u"Quality of fit, Sub-groups"_s);
    EXPECT_EQ(text(dialog, ControlId::participants), u"4"_s);
    EXPECT_EQ(text(dialog, ControlId::itemNames), u"12"_s);
    EXPECT_EQ(text(dialog, ControlId::maximumScore), u"Maximum score 6 per item x 4 participants = \n24 maximum per cell"_s);
    for (const int id : {ControlId::useFit, ControlId::useSubGroups, ControlId::useExpert}) {
        const auto *box = dialog.findChild<QCheckBox *>(controlName(id));
        EXPECT_TRUE(box->isChecked());
        EXPECT_FALSE(box->isEnabled());
    }
    EXPECT_FALSE(dialog.findChild<QLineEdit *>(controlName(ControlId::copies))->isEnabled());
    EXPECT_EQ(dialog.findChild<QLabel *>(u"copheneticCorrelation"_s), nullptr);

    const PropertiesDialog withTree(summary, 1.5 / std::sqrt(3.0));
    EXPECT_EQ(withTree.findChild<QLabel *>(u"copheneticCorrelation"_s)->text(),
              u"Cophenetic correlation 0.8660 (how well the tree keeps the pair scores)"_s);
}

TEST(PropertiesDialog, SaysWhoIsLeftOutOnlyWhenSomeoneIs)
{
    StudySummary summary;
    summary.participantCount = 20;
    const PropertiesDialog everybody(summary);
    EXPECT_EQ(everybody.findChild<QLabel *>(u"leftOut"_s), nullptr);
    const PropertiesDialog some(summary, std::nullopt, u"2 of 20: P3 (#3), P7 (#7)"_s);
    ASSERT_NE(some.findChild<QLabel *>(u"leftOut"_s), nullptr);
    EXPECT_EQ(some.findChild<QLabel *>(u"leftOut"_s)->text(), u"Left out of the analysis: 2 of 20: P3 (#3), P7 (#7)"_s);
}

TEST(PropertiesDialog, OlderAndIncompleteSummariesShowNoMaximumScore)
{
    StudySummary older;   // what a document of the older file version holds
    older.copiesPerParticipant = 0;
    StudySummary noCopies;
    noCopies.fileName = u"x.txt"_s;
    noCopies.participantCount = 3;
    noCopies.copiesPerParticipant = 0;
    for (const StudySummary *summary : {&older, &noCopies}) {
        const PropertiesDialog dialog(*summary);
        EXPECT_EQ(text(dialog, ControlId::maximumScore), QString());
        EXPECT_EQ(text(dialog, ControlId::fileType), u"EZSort"_s);
    }
    const PropertiesDialog dialog(older);
    EXPECT_EQ(dialog.findChild<PathLabel *>(controlName(ControlId::fileName))->path(),
              u"(Full properties not available for files prior to Sortana V1.1)"_s);
    EXPECT_EQ(text(dialog, ControlId::participants), u"0"_s);
    EXPECT_EQ(text(dialog, ControlId::features), QString());
}

TEST(PropertiesDialog, NamesTheKindOfInputFile)
{
    const struct {
        int fileType;
        QString text;
    } cases[] = {
        {1, u"Sortana"_s},
        {2, u"Card-sort table, one row per card"_s},
        {3, u"Card-sort table, one row per participant"_s},
        {0, u"EZSort"_s},
    };
    for (const auto &c : cases) {
        StudySummary summary;
        summary.fileType = c.fileType;
        const PropertiesDialog dialog(summary);
        EXPECT_EQ(text(dialog, ControlId::fileType), c.text) << c.fileType;
    }
}

TEST(AboutDialog, ShowsTheBuiltVersionAndItsWebSiteButtonOpensTheGuide)
{
    ScriptedPlatform platform;
    AboutDialog dialog(platform);
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), u"About Sortana"_s);
    EXPECT_EQ(text(dialog, 1000), u"Sortana Version 1.6.1.0"_s);
    dialog.findChild<QPushButton *>(controlName(ControlId::aboutWebSite))->click();
    const HelpWindow *help = helpWindowOf(dialog);
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->browser().source().fileName(), u"index.html"_s);
    EXPECT_TRUE(platform.opened().isEmpty());
    EXPECT_TRUE(dialog.isVisible());
}

} // namespace
