#include "app/SettingsBar.h"

#include "document/Document.h"

#include <QColorDialog>
#include <QComboBox>
#include <QFocusEvent>
#include <QFontDatabase>
#include <QFontInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QStyleOption>
#include <QToolButton>

#include <algorithm>
#include <limits>

namespace sortana {

namespace {

constexpr int minFontSize = 4;
constexpr int maxFontSize = 99;
constexpr int minGroups = 2;
constexpr int maxGroups = 99;

// The whole text as a signed decimal number, or 0 when it is not one. Numbers too long for
// any integer type still count as far out of range in their direction.
qint64 fieldInteger(const QString &text)
{
    const QString trimmed = text.trimmed();
    bool ok = false;
    const qint64 value = trimmed.toLongLong(&ok);
    if (ok)
        return value;
    const bool negative = trimmed.startsWith(u'-');
    const QStringView digits = QStringView(trimmed).mid(negative || trimmed.startsWith(u'+') ? 1 : 0);
    const bool allDigits = !digits.isEmpty() && std::all_of(digits.begin(), digits.end(), [](QChar c) {
        return c >= u'0' && c <= u'9';
    });
    if (!allDigits)
        return 0;
    return negative ? std::numeric_limits<qint64>::min() : std::numeric_limits<qint64>::max();
}

// Reads a field, rewrites it when out of range (or not a number) and returns the value.
int clampField(const QString &text, int low, int high, const std::function<void(const QString &)> &rewrite)
{
    const int clamped = int(std::clamp(fieldInteger(text), qint64(low), qint64(high)));
    if (text != QString::number(clamped))
        rewrite(QString::number(clamped));
    return clamped;
}

QLabel *buddyLabel(const QString &text, QWidget *buddy)
{
    auto *label = new QLabel(text);
    label->setBuddy(buddy);
    return label;
}

QToolButton *chooserButton(const QString &objectName)
{
    auto *button = new QToolButton;
    button->setObjectName(objectName);
    button->setText(QStringLiteral("..."));
    return button;
}

QLineEdit *colourField(const QString &objectName)
{
    auto *field = new QLineEdit;
    field->setObjectName(objectName);
    const QFontMetrics metrics(field->font());
    field->setFixedWidth(metrics.horizontalAdvance(QStringLiteral("DDDDDDDD")) + 12);
    return field;
}

bool isEnterKey(const QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<const QKeyEvent *>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// A field whose text is no colour is tinted, and its tooltip says how it is read.
void markColourField(QLineEdit &field)
{
    const QString text = field.text();
    if (isColourText(text)) {
        field.setPalette(QPalette());
        field.setToolTip(QString());
        return;
    }
    QPalette tinted = field.palette();
    tinted.setColor(QPalette::Base, QColor(255, 214, 214));
    tinted.setColor(QPalette::Text, Qt::black);
    field.setPalette(tinted);
    const QString shown = text.trimmed().isEmpty() ? QCoreApplication::translate("SettingsBar", "An empty field")
                                                   : u'"' + text + u'"';
    field.setToolTip(QCoreApplication::translate("SettingsBar",
                                                 "%1 is not a colour, so it is used as %2.\n"
                                                 "A colour is six hexadecimal digits for red, green and blue, such as "
                                                 "FF8000.")
                         .arg(shown, colourText(colourFromText(text))));
}

std::optional<QColor> askColourDialog(QWidget *parent, const QColor &initial)
{
    const QColor chosen = QColorDialog::getColor(initial, parent);
    if (!chosen.isValid())
        return std::nullopt;
    return chosen;
}

} // namespace

quint32 fromQColor(const QColor &colour)
{
    return quint32(colour.red()) | (quint32(colour.green()) << 8) | (quint32(colour.blue()) << 16);
}

QStringList latinScalableFontFamilies()
{
    QStringList families;
    for (QString family : QFontDatabase::families(QFontDatabase::Latin)) {
        if (!QFontDatabase::isSmoothlyScalable(family) || QFontDatabase::isPrivateFamily(family))
            continue;
        // A family offered by several foundries comes as "Family [Foundry]"; the dendrogram
        // only names the family.
        const qsizetype foundry = family.indexOf(QStringLiteral(" ["));
        if (foundry > 0)
            family.truncate(foundry);
        families.append(family);
    }
    std::sort(families.begin(), families.end(), [](const QString &a, const QString &b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    families.erase(std::unique(families.begin(), families.end()), families.end());
    return families;
}

GroupsSpinBox::GroupsSpinBox(std::function<void()> onStepped, QWidget *parent)
    : QAbstractSpinBox(parent)
    , m_onStepped(std::move(onStepped))
{
}

void GroupsSpinBox::setText(const QString &text)
{
    lineEdit()->setText(text);
}

void GroupsSpinBox::stepBy(int steps)
{
    // One step per event whatever its size; the upper limit is left to the apply.
    const qint64 stepped = fieldInteger(text()) + (steps > 0 ? 1 : -1);
    setText(QString::number(std::max<qint64>(stepped, minGroups)));
    m_onStepped();
}

QSize GroupsSpinBox::sizeHint() const
{
    ensurePolished();
    QStyleOptionSpinBox option;
    initStyleOption(&option);
    const QFontMetrics metrics(font());
    const QSize text(metrics.horizontalAdvance(QStringLiteral("9999")) + 4, lineEdit()->sizeHint().height());
    return style()->sizeFromContents(QStyle::CT_SpinBox, &option, text, this);
}

SettingsBar::SettingsBar(QWidget *parent)
    : QWidget(parent)
    , m_fontName(new QComboBox)
    , m_fontSize(new QComboBox)
    , m_groups(new GroupsSpinBox([this] { apply(); }))
    , m_colour1(colourField(QStringLiteral("colour1")))
    , m_colour2(colourField(QStringLiteral("colour2")))
    , m_chooseColour1(chooserButton(QStringLiteral("chooseColour1")))
    , m_chooseColour2(chooserButton(QStringLiteral("chooseColour2")))
    , m_chooseColour([this](const QColor &initial) { return askColourDialog(this, initial); })
{
    m_fontName->setObjectName(QStringLiteral("fontName"));
    m_fontName->setEditable(true);
    m_fontName->setInsertPolicy(QComboBox::NoInsert);
    m_fontName->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_fontName->setMinimumContentsLength(18);

    m_fontSize->setObjectName(QStringLiteral("fontSize"));
    m_fontSize->setEditable(true);
    m_fontSize->setInsertPolicy(QComboBox::NoInsert);
    // Completing "1" to "10" would change what was typed.
    m_fontSize->setCompleter(nullptr);
    m_fontSize->addItems({QStringLiteral("8"), QStringLiteral("9"), QStringLiteral("10"),
                          QStringLiteral("11"), QStringLiteral("12"), QStringLiteral("14"),
                          QStringLiteral("16"), QStringLiteral("18"), QStringLiteral("20"),
                          QStringLiteral("22"), QStringLiteral("24"), QStringLiteral("26"),
                          QStringLiteral("28"), QStringLiteral("36"), QStringLiteral("48"),
                          QStringLiteral("72")});
    m_fontSize->setMinimumContentsLength(3);
    m_fontSize->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);

    m_groups->setObjectName(QStringLiteral("numberOfGroups"));

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(4, 2, 4, 2);
    row->addWidget(m_fontName);
    row->addWidget(m_fontSize);
    row->addSpacing(8);
    row->addWidget(buddyLabel(tr("&Groups:"), m_groups));
    row->addWidget(m_groups);
    row->addSpacing(8);
    row->addWidget(buddyLabel(tr("Colour &1:"), m_colour1));
    row->addWidget(m_colour1);
    row->addWidget(m_chooseColour1);
    row->addSpacing(8);
    row->addWidget(buddyLabel(tr("Colour &2:"), m_colour2));
    row->addWidget(m_colour2);
    row->addWidget(m_chooseColour2);
    row->addStretch();

    // activated, unlike currentIndexChanged, only comes from the user's own choice.
    connect(m_fontName, &QComboBox::activated, this, [this] { applyChosenEntry(); });
    connect(m_fontSize, &QComboBox::activated, this, [this] { applyChosenEntry(); });
    for (QLineEdit *field : {m_colour1, m_colour2})
        connect(field, &QLineEdit::textChanged, field, [field] { markColourField(*field); });
    connect(m_chooseColour1, &QToolButton::clicked, this, [this] { chooseColour(m_colour1); });
    connect(m_chooseColour2, &QToolButton::clicked, this, [this] { chooseColour(m_colour2); });
    for (QWidget *field : std::initializer_list<QWidget *>{m_fontName, m_fontSize, m_groups, m_colour1, m_colour2})
        field->installEventFilter(this);
}

bool SettingsBar::eventFilter(QObject *watched, QEvent *event)
{
    const bool enter = isEnterKey(event);
    // Opening a drop-down list takes the focus only for a moment.
    const bool leaving = event->type() == QEvent::FocusOut
        && static_cast<QFocusEvent *>(event)->reason() != Qt::PopupFocusReason;
    if (!enter && !leaving)
        return false;
    {
        // On Enter and focus loss a combo box selects the entry that matches the typed text
        // and reports it as chosen; the user did one thing, so it applies once, below.
        const QScopedValueRollback quiet(m_fieldSettling, true);
        watched->event(event);
    }
    // A typed font name waits for Enter, as the font list never applies on leaving.
    if (enter || watched != m_fontName)
        apply();
    // Handled here: the bar must not see the same Enter again.
    event->accept();
    return true;
}

void SettingsBar::keyPressEvent(QKeyEvent *event)
{
    if (isEnterKey(event)) {
        apply();
        return;
    }
    QWidget::keyPressEvent(event);
}

void SettingsBar::applyChosenEntry()
{
    if (!m_fieldSettling)
        apply();
}

void SettingsBar::selectFont(const QString &fontName)
{
    const QStringList families = latinScalableFontFamilies();
    m_fontName->clear();
    m_fontName->addItems(families);
    const auto begins = std::find_if(families.cbegin(), families.cend(), [&](const QString &family) {
        return family.startsWith(fontName, Qt::CaseInsensitive);
    });
    if (begins != families.cend()) {
        m_fontName->setCurrentIndex(int(begins - families.cbegin()));
        return;
    }
    // A name the system lacks ("Arial" on most Linux desktops) is drawn in the family the
    // font matching puts in its place. Showing that family as the list's entry tells the user
    // what they will see, while the field keeps the document's own name so the next apply
    // does not rename the font behind the user's back; choosing any entry replaces it.
    const int substitute = m_fontName->findText(QFontInfo(QFont(fontName)).family(), Qt::MatchFixedString);
    if (substitute < 0) {
        m_fontName->setCurrentIndex(families.isEmpty() ? -1 : 0);
        return;
    }
    m_fontName->setCurrentIndex(substitute);
    m_fontName->setEditText(fontName);
}

void SettingsBar::setDocument(Document *shown)
{
    if (shown == document)
        return;
    disconnect(m_studyFollowed);
    disconnect(m_presentationFollowed);
    document = shown;
    if (!document)
        return;
    // A new study brings its own number of groups; any change of the settings shows at once.
    m_studyFollowed = connect(document, &Document::studyChanged, this, &SettingsBar::loadFromDocument);
    m_presentationFollowed = connect(document, &Document::presentationChanged, this, &SettingsBar::loadFromDocument);
    loadFromDocument();
}

void SettingsBar::loadFromDocument()
{
    if (!document || m_storing)
        return;
    const QSignalBlocker blockFont(m_fontName);
    const QSignalBlocker blockSize(m_fontSize);
    selectFont(document->settings().fontName);
    const QString size = QString::number(document->settings().fontSize);
    m_fontSize->setCurrentIndex(m_fontSize->findText(size));
    m_fontSize->setEditText(size);
    m_groups->setText(QString::number(document->settings().numberOfGroups));
    m_colour1->setText(colourText(document->settings().colour1));
    m_colour2->setText(colourText(document->settings().colour2));
}

bool SettingsBar::storeToDocument()
{
    if (!document)
        return false;
    // An entry chosen from a list puts its text into the field, so the field's text is
    // the chosen entry or what was typed after it.
    const int fontSize = clampField(m_fontSize->currentText(), minFontSize, maxFontSize,
                                    [this](const QString &text) { m_fontSize->setEditText(text); });
    const int groups = clampField(m_groups->text(), minGroups, maxGroups,
                                  [this](const QString &text) { m_groups->setText(text); });
    const QString fontName = m_fontName->currentText();
    const quint32 colour1 = colourFromText(m_colour1->text());
    const quint32 colour2 = colourFromText(m_colour2->text());

    Settings settings = document->settings();
    settings.fontName = fontName;
    settings.fontSize = fontSize;
    settings.numberOfGroups = groups;
    settings.colour1 = colour1;
    settings.colour2 = colour2;
    if (settings == document->settings())
        return false;
    document->setModified(true);
    // The fields already show what they store, marks on colours that are none included.
    const QScopedValueRollback storing(m_storing, true);
    document->setSettings(settings);
    return true;
}

void SettingsBar::apply()
{
    storeToDocument();
}

void SettingsBar::chooseColour(QLineEdit *field)
{
    const std::optional<QColor> chosen = m_chooseColour(toQColor(colourFromText(field->text())));
    if (!chosen)
        return;
    field->setText(colourText(fromQColor(*chosen)));
    apply();
}

} // namespace sortana
