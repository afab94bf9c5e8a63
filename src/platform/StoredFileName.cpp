#include "platform/StoredFileName.h"

#include <QDir>
#include <QFileInfo>

namespace sortana {

QString storedFileName(const QString &path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        return {};
    // On a case-insensitive volume the typed name may differ from the one on disk; the
    // directory listing holds the stored spelling.
    const QString typed = info.fileName();
    const QStringList entries = info.dir().entryList(QDir::AllEntries | QDir::Hidden | QDir::System
                                                     | QDir::NoDotAndDotDot);
    if (entries.contains(typed))
        return typed;
    for (const QString &entry : entries) {
        if (entry.compare(typed, Qt::CaseInsensitive) == 0)
            return entry;
    }
    return typed;
}

} // namespace sortana
