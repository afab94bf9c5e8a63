#include "platform/Platform.h"

namespace sortana {

bool Platform::readWorkbook(const QString &, const QString &, Table &, QString &error)
{
    error = QStringLiteral("Workbooks cannot be read here\nSave the sheet as a CSV file and try again");
    return false;
}

} // namespace sortana
