#pragma once

#include "document/ColourText.h"
#include "document/Document.h"
#include "drawing/DrawingSurface.h"

#include <QAbstractSpinBox>
#include <QColor>
#include <QCoreApplication>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <optional>

class QComboBox;
class QLineEdit;
class QToolButton;

namespace sortana {

class Document;

quint32 fromQColor(const QColor &colour);

// The scalable font families for Latin text, one entry per family, sorted without regard
// to case.
QStringList latinScalableFontFamilies();

// The groups field. A free-text field with arrows: typed text is kept as typed and only
// corrected when the bar applies it, so no validator of a numeric spin box may interfere.
class GroupsSpinBox final : public QAbstractSpinBox {
public:
    explicit GroupsSpinBox(std::function<void()> onStepped, QWidget *parent = nullptr);

    void setText(const QString &text);
    void stepBy(int steps) override;
    QSize sizeHint() const override;

protected:
    StepEnabled stepEnabled() const override { return StepUpEnabled | StepDownEnabled; }

private:
    std::function<void()> m_onStepped;
};

// The strip under the main window's toolbar that edits the presentation settings of the
// one document attached to it (the active window's). Every apply writes the fields through
// to that document; whatever else changes them, the bar shows what the document holds.
class SettingsBar final : public QWidget {
    Q_DECLARE_TR_FUNCTIONS(SettingsBar)

public:
    // Answers the colour chooser: the chosen colour, or nothing when cancelled.
    using ColourChooser = std::function<std::optional<QColor>(const QColor &initial)>;

    explicit SettingsBar(QWidget *parent = nullptr);

    // Shows the document's settings, and follows them, until another is set; null for none.
    void setDocument(Document *document);
    Document *attachedDocument() const { return document; }
    void loadFromDocument();
    // Corrects the fields, then writes them into the document, which is then modified, when
    // any value differs. Returns whether a value changed.
    bool storeToDocument();
    // Enter in the bar (the main window forwards it too), a chosen list entry, a field left.
    void apply();
    void setColourChooser(ColourChooser chooser) { m_chooseColour = std::move(chooser); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void chooseColour(QLineEdit *field);
    void applyChosenEntry();
    void selectFont(const QString &fontName);

    // Null once the document is gone.
    QPointer<Document> document;
    QMetaObject::Connection m_studyFollowed;
    QMetaObject::Connection m_presentationFollowed;
    QComboBox *m_fontName;
    QComboBox *m_fontSize;
    GroupsSpinBox *m_groups;
    QLineEdit *m_colour1;
    QLineEdit *m_colour2;
    QToolButton *m_chooseColour1;
    QToolButton *m_chooseColour2;
    ColourChooser m_chooseColour;
    bool m_fieldSettling = false;
    bool m_storing = false;
};

} // namespace sortana
