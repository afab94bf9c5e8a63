#include "app/KeyStateIndicators.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QStatusBar>

namespace sortana {

namespace {

// X11's modifier mask: Lock is Caps Lock; Num Lock and Scroll Lock sit on Mod2 and Mod3 in
// the usual keyboard maps.
constexpr quint32 lockMask = 0x02;
constexpr quint32 mod2Mask = 0x10;
constexpr quint32 mod3Mask = 0x20;

QLabel *indicator(QStatusBar &statusBar, const QString &name, const QString &text)
{
    auto *label = new QLabel(text);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignCenter);
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(KeyStateIndicators::tr("SCRL")) + 8);
    label->setEnabled(false);
    statusBar.addPermanentWidget(label);
    return label;
}

} // namespace

KeyStateIndicators::KeyStateIndicators(QStatusBar &statusBar)
    : QObject(&statusBar),
      m_capitals(indicator(statusBar, QStringLiteral("CAP"), tr("CAP"))),
      m_number(indicator(statusBar, QStringLiteral("NUM"), tr("NUM"))),
      m_scroll(indicator(statusBar, QStringLiteral("SCRL"), tr("SCRL")))
{
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        qApp->installEventFilter(this);
}

void KeyStateIndicators::showState(quint32 nativeModifiers)
{
    m_capitals->setEnabled(nativeModifiers & lockMask);
    m_number->setEnabled(nativeModifiers & mod2Mask);
    m_scroll->setEnabled(nativeModifiers & mod3Mask);
}

bool KeyStateIndicators::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        const auto *key = static_cast<QKeyEvent *>(event);
        // X11 reports the state as it was before this key, so a lock key shows its change
        // with the next key event.
        showState(key->nativeModifiers());
    }
    return QObject::eventFilter(watched, event);
}

} // namespace sortana
