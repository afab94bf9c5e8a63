#include "formats/StandardisationFile.h"

#include "analysis/CsvText.h"
#include "formats/DelimitedText.h"
#include "platform/MessageText.h"
#include "study/CategoryKey.h"

#include <QHash>
#include <QSet>

namespace sortana {

QByteArray standardisationCsv(const std::vector<StandardEntry> &rows)
{
    QByteArray text = csvLine({QStringLiteral("original"), QStringLiteral("standard")});
    for (const StandardEntry &row : rows)
        text += csvLine({row.original, row.standard});
    return text;
}

std::vector<StandardEntry> standardisationRows(const CategoryTable &table, const Standardisation &standardisation)
{
    std::vector<StandardEntry> rows;
    QSet<QString> listed; // the keys of the spellings written
    for (const Category &category : table.categories) {
        for (const Spelling &spelling : category.spellings) {
            rows.push_back({spelling.text, category.name});
            listed.insert(categoryKey(spelling.text));
        }
    }
    for (const StandardEntry &entry : standardisation.entries()) {
        if (!listed.contains(categoryKey(entry.original)))
            rows.push_back(entry);
    }
    return rows;
}

std::optional<Standardisation> readStandardisationFile(const QString &path, QString &error)
{
    Table table;
    if (!readDelimitedText(path, table, error))
        return std::nullopt;
    if (table.rows.empty() || table.rows.front().size() != 2
        || table.rows.front().at(0).compare(u"original", Qt::CaseInsensitive) != 0
        || table.rows.front().at(1).compare(u"standard", Qt::CaseInsensitive) != 0) {
        error = formatMessage(u"Error - %s is no standardisation\nIts first line must be original,standard", {path});
        return std::nullopt;
    }
    std::vector<StandardEntry> entries;
    QHash<QString, std::size_t> lineOfOriginal; // an original's key, the row that gave it
    for (std::size_t r = 1; r < table.rows.size(); ++r) {
        const QStringList &row = table.rows[r];
        const QString original = row.value(0);
        const QString standard = row.value(1);
        if (original.isEmpty() || standard.isEmpty())
            continue;
        const QString key = categoryKey(original);
        const auto earlier = lineOfOriginal.constFind(key);
        if (earlier == lineOfOriginal.cend()) {
            lineOfOriginal.insert(key, r);
            entries.push_back({original, standard});
            continue;
        }
        const QStringList &first = table.rows[*earlier];
        if (categoryKey(first.value(1)) != categoryKey(standard)) {
            error = formatMessage(
                u"Error - lines %d and %d of %s give \"%s\" two standards, \"%s\" and \"%s\"",
                {QString::number(*earlier + 1), QString::number(r + 1), path, original, first.value(1), standard});
            return std::nullopt;
        }
    }
    return Standardisation(entries);
}

} // namespace sortana
