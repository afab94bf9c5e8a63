#pragma once

#include "platform/Platform.h"

#include <QCoreApplication>

class QWidget;

namespace sortana {

// The desktop program's services: real message boxes over the given parent window, the
// application-wide wait cursor and the desktop's associated applications.
class WidgetPlatform final : public Platform {
    Q_DECLARE_TR_FUNCTIONS(WidgetPlatform)

public:
    explicit WidgetPlatform(QWidget *parent = nullptr) : m_parent(parent) {}

    void setParent(QWidget *parent) { m_parent = parent; }

    MessageAnswer messageBox(const QString &text, MessageIcon icon, MessageButtons buttons) override;
    bool shellOpen(const QString &pathOrAddress) override;
    void beginBusy() override;
    void endBusy() override;
    QString chooseFolder(const QString &start) override;

private:
    QWidget *m_parent;
};

} // namespace sortana
