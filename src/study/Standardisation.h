#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace sortana {

// One original spelling of a group name and the standard name it counts under.
struct StandardEntry {
    QString original;
    QString standard;
    bool operator==(const StandardEntry &) const = default;
};

// The user's standardisation of group names: originals, matched by their category keys, each
// counted under one standard name. Standards are matched by their keys too, so two that
// differ only in case are one category, shown as the first one written.
class Standardisation {
public:
    Standardisation() = default;
    // Later entries for an original already given replace its standard.
    explicit Standardisation(const std::vector<StandardEntry> &entries);

    const std::vector<StandardEntry> &entries() const { return m_entries; }
    bool isEmpty() const { return m_entries.empty(); }

    // The standard the name counts under, if any.
    std::optional<QString> standardOf(QStringView name) const;
    // The first written standard whose key is `key`, if any.
    std::optional<QString> standardWithKey(const QString &key) const;

    // Counts every one of the spellings under `standard` (a merge, or a rename of one
    // category).
    void merge(const QStringList &spellings, const QString &standard);
    // Takes back every entry whose standard has the key of `standard`: the originals count
    // under their own names again.
    void split(QStringView standard);

    bool operator==(const Standardisation &other) const { return m_entries == other.m_entries; }

private:
    void set(const QString &original, const QString &standard);
    void reindex();

    std::vector<StandardEntry> m_entries;
    QHash<QString, qsizetype> m_byOriginalKey;
    QHash<QString, QString> m_standardOfKey; // a standard's key, its first written spelling
};

} // namespace sortana
