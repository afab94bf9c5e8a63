#include "study/CategoryKey.h"

namespace sortana {

QString categoryKey(QStringView name)
{
    // simplified() takes white space as QChar::isSpace does.
    return name.toString().normalized(QString::NormalizationForm_KC).toCaseFolded().simplified();
}

QString suggestionKey(QStringView name)
{
    const QString decomposed = categoryKey(name).normalized(QString::NormalizationForm_D);
    QString stripped;
    stripped.reserve(decomposed.size());
    // By code point: marks outside the first plane come as surrogate pairs.
    for (qsizetype at = 0; at < decomposed.size(); ++at) {
        const QChar unit = decomposed[at];
        const bool pair = unit.isHighSurrogate() && at + 1 < decomposed.size() && decomposed[at + 1].isLowSurrogate();
        const char32_t codePoint = pair ? QChar::surrogateToUcs4(unit, decomposed[at + 1]) : unit.unicode();
        if (QChar::category(codePoint) != QChar::Mark_NonSpacing) {
            stripped += unit;
            if (pair)
                stripped += decomposed[at + 1];
        }
        at += pair ? 1 : 0;
    }
    return stripped.toCaseFolded();
}

bool isUnnamedGroup(QStringView name, bool idOnly)
{
    return idOnly || name == u"-----" || name.trimmed().isEmpty();
}

} // namespace sortana
