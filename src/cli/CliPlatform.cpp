#include "cli/CliPlatform.h"

#include "formats/WorkbookReader.h"

namespace sortana {

bool CliPlatform::readWorkbook(const QString &path, const QString &sheet, Table &table, QString &error)
{
    return sortana::readWorkbook(path, sheet, table, error);
}

} // namespace sortana
