#include "study/Standardisation.h"

#include "study/CategoryKey.h"

namespace sortana {

Standardisation::Standardisation(const std::vector<StandardEntry> &entries)
{
    for (const StandardEntry &entry : entries)
        set(entry.original, entry.standard);
    reindex();
}

std::optional<QString> Standardisation::standardOf(QStringView name) const
{
    const auto found = m_byOriginalKey.constFind(categoryKey(name));
    if (found == m_byOriginalKey.cend())
        return std::nullopt;
    return m_entries[std::size_t(*found)].standard;
}

std::optional<QString> Standardisation::standardWithKey(const QString &key) const
{
    const auto found = m_standardOfKey.constFind(key);
    if (found == m_standardOfKey.cend())
        return std::nullopt;
    return *found;
}

void Standardisation::merge(const QStringList &spellings, const QString &standard)
{
    for (const QString &spelling : spellings)
        set(spelling, standard);
    reindex();
}

void Standardisation::split(QStringView standard)
{
    const QString key = categoryKey(standard);
    std::erase_if(m_entries, [&](const StandardEntry &entry) { return categoryKey(entry.standard) == key; });
    m_byOriginalKey.clear();
    for (std::size_t k = 0; k < m_entries.size(); ++k)
        m_byOriginalKey.insert(categoryKey(m_entries[k].original), qsizetype(k));
    reindex();
}

void Standardisation::set(const QString &original, const QString &standard)
{
    const QString key = categoryKey(original);
    const auto found = m_byOriginalKey.constFind(key);
    if (found != m_byOriginalKey.cend()) {
        m_entries[std::size_t(*found)].standard = standard;
        return;
    }
    m_byOriginalKey.insert(key, qsizetype(m_entries.size()));
    m_entries.push_back({original, standard});
}

void Standardisation::reindex()
{
    m_standardOfKey.clear();
    // insert() keeps the last it is given, and the first written is the one shown.
    for (auto entry = m_entries.crbegin(); entry != m_entries.crend(); ++entry)
        m_standardOfKey.insert(categoryKey(entry->standard), entry->standard);
}

} // namespace sortana
