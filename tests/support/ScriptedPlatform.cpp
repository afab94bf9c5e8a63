#include "support/ScriptedPlatform.h"

#include <QDir>

namespace sortana {

MessageAnswer ScriptedPlatform::messageBox(const QString &text, MessageIcon icon, MessageButtons buttons)
{
    m_messages.append({text, icon, buttons});
    if (buttons == MessageButtons::Ok)
        return MessageAnswer::Ok;
    if (m_answers.isEmpty())
        return buttons == MessageButtons::YesNoCancel ? MessageAnswer::Cancel : MessageAnswer::Ok;
    return m_answers.takeFirst();
}

bool ScriptedPlatform::canWriteIn(const QString &folder)
{
    for (const QString &unwritable : std::as_const(m_unwritable)) {
        if (QDir::cleanPath(folder) == QDir::cleanPath(unwritable))
            return false;
    }
    return Platform::canWriteIn(folder);
}

QString ScriptedPlatform::chooseFolder(const QString &)
{
    return m_folders.isEmpty() ? QString() : m_folders.takeFirst();
}

QStringList ScriptedPlatform::texts() const
{
    QStringList result;
    for (const Message &message : m_messages)
        result.append(message.text);
    return result;
}

} // namespace sortana
