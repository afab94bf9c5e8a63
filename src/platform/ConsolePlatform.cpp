#include "platform/ConsolePlatform.h"

using namespace Qt::StringLiterals;

namespace sortana {

ConsolePlatform::ConsolePlatform(WarningPolicy policy, std::FILE *stream)
    : m_policy(policy), m_stream(stream)
{
}

QString ConsolePlatform::consoleLine(const QString &text)
{
    QString line = text;
    line.replace(u"\r\n"_s, u" "_s);
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    line.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return applicationName.toString() + u": "_s + line;
}

MessageAnswer ConsolePlatform::messageBox(const QString &text, MessageIcon, MessageButtons buttons)
{
    const QByteArray bytes = consoleLine(text).toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), m_stream);
    std::fputc('\n', m_stream);
    std::fflush(m_stream);
    // Nobody can answer whether to save: keep everything as it is.
    if (buttons == MessageButtons::YesNoCancel)
        return MessageAnswer::Cancel;
    // Every warning is answered by the policy, one at a time.
    if ((buttons == MessageButtons::OkCancel || buttons == MessageButtons::OkCancelIgnoreAll)
        && m_policy == WarningPolicy::Cancel)
        return MessageAnswer::Cancel;
    // Nobody can choose a folder here: the command line names it.
    if (buttons == MessageButtons::ChooseFolderCancel)
        return MessageAnswer::Cancel;
    return MessageAnswer::Ok;
}

bool ConsolePlatform::shellOpen(const QString &)
{
    // There is no desktop to hand files to; the paths are reported by the caller instead.
    return false;
}

} // namespace sortana
