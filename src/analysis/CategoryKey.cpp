#include "analysis/CategoryKey.h"

namespace sortana {

QString categoryKey(QStringView name)
{
    // simplified() takes white space as QChar::isSpace does.
    return name.toString().normalized(QString::NormalizationForm_KC).toCaseFolded().simplified();
}

bool isUnnamedGroup(QStringView name, bool idOnly)
{
    return idOnly || name == u"-----" || name.trimmed().isEmpty();
}

} // namespace sortana
