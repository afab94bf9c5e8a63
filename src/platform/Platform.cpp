#include "platform/Platform.h"

#include <QDir>
#include <QTemporaryFile>

namespace sortana {

bool Platform::readWorkbook(const QString &, const QString &, Table &, QString &error)
{
    error = QStringLiteral("Workbooks cannot be read here\nSave the sheet as a CSV file and try again");
    return false;
}

bool Platform::canWriteIn(const QString &folder)
{
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".sortana-probe-XXXXXX")));
    return probe.open() && probe.write("probe", 5) == 5 && probe.flush();
}

} // namespace sortana
