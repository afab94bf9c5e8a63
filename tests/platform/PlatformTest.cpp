#include "platform/ConsolePlatform.h"
#include "platform/MessageText.h"
#include "support/ScriptedPlatform.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace sortana;
using namespace Qt::StringLiterals;

namespace {

QString captured(std::FILE *stream)
{
    std::rewind(stream);
    QByteArray bytes;
    char buffer[256];
    while (const size_t got = std::fread(buffer, 1, sizeof buffer, stream))
        bytes.append(buffer, static_cast<qsizetype>(got));
    return QString::fromUtf8(bytes);
}

TEST(ConsolePlatform, PrintsOneLinePerMessageAndAnswersByPolicy)
{
    for (const auto policy : {ConsolePlatform::WarningPolicy::Continue, ConsolePlatform::WarningPolicy::Cancel}) {
        std::FILE *stream = std::tmpfile();
        ASSERT_NE(stream, nullptr);
        ConsolePlatform platform(policy, stream);
        const bool goesOn = policy == ConsolePlatform::WarningPolicy::Continue;
        EXPECT_EQ(platform.warning(u"Warning - x at line 3 (participant id Zoë)"_s), goesOn);
        // Boxes with only OK are never cancelled, whatever the policy.
        EXPECT_EQ(platform.messageBox(u"Failed\nMake sure\r\nit is free"_s, MessageIcon::Stop, MessageButtons::Ok),
                  MessageAnswer::Ok);
        EXPECT_EQ(captured(stream),
                  u"Sortana: Warning - x at line 3 (participant id Zoë)\nSortana: Failed Make sure it is free\n"_s);
        std::fclose(stream);
    }
}

TEST(ScriptedPlatform, RecordsEveryBoxAndAnswersFromItsScript)
{
    ScriptedPlatform platform;
    platform.script({MessageAnswer::Cancel});
    platform.error(u"e"_s);
    EXPECT_FALSE(platform.warning(u"w1"_s));
    EXPECT_TRUE(platform.warning(u"w2"_s));
    {
        BusyCursor busy(platform);
        EXPECT_EQ(platform.busyDepth(), 1);
    }
    EXPECT_EQ(platform.busyDepth(), 0);
    const QList<ScriptedPlatform::Message> expected = {
        {u"e"_s, MessageIcon::Exclamation, MessageButtons::Ok},
        {u"w1"_s, MessageIcon::Information, MessageButtons::OkCancel},
        {u"w2"_s, MessageIcon::Information, MessageButtons::OkCancel},
    };
    EXPECT_EQ(platform.messages(), expected);
}

TEST(FormatMessage, FillsConversionsInOrderAndNeverReadsValuesAsFormats)
{
    EXPECT_EQ(formatMessage(u"at line %d (participant id %s)", {u"12"_s, u"%d %s%%"_s}),
              u"at line 12 (participant id %d %s%%)"_s);
    EXPECT_EQ(formatMessage(u"100%% and %d", {}), u"100% and %d"_s);
}

} // namespace
