#include "platform/PathParts.h"

#include "platform/StoredFileName.h"

namespace sortana {

PathParts splitPathAsStored(const QString &path)
{
    PathParts parts;
    const qsizetype nameStart = path.lastIndexOf(QLatin1Char('/')) + 1;
    parts.folder = path.left(nameStart);
    const QString name = path.sliced(nameStart);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    parts.baseName = dot >= 0 ? name.left(dot) : name;
    parts.extension = dot >= 0 ? name.sliced(dot) : QString();

    // A stored name only replaces the typed one when it has a dot after its first character.
    const QString stored = storedFileName(path);
    const qsizetype storedDot = stored.lastIndexOf(QLatin1Char('.'));
    if (storedDot > 0) {
        parts.baseName = stored.left(storedDot);
        parts.extension = stored.sliced(storedDot + 1);
    }
    return parts;
}

} // namespace sortana
