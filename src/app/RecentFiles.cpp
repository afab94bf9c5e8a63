#include "app/RecentFiles.h"

#include <QFileInfo>
#include <QSettings>

namespace sortana {

namespace {

const QString section = QStringLiteral("Recent File List");

QString entryKey(int number)
{
    return section + QStringLiteral("/File%1").arg(number);
}

} // namespace

RecentFiles::RecentFiles(QSettings &settings) : m_settings(settings)
{
    for (int number = 1; number <= capacity; ++number) {
        const QString path = m_settings.value(entryKey(number)).toString();
        if (!path.isEmpty() && !m_paths.contains(path))
            m_paths.append(path);
    }
}

void RecentFiles::add(const QString &path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    m_paths.removeAll(absolute);
    m_paths.prepend(absolute);
    while (m_paths.size() > capacity)
        m_paths.removeLast();
    save();
}

void RecentFiles::remove(const QString &path)
{
    if (m_paths.removeAll(QFileInfo(path).absoluteFilePath()) > 0)
        save();
}

void RecentFiles::save()
{
    m_settings.remove(section);
    for (int i = 0; i < m_paths.size(); ++i)
        m_settings.setValue(entryKey(i + 1), m_paths[i]);
    m_settings.sync();
}

} // namespace sortana
