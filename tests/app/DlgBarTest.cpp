#include "app/SettingsBar.h"
#include "document/Document.h"
#include "support/DocumentEdits.h"
#include "support/RecordingView.h"
#include "support/TestFiles.h"

#include <QApplication>
#include <QComboBox>
#include <QFontInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace sortana {
namespace {

void press(QWidget *target, int key)
{
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &down);
    QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(target, &up);
}

class DlgBarTest : public ::testing::Test {
protected:
    DlgBarTest() { bar.setDocument(&document); }

    template <typename Widget = QWidget>
    Widget *child(const char *name) const
    {
        auto *widget = bar.findChild<Widget *>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QComboBox *fontName() const { return child<QComboBox>("fontName"); }
    QComboBox *fontSize() const { return child<QComboBox>("fontSize"); }
    GroupsSpinBox *groups() const { return static_cast<GroupsSpinBox *>(child<QAbstractSpinBox>("numberOfGroups")); }
    QLineEdit *colour1() const { return child<QLineEdit>("colour1"); }
    QLineEdit *colour2() const { return child<QLineEdit>("colour2"); }

    void type(const char *name, const QString &text) const
    {
        QWidget *field = child(name);
        if (auto *combo = qobject_cast<QComboBox *>(field))
            combo->setEditText(text);
        else if (auto *edit = qobject_cast<QLineEdit *>(field))
            edit->setText(text);
        else
            groups()->setText(text);
    }

    // Focus needs an active window, even on the offscreen platform.
    void showActive()
    {
        bar.show();
        bar.activateWindow();
        QApplication::setActiveWindow(&bar);
        QApplication::processEvents();
    }
    void focus(QWidget *widget)
    {
        widget->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        ASSERT_EQ(QApplication::focusWidget(), widget);
    }

    Document document;
    test::RecordingView view{document};
    SettingsBar bar;
};

TEST(ColourTextTest, ShowsRedGreenBlueAndReadsItBack)
{
    struct Case {
        quint32 value;
        const char *text;
    };
    const Case cases[] = {
        {0x0000FF, "FF0000"}, // red sits in the low byte
        {0xFF0000, "0000FF"},
        {0x00FF00, "00FF00"},
        {0x563412, "123456"},
        {0x000000, "000000"},
        {0xFFFFFF, "FFFFFF"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(colourText(c.value), QString::fromLatin1(c.text));
        EXPECT_EQ(colourFromText(QString::fromLatin1(c.text)), c.value) << c.text;
        EXPECT_EQ(fromQColor(toQColor(c.value)), c.value) << c.text;
    }
    EXPECT_EQ(toQColor(0x0000FF), QColor(Qt::red));
}

TEST(ColourTextTest, ReadsTypedTextLeniently)
{
    struct Case {
        const char *text;
        quint32 value;
        bool wholeColour;   // nothing left over that the reading ignored
    };
    const Case cases[] = {
        {"#FF0000", 0x0000FF, true},
        {"##FF0000", 0x000000, false},   // only one hash sign is skipped
        {"  0x00ff00 ", 0x00FF00, true},
        {"ff", 0xFF0000, true},          // 0000FF: blue
        {"12G456", 0x120000, false},     // stops at the first non-digit: 000012
        {"", 0x000000, false},
        {"blue", 0x0B0000, false},       // "b" is a digit, "l" stops the number: 00000B
        {"xyz", 0x000000, false},
        {"GGGGGG", 0x000000, false},
        {"0x", 0x000000, false},
        {"1FF0000", 0x0000FF, true},     // only the low 24 bits count
        {"FFFFFFFFFF", 0xFFFFFF, true},  // clamped to 7FFFFFFF
        {"-1", 0xFFFFFF, true},
        {"-FFFFFFFFFF", 0x000000, true}, // clamped to -80000000
    };
    for (const Case &c : cases) {
        EXPECT_EQ(colourFromText(QString::fromLatin1(c.text)), c.value) << c.text;
        EXPECT_EQ(isColourText(QString::fromLatin1(c.text)), c.wholeColour) << c.text;
    }
}

TEST_F(DlgBarTest, LoadShowsTheSettingsWithoutApplying)
{
    setSetting(document, &Settings::fontSize, 13);
    setSetting(document, &Settings::numberOfGroups, 7);
    setSetting(document, &Settings::colour1, 0x0000FF);
    setSetting(document, &Settings::colour2, 0x563412);
    view.hints.clear();
    bar.loadFromDocument();

    EXPECT_EQ(fontSize()->currentText(), QStringLiteral("13"));
    EXPECT_EQ(groups()->text(), QStringLiteral("7"));
    EXPECT_EQ(colour1()->text(), QStringLiteral("FF0000"));
    EXPECT_EQ(colour2()->text(), QStringLiteral("123456"));
    EXPECT_TRUE(view.hints.empty());
    EXPECT_FALSE(document.isModified());
}

TEST_F(DlgBarTest, ApplyWithoutEditsNeitherRedrawsNorModifies)
{
    bar.apply();
    EXPECT_FALSE(document.isModified());
    EXPECT_TRUE(view.hints.empty());
    EXPECT_EQ(document.settings().fontName, QStringLiteral("Arial"));

    colour1()->setText(QStringLiteral("FF0000"));
    bar.apply();
    EXPECT_TRUE(document.isModified());
    EXPECT_EQ(document.settings().colour1, 0x0000FFu);
    EXPECT_EQ(view.hints, std::vector<test::Emitted>{test::Emitted::Presentation});
}

TEST_F(DlgBarTest, StoreCorrectsSizeAndGroupsIntoRange)
{
    struct Case {
        const char *field;
        const char *typed;
        const char *shown;
        qint32 Settings::*setting;
    };
    const Case cases[] = {
        {"fontSize", "150", "99", &Settings::fontSize},
        {"fontSize", "0", "4", &Settings::fontSize},
        {"fontSize", "-3", "4", &Settings::fontSize},
        {"fontSize", "word", "4", &Settings::fontSize},
        {"fontSize", "12pt", "4", &Settings::fontSize},
        {"fontSize", " 36 ", "36", &Settings::fontSize},
        {"fontSize", "123456789012345678901234", "99", &Settings::fontSize},
        {"numberOfGroups", "1", "2", &Settings::numberOfGroups},
        {"numberOfGroups", "abc", "2", &Settings::numberOfGroups},
        {"numberOfGroups", "150", "99", &Settings::numberOfGroups},
        {"numberOfGroups", "5", "5", &Settings::numberOfGroups},
    };
    for (const Case &c : cases) {
        QWidget *field = child(c.field);
        type(c.field, QString::fromLatin1(c.typed));
        bar.apply();
        const QString shown = field == fontSize() ? fontSize()->currentText() : groups()->text();
        EXPECT_EQ(shown, QString::fromLatin1(c.shown)) << c.field << " " << c.typed;
        EXPECT_EQ(document.settings().*c.setting, shown.toInt()) << c.field << " " << c.typed;
    }
}

TEST_F(DlgBarTest, SpinStepsOneAtATimeWithinTheLimits)
{
    struct Case {
        const char *start;
        int key;
        const char *shown;
    };
    const Case cases[] = {
        {"5", Qt::Key_Up, "6"},
        {"5", Qt::Key_Down, "4"},
        {"2", Qt::Key_Down, "2"},
        {"3", Qt::Key_PageDown, "2"},
        {"99", Qt::Key_Up, "99"}, // steps to 100, the apply brings it back
        {"abc", Qt::Key_Up, "2"},
    };
    for (const Case &c : cases) {
        groups()->setText(QString::fromLatin1(c.start));
        view.hints.clear();
        const int before = document.settings().numberOfGroups;
        press(groups(), c.key);
        EXPECT_EQ(groups()->text(), QString::fromLatin1(c.shown)) << c.start;
        EXPECT_EQ(document.settings().numberOfGroups, QString::fromLatin1(c.shown).toInt()) << c.start;
        // The windows redraw when the number changed.
        const std::vector<test::Emitted> told = before == QString::fromLatin1(c.shown).toInt()
            ? std::vector<test::Emitted>{}
            : std::vector<test::Emitted>{test::Emitted::Presentation};
        EXPECT_EQ(view.hints, told) << c.start;
    }
}

TEST_F(DlgBarTest, ColourChooserStartsAtTheFieldAndAppliesItsChoice)
{
    std::vector<QColor> offered;
    std::optional<QColor> answer = QColor(Qt::blue);
    bar.setColourChooser([&](const QColor &initial) {
        offered.push_back(initial);
        return answer;
    });
    colour2()->setText(QStringLiteral("#00FF00"));
    child<QToolButton>("chooseColour2")->click();

    EXPECT_EQ(offered, std::vector<QColor>{QColor(Qt::green)});
    EXPECT_EQ(colour2()->text(), QStringLiteral("0000FF"));
    EXPECT_EQ(document.settings().colour2, 0xFF0000u);
    EXPECT_TRUE(document.isModified());
    EXPECT_EQ(view.hints, std::vector<test::Emitted>{test::Emitted::Presentation});

    answer.reset();
    child<QToolButton>("chooseColour1")->click();
    EXPECT_EQ(offered.back(), QColor(Qt::white));
    EXPECT_EQ(colour1()->text(), QStringLiteral("FFFFFF"));
    EXPECT_EQ(view.hints, std::vector<test::Emitted>{test::Emitted::Presentation})
        << "a cancelled chooser applies nothing";
}

TEST_F(DlgBarTest, AColourFieldThatIsNoColourIsMarkedAndStillStoresBlack)
{
    const QColor normalBase = colour1()->palette().color(QPalette::Base);
    type("colour1", QStringLiteral("GGGGGG"));
    bar.apply();
    EXPECT_EQ(document.settings().colour1, 0x000000u);
    EXPECT_NE(colour1()->palette().color(QPalette::Base), normalBase);
    EXPECT_EQ(colour1()->toolTip(),
              QStringLiteral("\"GGGGGG\" is not a colour, so it is used as 000000.\n"
                             "A colour is six hexadecimal digits for red, green and blue, such as FF8000."));
    EXPECT_EQ(colour2()->palette().color(QPalette::Base), normalBase);
    EXPECT_TRUE(colour2()->toolTip().isEmpty());

    type("colour1", QStringLiteral("FF8000"));
    bar.apply();
    EXPECT_EQ(document.settings().colour1, 0x0080FFu);
    EXPECT_EQ(colour1()->palette().color(QPalette::Base), normalBase);
    EXPECT_TRUE(colour1()->toolTip().isEmpty());
}

TEST_F(DlgBarTest, DetachedBarLeavesDocumentsAlone)
{
    bar.setDocument(nullptr);
    ASSERT_EQ(bar.attachedDocument(), nullptr);

    bar.setColourChooser([](const QColor &) { return std::optional<QColor>(Qt::red); });
    fontSize()->setEditText(QStringLiteral("30"));
    child<QToolButton>("chooseColour1")->click();
    press(groups(), Qt::Key_Up);
    bar.apply();
    bar.loadFromDocument();

    EXPECT_FALSE(bar.storeToDocument());
    EXPECT_EQ(colour1()->text(), QStringLiteral("FF0000")) << "the chooser still writes its field";
    EXPECT_EQ(groups()->text(), QStringLiteral("3")) << "the spin still steps";
    EXPECT_EQ(fontSize()->currentText(), QStringLiteral("30")) << "no load without a document";
    EXPECT_EQ(document.settings().fontSize, 12);
    EXPECT_EQ(document.settings().colour1, Settings::white);
    EXPECT_EQ(document.settings().numberOfGroups, 2);
    EXPECT_FALSE(document.isModified());
    EXPECT_TRUE(view.hints.empty());
}

TEST_F(DlgBarTest, FontListHoldsEachScalableFamilyOnceInOrder)
{
    const QStringList families = latinScalableFontFamilies();
    ASSERT_FALSE(families.isEmpty());
    for (qsizetype i = 1; i < families.size(); ++i)
        EXPECT_LT(QString::compare(families[i - 1], families[i], Qt::CaseInsensitive), 0) << families[i].toStdString();
    ASSERT_EQ(fontName()->count(), families.size());
    for (int i = 0; i < fontName()->count(); ++i)
        EXPECT_EQ(fontName()->itemText(i), families[i]);
}

TEST_F(DlgBarTest, FontNameSelectsTheFirstFamilyItBegins)
{
    const QStringList families = latinScalableFontFamilies();
    setSetting(document, &Settings::fontName, families.constLast().left(3).toLower());
    bar.loadFromDocument();
    const QString firstMatch = *std::find_if(families.cbegin(), families.cend(), [&](const QString &f) {
        return f.startsWith(document.settings().fontName, Qt::CaseInsensitive);
    });

    EXPECT_EQ(fontName()->currentText(), firstMatch);
    bar.apply();
    EXPECT_EQ(document.settings().fontName, firstMatch);
    EXPECT_TRUE(document.isModified());
}

TEST_F(DlgBarTest, MissingFontShowsItsSubstituteButKeepsItsName)
{
    const QString missing = QStringLiteral("Qqq Not Installed Face");
    const QString substitute = QFontInfo(QFont(missing)).family();
    const int substituteEntry = fontName()->findText(substitute, Qt::MatchFixedString);
    ASSERT_GE(substituteEntry, 0) << "the platform should fall back to an installed family";
    setSetting(document, &Settings::fontName, missing);
    bar.loadFromDocument();

    EXPECT_EQ(fontName()->currentIndex(), substituteEntry);
    EXPECT_EQ(fontName()->currentText(), missing);
    bar.apply();
    EXPECT_EQ(document.settings().fontName, missing);
    EXPECT_FALSE(document.isModified());

    // Choosing from the list is the user's change: it replaces the name.
    press(fontName(), substituteEntry == 0 ? Qt::Key_Down : Qt::Key_Up);
    EXPECT_EQ(document.settings().fontName, fontName()->itemText(fontName()->currentIndex()));
    EXPECT_TRUE(document.isModified());
    EXPECT_EQ(view.hints, (std::vector<test::Emitted>{test::Emitted::Presentation, test::Emitted::Presentation}));
}

// A combo box that finds its typed text among its entries selects that entry and reports it
// as chosen; that must not make a second apply.
TEST_F(DlgBarTest, EnterAppliesOnceFromEveryField)
{
    const QString listedFont = fontName()->itemText(fontName()->count() - 1).toLower();
    const std::pair<const char *, QString> cases[] = {
        {"fontName", listedFont},
        {"fontSize", QStringLiteral("14")},
        {"fontSize", QStringLiteral("13")},
        {"numberOfGroups", QStringLiteral("5")},
        {"colour1", QStringLiteral("00FF00")},
        {"colour2", QStringLiteral("#0000FF")},
        {"fontName", QStringLiteral("Typed Face")},
    };
    for (const auto &[name, typed] : cases) {
        type(name, typed);
        view.hints.clear();
        press(child(name), Qt::Key_Return);
        EXPECT_EQ(view.hints, std::vector<test::Emitted>{test::Emitted::Presentation})
            << name << " " << typed.toStdString();
    }
    EXPECT_EQ(document.settings().fontName, QStringLiteral("Typed Face")) << "a typed name is taken as typed";
    EXPECT_EQ(document.settings().colour2, 0xFF0000u);
}

TEST_F(DlgBarTest, LeavingAFieldAppliesOnceExceptForTheFontName)
{
    showActive();
    const QString listedFont = fontName()->itemText(fontName()->count() - 1).toLower();
    struct Case {
        const char *left;
        QString typed;
        std::size_t updates;
    };
    const Case cases[] = {
        {"fontSize", QStringLiteral("16"), 1},
        {"fontSize", QStringLiteral("150"), 1},
        {"numberOfGroups", QStringLiteral("5"), 1},
        {"colour1", QStringLiteral("00FF00"), 1},
        {"colour2", QStringLiteral("0000FF"), 1},
        {"fontName", listedFont, 0},
        {"fontName", QStringLiteral("Typed Face"), 0},
    };
    for (const Case &c : cases) {
        QWidget *left = child(c.left);
        QWidget *next = left == colour2() ? static_cast<QWidget *>(fontSize()) : colour2();
        focus(left);
        type(c.left, c.typed);
        view.hints.clear();
        const QString storedFont = document.settings().fontName;
        focus(next);
        EXPECT_EQ(view.hints.size(), c.updates) << c.left << " " << c.typed.toStdString();
        EXPECT_EQ(document.settings().fontName, storedFont) << "a typed font name waits for Enter";
    }
    EXPECT_EQ(fontSize()->currentText(), QStringLiteral("99"));
}

TEST_F(DlgBarTest, ChoosingASizeFromTheListApplies)
{
    press(fontSize(), Qt::Key_Down);
    EXPECT_EQ(document.settings().fontSize, 14);
    EXPECT_TRUE(document.isModified());
    EXPECT_EQ(view.hints, std::vector<test::Emitted>{test::Emitted::Presentation});
}

} // namespace
} // namespace sortana
