#include "platform/Platform.h"

#include <QDir>
#include <QTemporaryFile>

namespace sortana {

bool Platform::canWriteIn(const QString &folder)
{
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".sortana-probe-XXXXXX")));
    return probe.open() && probe.write("probe", 5) == 5 && probe.flush();
}

} // namespace sortana
