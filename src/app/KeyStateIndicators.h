#pragma once

#include <QCoreApplication>
#include <QObject>

class QLabel;
class QStatusBar;

namespace sortana {

// The CAP, NUM and SCRL panes of the status bar. Qt reports no lock-key state, but on X11
// every key event carries it in its native modifiers, so the panes follow the keyboard from
// the first key press on; elsewhere they stay dimmed.
class KeyStateIndicators : public QObject {
    Q_DECLARE_TR_FUNCTIONS(KeyStateIndicators)

public:
    explicit KeyStateIndicators(QStatusBar &statusBar);

    // Native X11 modifier bits as key events carry them.
    void showState(quint32 nativeModifiers);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLabel *m_capitals;
    QLabel *m_number;
    QLabel *m_scroll;
};

} // namespace sortana
