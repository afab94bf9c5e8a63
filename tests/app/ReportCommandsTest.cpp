// The name File > Export Report... offers, and the file a choice in its dialog gives.
#include "app/ReportCommands.h"

#include <gtest/gtest.h>

using namespace sortana;
using namespace Qt::StringLiterals;

namespace {

TEST(ReportCommands, AChosenNameGetsTheExtensionOfTheTypeChosen)
{
    const QString web = u"Web Page (*.html *.htm)"_s;
    const QString pdf = u"PDF Document (*.pdf)"_s;
    const struct {
        QString chosen;
        QString filter;
        QString path;
    } cases[] = {
        {u"/a/report"_s, web, u"/a/report.html"_s},
        {u"/a/report"_s, pdf, u"/a/report.pdf"_s},
        // "study.v2" is a name, not a type.
        {u"/a/study.v2"_s, pdf, u"/a/study.v2.pdf"_s},
        {u"/a/report.HTM"_s, pdf, u"/a/report.HTM"_s},
        {u"/a/report.pdf"_s, web, u"/a/report.pdf"_s},
        {QString(), web, QString()},
    };
    for (const auto &c : cases)
        EXPECT_EQ(reportPathChosen(c.chosen, c.filter), c.path) << c.chosen.toStdString();
    EXPECT_EQ(initialReportPath(u"/docs/study.klus"_s), u"/docs/study-report.html"_s);
}

} // namespace
