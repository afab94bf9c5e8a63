#pragma once

#include <QStringList>

class QSettings;

namespace sortana {

// The most recently used documents, newest first, kept in the per-user settings.
class RecentFiles {
public:
    static constexpr int capacity = 8;

    explicit RecentFiles(QSettings &settings);

    const QStringList &paths() const { return m_paths; }
    // Puts the document first, once.
    void add(const QString &path);
    // A document that could not be opened leaves the list.
    void remove(const QString &path);

private:
    void save();

    QSettings &m_settings;
    QStringList m_paths;
};

} // namespace sortana
