#include "formats/RawRecord.h"

#include <gtest/gtest.h>

using namespace sortana;
using namespace Qt::StringLiterals;

namespace {

TEST(RawRecord, PlacementValues)
{
    struct Case {
        QString value;
        int item;
        bool fitGiven;
        int fit;
        bool numbersFit;
    };
    const Case cases[] = {
        {u"5f2"_s, 5, true, 2, true},
        {u"5"_s, 5, false, 0, true},
        {u"5 f2"_s, 5, false, 0, true}, // the space is the separator
        {u"5f"_s, 5, false, 0, true},
        {u"5f0"_s, 5, true, 0, true},
        {u"12F9 and more"_s, 12, true, 9, true},
        {u"8-1"_s, 8, true, 1, true},
        {u"007f03"_s, 7, true, 3, true},
        {u"x5"_s, 0, true, 5, true}, // no item number: the x is taken as the separator
        {u" 5"_s, 0, true, 5, true}, // no white space before the number
        {u""_s, 0, false, 0, true},
        {u"2147483647f2147483647"_s, 2147483647, true, 2147483647, true},
        {u"2147483648"_s, 0, false, 0, false},
        {u"5f99999999999"_s, 5, true, 0, false},
    };
    for (const Case &c : cases) {
        const Placement p = parsePlacement(c.value);
        EXPECT_EQ(p.item, c.item) << c.value.toStdString();
        EXPECT_EQ(p.fitGiven, c.fitGiven) << c.value.toStdString();
        EXPECT_EQ(p.numbersFit, c.numbersFit) << c.value.toStdString();
        if (c.numbersFit && c.fitGiven) {
            EXPECT_EQ(p.fit, c.fit) << c.value.toStdString();
        }
    }
}

TEST(RawRecord, PlacementWeightAndValidity)
{
    EXPECT_EQ(parsePlacement(u"5f2").weight(true), 2);
    EXPECT_EQ(parsePlacement(u"5").weight(true), 3);
    EXPECT_EQ(parsePlacement(u"5f9").weight(false), 1);
    EXPECT_FALSE(parsePlacement(u"5f0").isValid(5, true));
    EXPECT_TRUE(parsePlacement(u"5f0").isValid(5, false));
    EXPECT_FALSE(parsePlacement(u"6").isValid(5, false));
    EXPECT_FALSE(parsePlacement(u"0").isValid(5, false));
    // An overflowing fit score is invalid data even when fit is not used.
    EXPECT_FALSE(parsePlacement(u"5f99999999999").isValid(5, false));
}

TEST(RawRecord, GroupNames)
{
    const QStringList declared = {u"Fruit"_s, u"Veg"_s};
    const std::pair<QString, QString> cases[] = {
        {u"1"_s, u"Fruit"_s},
        {u" 2"_s, u"Veg"_s},
        {u"+1x"_s, u"Fruit"_s},
        {u"3"_s, u"G3"_s},
        {u"3 extra"_s, u"G3 extra"_s},
        {u"0"_s, u"0"_s},
        {u"-7"_s, u"-7"_s},
        {u"Savoury"_s, u"Savoury"_s},
        {u""_s, u"-----"_s},
        {u"99999999999"_s, u"G99999999999"_s},
        {u"-99999999999"_s, u"-99999999999"_s},
    };
    for (const auto &[value, name] : cases)
        EXPECT_EQ(groupNameFrom(value, declared), name) << value.toStdString();
}

TEST(RawRecord, ParticipantIdsKindsAndTrimming)
{
    EXPECT_EQ(participantIdFrom(u"12"), u"P12"_s);
    EXPECT_EQ(participantIdFrom(u"Anna"), u"Anna"_s);
    EXPECT_EQ(participantIdFrom(u""), QString());

    EXPECT_EQ(recordKind(u'i'), RecordKind::Item);
    EXPECT_EQ(recordKind(u'G'), RecordKind::Group);
    EXPECT_EQ(recordKind(u'p'), RecordKind::Participant);
    EXPECT_EQ(recordKind(u's'), RecordKind::SubGroup);
    EXPECT_EQ(recordKind(u' '), RecordKind::Other);
    EXPECT_EQ(recordKind(u'#'), RecordKind::Other);

    QString line = u" I Apple \t\v\f\r\u00A0\u3000"_s;
    trimTrailingWhiteSpace(line);
    EXPECT_EQ(line, u" I Apple"_s);
}

} // namespace
