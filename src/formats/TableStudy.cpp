#include "formats/TableStudy.h"

#include "formats/ColumnProposal.h"
#include "formats/DelimitedText.h"
#include "platform/MessageText.h"
#include "platform/Platform.h"

#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <array>
#include <numeric>

namespace sortana {

namespace {

enum class Role { Participant, Card, CardId, Category, CategoryId };
constexpr std::array roles = {Role::Participant, Role::Card, Role::CardId, Role::Category, Role::CategoryId};

// Header texts compare without regard to case, and spaces, underscores and hyphens alike; a
// run of white space is one space.
QString headerKey(QStringView text)
{
    QString key = text.toString().simplified().toLower();
    for (QChar &c : key) {
        if (c == u' ' || c == u'-')
            c = u'_';
    }
    return key;
}

std::optional<Role> roleOfHeader(QStringView cell)
{
    static const QHash<QString, Role> names = {
        {QStringLiteral("participant"), Role::Participant},
        {QStringLiteral("participant_id"), Role::Participant},
        {QStringLiteral("user"), Role::Participant},
        {QStringLiteral("user_id"), Role::Participant},
        {QStringLiteral("respondent"), Role::Participant},
        {QStringLiteral("respondent_id"), Role::Participant},
        {QStringLiteral("sorter"), Role::Participant},
        {QStringLiteral("card"), Role::Card},
        {QStringLiteral("card_label"), Role::Card},
        {QStringLiteral("card_name"), Role::Card},
        {QStringLiteral("item"), Role::Card},
        {QStringLiteral("statement"), Role::Card},
        {QStringLiteral("card_id"), Role::CardId},
        {QStringLiteral("category"), Role::Category},
        {QStringLiteral("category_label"), Role::Category},
        {QStringLiteral("group"), Role::Category},
        {QStringLiteral("group_name"), Role::Category},
        {QStringLiteral("pile"), Role::Category},
        {QStringLiteral("category_id"), Role::CategoryId},
        {QStringLiteral("group_id"), Role::CategoryId},
    };
    const auto found = names.constFind(headerKey(cell));
    return found == names.cend() ? std::nullopt : std::optional<Role>(*found);
}

// The first column the header gives the role. A bare "ID" could be anything's id; it is the
// participant's only when no other heading names the participant.
int headerColumn(const QStringList &header, Role role)
{
    for (qsizetype c = 0; c < header.size(); ++c) {
        if (roleOfHeader(header[c]) == role)
            return int(c);
    }
    if (role == Role::Participant) {
        for (qsizetype c = 0; c < header.size(); ++c) {
            if (headerKey(header[c]) == u"id")
                return int(c);
        }
    }
    return -1;
}

bool namesRoles(const QStringList &header)
{
    return std::any_of(roles.cbegin(), roles.cend(), [&](Role role) { return headerColumn(header, role) >= 0; });
}

QString roleName(Role role)
{
    switch (role) {
    case Role::Participant: return QStringLiteral("participant");
    case Role::Card: return QStringLiteral("card");
    case Role::CardId: return QStringLiteral("card id");
    case Role::Category: return QStringLiteral("category");
    case Role::CategoryId: return QStringLiteral("category id");
    }
    return {};
}

// The option of the role, to read or to set.
template <typename Options> auto &givenColumn(Options &options, Role role)
{
    switch (role) {
    case Role::Participant: return options.participant;
    case Role::Card: return options.card;
    case Role::CardId: return options.cardId;
    case Role::Category: return options.category;
    case Role::CategoryId: return options.categoryId;
    }
    return options.participant;
}

bool isColumnNumber(const QString &given)
{
    bool number = false;
    given.toInt(&number);
    return number;
}

// The 0-based column of each role, -1 where the table has none.
struct Columns {
    std::array<int, roles.size()> of{-1, -1, -1, -1, -1};
    int &operator[](Role role) { return of[std::size_t(role)]; }
    int operator[](Role role) const { return of[std::size_t(role)]; }
};

class Mapping {
public:
    Mapping(const Table &table, TableRecords &records) : m_table(table), m_records(records) {}

    // Settles the header, the layout and the columns.
    bool resolve(const TableOptions &options, QString &error);
    bool map(const TableOptions &options, QString &error);
    TableReading reading() const;

private:
    struct Item {
        QString key;
        bool numericKey = false;
        qint64 number = 0;
        QString name;
        int firstRow = 0;
    };
    struct Group {
        QString name;
        int firstRow = 0;
        std::vector<std::pair<int, int>> cards; // item, row
        bool idOnly = false;
    };
    struct Participant {
        QString id;
        int firstRow = 0;
        std::vector<int> invalidRows;
        std::vector<Group> groups;
        QHash<QString, int> groupOfKey;
    };

    bool findColumns(const TableOptions &options, bool wide, QString &error);
    bool proposeColumns(bool headerKnown, QString &error);
    QString columnsFound() const;
    int widest() const;
    QString cell(int row, Role role) const;
    Participant *participantOfRow(std::size_t r);
    Participant *participantOf(const QString &id, int row);
    int itemOf(const QString &key, const QString &label, int row);
    void place(Participant &participant, const QString &groupKey, const QString &groupLabel, int item, int row);
    void mapLong();
    void mapWide();
    void emitRecords();

    const Table &m_table;
    TableRecords &m_records;
    bool m_header = false;
    bool m_wide = false;
    bool m_proposed = false;
    Columns m_columns;
    std::vector<Item> m_items;
    // 1 + the item's index, 0 for none yet: numeric ids by value, other keys by text.
    QHash<qint64, int> m_itemOfNumber;
    QHash<QString, int> m_itemOfKey;
    std::vector<Participant> m_participants;
    QHash<QString, int> m_participantOfId;
    int m_lastParticipant = 0;
    std::vector<int> m_rowsWithoutParticipant;
};

QString Mapping::columnsFound() const
{
    QStringList names;
    const QStringList first = m_table.rows.empty() ? QStringList() : m_table.rows.front();
    for (qsizetype c = 0; c < first.size(); ++c)
        names.append(m_header && !first[c].isEmpty() ? first[c] : QString::number(c + 1));
    return names.join(QStringLiteral(", "));
}

int Mapping::widest() const
{
    qsizetype widest = 0;
    for (const QStringList &row : m_table.rows)
        widest = std::max(widest, row.size());
    return int(widest);
}

bool Mapping::findColumns(const TableOptions &options, bool wide, QString &error)
{
    const QStringList header = m_header && !m_table.rows.empty() ? m_table.rows.front() : QStringList();
    for (const Role role : roles) {
        const QString &given = givenColumn(options, role);
        if (given.isEmpty()) {
            m_columns[role] = headerColumn(header, role);
            continue;
        }
        if (isColumnNumber(given)) {
            const int column = given.toInt() - 1;
            if (column >= 0 && column < widest())
                m_columns[role] = column;
        } else {
            const QString key = headerKey(given);
            for (qsizetype c = 0; c < header.size() && m_columns[role] < 0; ++c) {
                if (headerKey(header[c]) == key)
                    m_columns[role] = int(c);
            }
        }
        if (m_columns[role] < 0) {
            error = formatMessage(u"The table has no column %s for the %s\nIts columns are: %s",
                                  {given, roleName(role), columnsFound()});
            return false;
        }
    }
    if (wide) {
        // The first column is the participant's unless another is named.
        if (m_columns[Role::Participant] < 0)
            m_columns[Role::Participant] = 0;
        return true;
    }
    for (const auto &[needed, alternative] :
         {std::pair{Role::Participant, Role::Participant}, std::pair{Role::Card, Role::CardId},
          std::pair{Role::Category, Role::CategoryId}}) {
        if (m_columns[needed] < 0 && m_columns[alternative] < 0) {
            error =
                formatMessage(u"The table has no %s column\nIts columns are: %s", {roleName(needed), columnsFound()});
            return false;
        }
    }
    return true;
}

bool Mapping::proposeColumns(bool headerKnown, QString &error)
{
    auto proposed = sortana::proposeColumns(m_table, m_header ? 1 : 0);
    // A first row of names this reader does not know would spoil the card ids it heads: read
    // without it, the ids are whole numbers and its own cell there is not, so it is a header.
    if (!headerKnown && !m_header && !m_table.rows.empty() && (!proposed || proposed->cardId < 0)) {
        const auto belowFirst = sortana::proposeColumns(m_table, 1);
        if (belowFirst && belowFirst->cardId >= 0) {
            bool number = false;
            m_table.rows.front().value(belowFirst->cardId).toLongLong(&number);
            if (!number) {
                m_header = true;
                proposed = belowFirst;
            }
        }
    }
    if (!proposed) {
        error = QString::fromUtf16(columnsUndecided);
        return false;
    }
    m_columns[Role::Participant] = proposed->participant;
    m_columns[Role::CardId] = proposed->cardId;
    m_columns[Role::Card] = proposed->card;
    m_columns[Role::Category] = proposed->category;
    m_proposed = true;
    return true;
}

QString Mapping::cell(int row, Role role) const
{
    const int column = m_columns[role];
    const QStringList &cells = m_table.rows[std::size_t(row)];
    return column >= 0 && column < cells.size() ? cells[column] : QString();
}

// The participant of a 0-based row; null for a blank row, and for one without a participant,
// which is kept for its warning.
Mapping::Participant *Mapping::participantOfRow(std::size_t r)
{
    if (isBlankRow(m_table.rows[r]))
        return nullptr;
    const QString id = cell(int(r), Role::Participant);
    if (id.isEmpty()) {
        m_rowsWithoutParticipant.push_back(int(r) + 1);
        return nullptr;
    }
    return participantOf(id, int(r) + 1);
}

Mapping::Participant *Mapping::participantOf(const QString &id, int row)
{
    // Tables mostly list a participant's rows together.
    if (!m_participants.empty() && m_participants[std::size_t(m_lastParticipant)].id == id)
        return &m_participants[std::size_t(m_lastParticipant)];
    const auto found = m_participantOfId.constFind(id);
    if (found != m_participantOfId.cend()) {
        m_lastParticipant = *found;
        return &m_participants[std::size_t(*found)];
    }
    m_lastParticipant = int(m_participants.size());
    m_participantOfId.insert(id, m_lastParticipant);
    m_participants.push_back({id, row, {}, {}, {}});
    return &m_participants.back();
}

// Cards with a numeric id are one card whatever the digits look like: "01" is "1".
int Mapping::itemOf(const QString &key, const QString &label, int row)
{
    bool numeric = false;
    const qint64 number = m_columns[Role::CardId] >= 0 ? key.toLongLong(&numeric) : 0;
    int &index = numeric ? m_itemOfNumber[number] : m_itemOfKey[key];
    if (index > 0) {
        Item &item = m_items[std::size_t(index - 1)];
        if (item.name.isEmpty())
            item.name = label;
        return index - 1;
    }
    m_items.push_back({key, numeric, number, label, row});
    index = int(m_items.size());
    return index - 1;
}

void Mapping::place(Participant &participant, const QString &groupKey, const QString &groupLabel, int item, int row)
{
    const auto found = participant.groupOfKey.constFind(groupKey);
    Group *group = nullptr;
    if (found != participant.groupOfKey.cend()) {
        group = &participant.groups[std::size_t(*found)];
    } else {
        participant.groupOfKey.insert(groupKey, int(participant.groups.size()));
        participant.groups.push_back({groupLabel, row, {}});
        group = &participant.groups.back();
    }
    if (group->name.isEmpty())
        group->name = groupLabel;
    group->cards.emplace_back(item, row);
}

void Mapping::mapLong()
{
    const bool byCardId = m_columns[Role::CardId] >= 0;
    const bool byCategoryId = m_columns[Role::CategoryId] >= 0;
    for (std::size_t r = m_header ? 1 : 0; r < m_table.rows.size(); ++r) {
        Participant *sorter = participantOfRow(r);
        if (!sorter)
            continue;
        Participant &participant = *sorter;
        const int row = int(r) + 1;
        const QString cardLabel = cell(int(r), Role::Card);
        const QString cardKey = byCardId ? cell(int(r), Role::CardId) : cardLabel;
        if (cardKey.isEmpty()) {
            participant.invalidRows.push_back(row);
            continue;
        }
        // An unsorted card is still one of the study's cards.
        const int item = itemOf(cardKey, cardLabel, row);
        const QString categoryLabel = cell(int(r), Role::Category);
        const QString categoryKey = byCategoryId ? cell(int(r), Role::CategoryId) : categoryLabel;
        if (categoryKey.isEmpty()) {
            ++m_records.unsortedRows;
            continue;
        }
        place(participant, categoryKey, categoryLabel, item, row);
    }
    // A card or group without a label anywhere is called by its id.
    for (Item &item : m_items) {
        if (item.name.isEmpty())
            item.name = item.key;
    }
    for (Participant &participant : m_participants) {
        for (auto group = participant.groupOfKey.cbegin(); group != participant.groupOfKey.cend(); ++group) {
            Group &named = participant.groups[std::size_t(group.value())];
            if (named.name.isEmpty()) {
                named.name = group.key();
                named.idOnly = true;
            }
        }
    }
}

void Mapping::mapWide()
{
    const QStringList &header = m_table.rows.front();
    const int participantColumn = m_columns[Role::Participant];
    std::vector<int> itemOfColumn(std::size_t(header.size()), -1);
    for (qsizetype c = 0; c < header.size(); ++c) {
        if (c != participantColumn && !header[c].isEmpty())
            itemOfColumn[std::size_t(c)] = itemOf(header[c], header[c], 1);
    }
    for (std::size_t r = 1; r < m_table.rows.size(); ++r) {
        Participant *sorter = participantOfRow(r);
        if (!sorter)
            continue;
        Participant &participant = *sorter;
        const QStringList &cells = m_table.rows[r];
        const int row = int(r) + 1;
        for (std::size_t c = 0; c < itemOfColumn.size(); ++c) {
            if (itemOfColumn[c] < 0)
                continue;
            const QString category = qsizetype(c) < cells.size() ? cells[qsizetype(c)] : QString();
            if (category.isEmpty())
                ++m_records.unsortedRows;
            else
                place(participant, category, category, itemOfColumn[c], row);
        }
    }
}

void Mapping::emitRecords()
{
    // With ids the cards are numbered by them: numbers by value, then other ids by their text;
    // otherwise in the order they first appear.
    std::vector<int> order(m_items.size());
    std::iota(order.begin(), order.end(), 0);
    if (m_columns[Role::CardId] >= 0) {
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
            const Item &first = m_items[std::size_t(a)];
            const Item &second = m_items[std::size_t(b)];
            if (first.numericKey != second.numericKey)
                return first.numericKey;
            return first.numericKey ? first.number < second.number : first.key < second.key;
        });
    }
    std::vector<int> numberOf(m_items.size());
    for (std::size_t k = 0; k < order.size(); ++k)
        numberOf[std::size_t(order[k])] = int(k) + 1;

    auto &entries = m_records.entries;
    for (const int item : order)
        entries.push_back({RecordKind::Item, m_items[std::size_t(item)].name, m_items[std::size_t(item)].firstRow});
    for (const int row : m_rowsWithoutParticipant)
        entries.push_back({RecordKind::Invalid, QString(), row, false, true});
    for (const Participant &participant : m_participants) {
        entries.push_back({RecordKind::Participant, participant.id, participant.firstRow});
        for (const int row : participant.invalidRows)
            entries.push_back({RecordKind::Invalid, QString(), row});
        for (const Group &group : participant.groups) {
            entries.push_back({RecordKind::Group, group.name, group.firstRow, group.idOnly});
            for (const auto &[item, row] : group.cards)
                entries.push_back({RecordKind::Item, QString::number(numberOf[std::size_t(item)]), row});
        }
    }
}

} // namespace

bool isWorkbookPath(const QString &path)
{
    return QFileInfo(path).suffix().compare(u"xlsx", Qt::CaseInsensitive) == 0;
}

bool isTablePath(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix();
    return isWorkbookPath(path) || suffix.compare(u"csv", Qt::CaseInsensitive) == 0
        || suffix.compare(u"tsv", Qt::CaseInsensitive) == 0;
}

bool Mapping::resolve(const TableOptions &options, QString &error)
{
    const QStringList first = m_table.rows.empty() ? QStringList() : m_table.rows.front();
    const bool headerNamesRoles = namesRoles(first);
    const bool namedByText = std::any_of(roles.cbegin(), roles.cend(), [&](Role role) {
        const QString &given = givenColumn(options, role);
        return !given.isEmpty() && !isColumnNumber(given);
    });
    m_header = options.header == TableOptions::Header::Present
        || (options.header == TableOptions::Header::Auto
            && (headerNamesRoles || namedByText || options.layout == TableOptions::Layout::Wide));
    m_wide = options.layout == TableOptions::Layout::Wide;
    if (options.layout == TableOptions::Layout::Auto && m_header) {
        // A header with a participant column and nothing for the cards is one of card names.
        const auto has = [&](Role role) { return headerColumn(first, role) >= 0; };
        m_wide = has(Role::Participant) && !has(Role::Card) && !has(Role::CardId) && !has(Role::Category)
            && !has(Role::CategoryId);
    }
    if (m_wide && (!m_header || m_table.rows.empty())) {
        error = QStringLiteral("A table with one row per participant needs its header row (the card names)");
        return false;
    }
    const bool anyGiven =
        std::any_of(roles.cbegin(), roles.cend(), [&](Role role) { return !givenColumn(options, role).isEmpty(); });
    if (!m_wide && !headerNamesRoles && !anyGiven)
        return proposeColumns(options.header != TableOptions::Header::Auto, error);
    return findColumns(options, m_wide, error);
}

bool Mapping::map(const TableOptions &options, QString &error)
{
    if (!resolve(options, error))
        return false;
    m_records.fileType = m_wide ? 3 : 2;
    m_records.rowCount = int(m_table.rows.size());
    m_records.reading = reading();
    if (m_wide)
        mapWide();
    else
        mapLong();
    emitRecords();
    return true;
}

TableReading Mapping::reading() const
{
    return {m_header,
            m_wide,
            m_columns[Role::Participant],
            m_columns[Role::Card],
            m_columns[Role::CardId],
            m_columns[Role::Category],
            m_columns[Role::CategoryId],
            m_proposed};
}

QString columnsUsed(const TableReading &reading)
{
    QStringList used;
    for (const auto &[role, column] :
         {std::pair{Role::Participant, reading.participant}, std::pair{Role::CardId, reading.cardId},
          std::pair{Role::Card, reading.card}, std::pair{Role::Category, reading.category},
          std::pair{Role::CategoryId, reading.categoryId}}) {
        if (column >= 0)
            used.append(roleName(role) + u' ' + QString::number(column + 1));
    }
    return QStringLiteral("Columns used: ") + used.join(QStringLiteral(", "));
}

void tellProposedColumns(const TableReading &reading, Platform &platform)
{
    if (reading.proposed)
        platform.messageBox(columnsUsed(reading), MessageIcon::Information, MessageButtons::Ok);
}

std::optional<TableReading> readingOf(const Table &table, const TableOptions &options, QString &error)
{
    TableRecords unused;
    Mapping mapping(table, unused);
    if (!mapping.resolve(options, error))
        return std::nullopt;
    return mapping.reading();
}

std::optional<TableOptions> suggestedColumns(const Table &table)
{
    const QStringList first = table.rows.empty() ? QStringList() : table.rows.front();
    const bool header = namesRoles(first);
    Columns columns;
    if (header) {
        for (const Role role : roles)
            columns[role] = headerColumn(first, role);
    }
    const std::optional<ProposedColumns> proposed = proposeColumns(table, header ? 1 : 0);
    int width = 0;
    for (const QStringList &row : table.rows)
        width = std::max(width, int(row.size()));
    const auto taken = [&](int c) { return std::find(columns.of.cbegin(), columns.of.cend(), c) != columns.of.cend(); };
    // What the cells proposed where it is free, else the first column nothing has.
    const auto fill = [&](Role role, int proposal) {
        int column = proposal >= 0 && !taken(proposal) ? proposal : 0;
        while (taken(column))
            ++column;
        columns[role] = column;
    };
    if (columns[Role::Participant] < 0)
        fill(Role::Participant, proposed ? proposed->participant : -1);
    if (columns[Role::Card] < 0 && columns[Role::CardId] < 0)
        fill(Role::Card, proposed ? proposed->card : -1);
    if (columns[Role::Category] < 0 && columns[Role::CategoryId] < 0)
        fill(Role::Category, proposed ? proposed->category : -1);
    if (std::any_of(columns.of.cbegin(), columns.of.cend(), [width](int c) { return c >= width; }))
        return std::nullopt;
    TableOptions options;
    options.layout = TableOptions::Layout::Long;
    options.header = header ? TableOptions::Header::Present : TableOptions::Header::Absent;
    for (const Role role : roles) {
        if (columns[role] >= 0)
            givenColumn(options, role) = QString::number(columns[role] + 1);
    }
    return options;
}

bool mapTable(const Table &table, const TableOptions &options, TableRecords &records, QString &error)
{
    records = TableRecords();
    Mapping mapping(table, records);
    return mapping.map(options, error);
}

bool loadTableFile(const QString &path, const QString &sheet, WorkbookLoader workbooks, Table &table, QString &error)
{
    if (!isWorkbookPath(path))
        return readDelimitedText(path, table, error);
    if (workbooks)
        return workbooks(path, sheet, table, error);
    error = QStringLiteral("Workbooks cannot be read here\nSave the sheet as a CSV file and try again");
    return false;
}

TableOutcome readTableStudy(const QString &path, const TableOptions &options, WorkbookLoader workbooks,
                            Platform &platform, TableRecords &records)
{
    Table table;
    QString error;
    if (!loadTableFile(path, options.sheet, workbooks, table, error)) {
        platform.fileFailure(error);
        return TableOutcome::FileRefused;
    }
    if (!mapTable(table, options, records, error)) {
        platform.error(error);
        return TableOutcome::ColumnsRefused;
    }
    return TableOutcome::Read;
}

QByteArray rawDataOf(const TableRecords &records)
{
    QStringList groupNames;
    QHash<QString, int> groupNumber;
    for (const TableRecords::Entry &entry : records.entries) {
        if (entry.kind == RecordKind::Group && !groupNumber.contains(entry.value)) {
            groupNumber.insert(entry.value, int(groupNames.size()) + 1);
            groupNames.append(entry.value);
        }
    }
    QString text;
    bool participantsBegun = false;
    for (const TableRecords::Entry &entry : records.entries) {
        switch (entry.kind) {
        case RecordKind::Item: text += u'I' + entry.value + u'\n'; break;
        case RecordKind::Participant:
            if (!participantsBegun) {
                for (const QString &name : std::as_const(groupNames))
                    text += u'G' + name + u'\n';
                participantsBegun = true;
            }
            text += u'P' + entry.value + u'\n';
            break;
        case RecordKind::Group: text += u'G' + QString::number(groupNumber.value(entry.value)) + u'\n'; break;
        case RecordKind::SubGroup:
        case RecordKind::Other:
        case RecordKind::Invalid: break;
        }
    }
    return text.toUtf8();
}

bool TableRecords::next(StudyRecord &record)
{
    if (m_next >= entries.size())
        return false;
    const Entry &entry = entries[m_next++];
    record.kind = entry.kind;
    record.value = entry.value;
    record.position = m_position = entry.position;
    record.literalName = entry.kind == RecordKind::Group;
    record.idOnly = entry.idOnly;
    record.withoutParticipant = entry.withoutParticipant;
    return true;
}

std::optional<QString> TableRecords::warningBeforeRead() const
{
    if (unsortedRows == 0)
        return std::nullopt;
    return formatMessage(u"Warning - %d rows without a category were left out (unsorted cards)",
                         {QString::number(unsortedRows)});
}

} // namespace sortana
