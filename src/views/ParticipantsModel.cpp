#include "views/ParticipantsModel.h"

#include <QBrush>
#include <QFont>

#include <algorithm>

namespace sortana {

namespace {

// Shaded so that the sorts that may not count stand out in a long table.
const QColor flaggedBackground(255, 224, 208);
const QColor flagColour(150, 30, 0);
const QColor leftOutColour(128, 128, 128);

} // namespace

void ParticipantsModel::setParticipants(const ParticipantChecks &checks, std::vector<bool> counted)
{
    beginResetModel();
    m_rows = checks.rows;
    m_counted = std::move(counted);
    m_counted.resize(m_rows.size(), true);
    m_ticked.assign(m_rows.size(), false);
    m_leftOut.clear();
    endResetModel();
}

void ParticipantsModel::clear()
{
    setParticipants({}, {});
}

void ParticipantsModel::showLeftOut(const std::vector<qint32> &leftOut)
{
    if (leftOut != m_leftOut) {
        m_leftOut = leftOut;
        for (int row = 0; row < rowCount(); ++row)
            m_ticked[size_t(row)] = tickable(row) && isLeftOut(row);
    }
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1));
}

std::vector<qint32> ParticipantsModel::ticked() const
{
    std::vector<qint32> result;
    for (int row = 0; row < rowCount(); ++row) {
        if (tickable(row) && m_ticked[size_t(row)])
            result.push_back(row);
    }
    return result;
}

bool ParticipantsModel::setTicked(qint32 participant, bool ticked)
{
    return setData(index(participant, Participant), ticked ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole);
}

QStringList ParticipantsModel::headings()
{
    return {tr("#"), tr("Participant"), tr("Groups"), tr("Cards"), tr("Mean distance (%)"), tr("Flags")};
}

int ParticipantsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int ParticipantsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

bool ParticipantsModel::tickable(int row) const
{
    return row >= 0 && row < rowCount() && m_counted[size_t(row)];
}

bool ParticipantsModel::isLeftOut(int row) const
{
    return std::binary_search(m_leftOut.begin(), m_leftOut.end(), row);
}

QString ParticipantsModel::note(int row) const
{
    if (!m_counted[size_t(row)])
        return tr("the expert: not compared, cannot be left out");
    if (!m_rows[size_t(row)].checked)
        return tr("no card placed: not compared");
    return {};
}

QString ParticipantsModel::text(int row, int column) const
{
    const ParticipantCheck &check = m_rows[size_t(row)];
    switch (column) {
    case Number: return QString::number(check.index + 1);
    case Participant: return check.id;
    case Groups: return QString::number(check.groups);
    case Cards: return QString::number(check.cards);
    case MeanDistance: return meanDistanceText(check);
    default: {
        const QString noted = note(row);
        return noted.isEmpty() ? flagTexts(check.flags).join(QStringLiteral(", ")) : noted;
    }
    }
}

QVariant ParticipantsModel::sortKey(int row, int column) const
{
    const ParticipantCheck &check = m_rows[size_t(row)];
    switch (column) {
    case Number: return check.index;
    case Participant: return check.id;
    case Groups: return check.groups;
    case Cards: return check.cards;
    case MeanDistance: return check.checked ? check.meanDistance : -1.0;
    // A note sorts with the rows without flags.
    default: return note(row).isEmpty() ? text(row, column) : QString();
    }
}

QVariant ParticipantsModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const int row = index.row();
    const int column = index.column();
    const ParticipantCheck &check = m_rows[size_t(row)];
    const bool out = isLeftOut(row);
    switch (role) {
    case Qt::DisplayRole: return text(row, column);
    case sortRole: return sortKey(row, column);
    case Qt::TextAlignmentRole:
        if (column == Groups || column == Cards || column == MeanDistance)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    case Qt::CheckStateRole:
        if (column == Participant && tickable(row))
            return m_ticked[size_t(row)] ? Qt::Checked : Qt::Unchecked;
        return {};
    case Qt::BackgroundRole:
        if (check.flags != 0)
            return QBrush(flaggedBackground);
        return {};
    case Qt::ForegroundRole:
        if (column == Flags && check.flags != 0)
            return QBrush(flagColour);
        if (out)
            return QBrush(leftOutColour);
        return {};
    case Qt::FontRole: {
        const bool bold = column == Flags && check.flags != 0;
        const bool italic = out || (column == Flags && !check.checked);
        if (!bold && !italic)
            return {};
        QFont font;
        font.setBold(bold);
        font.setItalic(italic);
        return font;
    }
    case Qt::ToolTipRole:
        if (column != Participant)
            return {};
        if (out)
            return tr("Left out of the analysis");
        if (!tickable(row))
            return tr("The expert cannot be left out");
        return {};
    default: return {};
    }
}

QVariant ParticipantsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < ColumnCount)
        return headings()[section];
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags ParticipantsModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    if (index.column() == Participant && tickable(index.row()))
        flags |= Qt::ItemIsUserCheckable;
    return flags;
}

bool ParticipantsModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::CheckStateRole || !index.isValid() || index.column() != Participant || !tickable(index.row()))
        return false;
    const bool ticked = value.toInt() == Qt::Checked;
    if (m_ticked[size_t(index.row())] != ticked) {
        m_ticked[size_t(index.row())] = ticked;
        emit dataChanged(index, index, {Qt::CheckStateRole});
    }
    return true;
}

} // namespace sortana
