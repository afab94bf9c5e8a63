#include "platform/MessageText.h"

namespace sortana {

QString formatMessage(QStringView format, std::initializer_list<QString> values)
{
    QString result;
    result.reserve(format.size() + 32);
    auto next = values.begin();
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c == u'%' && i + 1 < format.size()) {
            const QChar conversion = format[i + 1];
            if (conversion == u'%') {
                result += c;
                ++i;
                continue;
            }
            if ((conversion == u'd' || conversion == u's') && next != values.end()) {
                result += *next++;
                ++i;
                continue;
            }
        }
        result += c;
    }
    return result;
}

} // namespace sortana
