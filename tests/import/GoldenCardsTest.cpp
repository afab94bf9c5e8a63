// The reader against studies whose Cards files and messages were produced independently.
#include "platform/ConsolePlatform.h"
#include "support/StudyFixture.h"
#include "support/TestFiles.h"

#include <QDir>

using namespace sortana;
using namespace sortana::test;
using namespace Qt::StringLiterals;

namespace {

class GoldenCards : public StudyFixture, public ::testing::WithParamInterface<const char *> {
protected:
    QString golden(const QString &name) const
    {
        return QDir(QStringLiteral(SORTANA_GOLDEN_DIR)).filePath(QString::fromLatin1(GetParam()) + u'/' + name);
    }
    // The option flags of the golden run, applied over the survey's presets.
    bool applyFlags(const QStringList &flags)
    {
        bool cancel = false;
        for (qsizetype i = 0; i < flags.size(); ++i) {
            const QString &flag = flags[i];
            if (flag == u"--fit") summary.useFit = true;
            else if (flag == u"--no-fit") summary.useFit = false;
            else if (flag == u"--sub-groups") summary.useSubGroups = true;
            else if (flag == u"--no-sub-groups") summary.useSubGroups = false;
            else if (flag == u"--expert") summary.useExpert = true;
            else if (flag == u"--copies") summary.copiesPerParticipant = flags.value(++i).toInt();
            else if (flag == u"--on-warning") cancel = flags.value(++i) == u"cancel";
            else ADD_FAILURE() << "unknown flag " << flag.toStdString();
        }
        return cancel;
    }
};

TEST_P(GoldenCards, CardsFileAndMessages)
{
    const QString name = QString::fromLatin1(GetParam());
    ASSERT_TRUE(surveyText(readBytes(golden(name + u".txt"_s)), name + u".txt"_s));
    const bool cancel = applyFlags(QString::fromUtf8(readBytes(golden(u"flags"_s))).simplified()
                                       .split(u' ', Qt::SkipEmptyParts));
    QList<MessageAnswer> answers;
    if (cancel)
        answers.fill(MessageAnswer::Cancel, 100);
    platform.script(answers);

    const int result = read();
    EXPECT_EQ(result > 0 ? 0 : 1, QString::fromUtf8(readBytes(golden(u"exit-status"_s))).trimmed().toInt());

    QString messages;
    for (const QString &text : platform.texts())
        messages += ConsolePlatform::consoleLine(text) + u'\n';
    EXPECT_EQ(messages, QString::fromUtf8(readBytes(golden(u"messages"_s))));

    analysis.CloseFiles();
    EXPECT_EQ(readBytes(names.cardsPath), readBytes(golden(u"expected/"_s + name + u"-Cards.csv"_s)));
}

INSTANTIATE_TEST_SUITE_P(Studies, GoldenCards,
                         ::testing::Values("worked-example", "cancelled", "copies-two", "cp1252-warnings",
                                           "expert-fit-subgroups", "medium", "utf16-warnings"),
                         [](const auto &info) {
                             std::string name = info.param;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

} // namespace
