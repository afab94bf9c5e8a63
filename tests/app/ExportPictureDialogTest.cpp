// File > Export Picture's question: the types of picture with the resolutions of a PNG, and
// what a choice in the file dialog comes to.
#include "app/ExportPictureDialog.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

using namespace sortana;
using namespace Qt::StringLiterals;

namespace {

TEST(ExportPictureDialog, AChoiceGivesAPictureFileAndItsResolution)
{
    EXPECT_EQ(pictureFilters(), (QStringList{u"SVG Picture (*.svg)"_s, u"PNG Picture, 150 dpi (*.png)"_s,
                                             u"PNG Picture, 300 dpi (*.png)"_s, u"PNG Picture, 600 dpi (*.png)"_s,
                                             u"PDF Document (*.pdf)"_s}));
    const struct {
        QString path;
        QString filter;
        QString expected;
        int dpi;
    } cases[] = {
        {u"/d/study.svg"_s, u"SVG Picture (*.svg)"_s, u"/d/study.svg"_s, 150},
        {u"/d/study.png"_s, u"PNG Picture, 300 dpi (*.png)"_s, u"/d/study.png"_s, 300},
        {u"/d/study.PNG"_s, u"PNG Picture, 600 dpi (*.png)"_s, u"/d/study.PNG"_s, 600},
        {u"/d/study"_s, u"PNG Picture, 600 dpi (*.png)"_s, u"/d/study.png"_s, 600},
        // A name with a dot is still a name: the type chosen gives the suffix.
        {u"/d/study.v2"_s, u"PDF Document (*.pdf)"_s, u"/d/study.v2.pdf"_s, 150},
        // The name says PNG though another type was chosen: a PNG, at the default resolution.
        {u"/d/study.png"_s, u"SVG Picture (*.svg)"_s, u"/d/study.png"_s, 150},
        {u""_s, u"PNG Picture, 600 dpi (*.png)"_s, u""_s, 150},
    };
    for (const auto &c : cases) {
        const PictureTarget target = pictureTarget(c.path, c.filter);
        EXPECT_EQ(target.path, c.expected) << c.path.toStdString();
        EXPECT_EQ(target.pngDpi, c.dpi) << c.path.toStdString();
    }
    EXPECT_EQ(initialPicturePath(u"/d/study.klus"_s, false), u"/d/study.svg"_s);
    EXPECT_EQ(initialPicturePath(u"/d/study.klus"_s, true), u"/d/study-matrix.svg"_s);
    EXPECT_EQ(initialPicturePath(u"/d/study.klus"_s, u"-enough-participants"_s), u"/d/study-enough-participants.svg"_s);
}

// Choosing another type changes the name's suffix too, so the picture written is of the type
// the user chose.
TEST(ExportPictureDialog, TheNameFollowsTheTypeChosen)
{
    QTemporaryDir dir;
    QString shownName;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        auto *types = dialog->findChild<QComboBox *>(u"fileTypeCombo"_s);
        auto *name = dialog->findChild<QLineEdit *>(u"fileNameEdit"_s);
        ASSERT_TRUE(types && name);
        EXPECT_EQ(name->text(), u"study.svg"_s);
        types->setCurrentIndex(2);
        emit types->activated(2);
        shownName = name->text();
        static_cast<QDialog *>(dialog)->accept();   // the file dialog's own accept() is protected
    });
    const PictureTarget target = askPictureTarget(nullptr, dir.filePath(u"study.svg"_s));
    EXPECT_EQ(shownName, u"study.png"_s);
    EXPECT_EQ(target.path, dir.filePath(u"study.png"_s));
    EXPECT_EQ(target.pngDpi, 300);
}

} // namespace
