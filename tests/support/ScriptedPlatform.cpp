#include "support/ScriptedPlatform.h"

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

QStringList ScriptedPlatform::texts() const
{
    QStringList result;
    for (const Message &message : m_messages)
        result.append(message.text);
    return result;
}

} // namespace sortana
