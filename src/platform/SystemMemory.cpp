#include "platform/Platform.h"

#include <QFile>

#include <algorithm>
#include <limits>
#include <optional>

#include <sys/resource.h>
#include <unistd.h>

namespace sortana {

namespace {

QByteArray readSystemFile(const char *path)
{
    QFile file(QString::fromLatin1(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// "MemAvailable:   123456 kB" in /proc/meminfo.
std::optional<qint64> systemAvailable()
{
    for (const QByteArray &line : readSystemFile("/proc/meminfo").split('\n')) {
        if (!line.startsWith("MemAvailable:"))
            continue;
        bool ok = false;
        const qint64 kilobytes = line.mid(13).trimmed().split(' ').value(0).toLongLong(&ok);
        if (ok)
            return kilobytes * 1024;
    }
    return std::nullopt;
}

// What an address-space limit (ulimit -v) leaves beside what the process has mapped already.
std::optional<qint64> addressSpaceLeft()
{
    rlimit limit {};
    if (getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return std::nullopt;
    bool ok = false;
    const qint64 pages = readSystemFile("/proc/self/statm").split(' ').value(0).toLongLong(&ok);
    const qint64 mapped = ok ? pages * sysconf(_SC_PAGESIZE) : 0;
    return std::max<qint64>(0, qint64(limit.rlim_cur) - mapped);
}

// A container's memory limit, which /proc/meminfo does not show.
std::optional<qint64> controlGroupLeft()
{
    bool limited = false;
    const qint64 limit = readSystemFile("/sys/fs/cgroup/memory.max").trimmed().toLongLong(&limited);
    if (!limited)
        return std::nullopt;
    bool ok = false;
    const qint64 used = readSystemFile("/sys/fs/cgroup/memory.current").trimmed().toLongLong(&ok);
    return std::max<qint64>(0, limit - (ok ? used : 0));
}

} // namespace

qint64 systemAvailableMemory()
{
    qint64 available = std::numeric_limits<qint64>::max();
    for (const std::optional<qint64> &bound : {systemAvailable(), addressSpaceLeft(), controlGroupLeft()}) {
        if (bound)
            available = std::min(available, *bound);
    }
    return available;
}

} // namespace sortana
