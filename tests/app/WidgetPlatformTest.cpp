// The desktop's message boxes: the buttons each kind offers and the answer each gives.
#include "app/WidgetPlatform.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

using namespace sortana;
using namespace Qt::StringLiterals;

namespace {

TEST(WidgetPlatform, EachBoxOffersItsButtonsAndAnswersTheOneClicked)
{
    const struct {
        MessageButtons buttons;
        QStringList offered; // sorted
        QString clicked;
        MessageAnswer answer;
    } cases[] = {
        {MessageButtons::OkCancelIgnoreAll,
         {u"Cancel"_s, u"Ignore &All"_s, u"OK"_s},
         u"Ignore &All"_s,
         MessageAnswer::IgnoreAll},
        {MessageButtons::OkCancelIgnoreAll, {u"Cancel"_s, u"Ignore &All"_s, u"OK"_s}, u"OK"_s, MessageAnswer::Ok},
        {MessageButtons::OkCancelIgnoreAll,
         {u"Cancel"_s, u"Ignore &All"_s, u"OK"_s},
         u"Cancel"_s,
         MessageAnswer::Cancel},
        {MessageButtons::ChooseFolderCancel,
         {u"&Choose Folder..."_s, u"Cancel"_s},
         u"&Choose Folder..."_s,
         MessageAnswer::ChooseFolder},
        {MessageButtons::ChooseFolderCancel, {u"&Choose Folder..."_s, u"Cancel"_s}, u"Cancel"_s, MessageAnswer::Cancel},
    };
    WidgetPlatform platform;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.clicked.toStdString());
        QStringList offered;
        QTimer::singleShot(0, [&] {
            QMessageBox *box = nullptr;
            for (QWidget *window : QApplication::topLevelWidgets()) {
                if (auto *shown = qobject_cast<QMessageBox *>(window); shown && shown->isVisible())
                    box = shown;
            }
            ASSERT_NE(box, nullptr);
            QAbstractButton *toClick = nullptr;
            for (QAbstractButton *button : box->buttons()) {
                offered << button->text();
                if (button->text() == c.clicked)
                    toClick = button;
            }
            if (!toClick) {
                box->reject();
                FAIL() << "no button " << c.clicked.toStdString();
            }
            toClick->click();
        });
        EXPECT_EQ(platform.messageBox(u"Warning"_s, MessageIcon::Information, c.buttons), c.answer);
        offered.sort();
        EXPECT_EQ(offered, c.offered);
    }
}

} // namespace
