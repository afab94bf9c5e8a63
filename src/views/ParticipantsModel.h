#pragma once

#include "analysis/ParticipantChecks.h"

#include <QAbstractTableModel>
#include <QCoreApplication>

#include <vector>

namespace sortana {

// The participants window's table: one row per participant in file order with its figures,
// the box that ticks it to be left out (none for the expert), the flagged rows shaded and
// those left out in grey italics. Each cell also gives a key to sort by, so that numbers sort
// as numbers; the window sorts through a proxy.
class ParticipantsModel final : public QAbstractTableModel {
    Q_DECLARE_TR_FUNCTIONS(ParticipantsModel)

public:
    enum Column { Number, Participant, Groups, Cards, MeanDistance, Flags, ColumnCount };
    static constexpr int sortRole = Qt::UserRole + 1;

    using QAbstractTableModel::QAbstractTableModel;

    // New figures: nobody ticked, nobody shown as left out.
    void setParticipants(const ParticipantChecks &checks, std::vector<bool> counted);
    void clear();
    // Shows these participants (sorted) as left out. The ticks start from them, and keep the
    // user's changes until they change.
    void showLeftOut(const std::vector<qint32> &leftOut);

    // The ticked participants, in file order.
    std::vector<qint32> ticked() const;
    // False when the participant cannot be ticked: the expert, or not a participant.
    bool setTicked(qint32 participant, bool ticked);
    static QStringList headings();

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

private:
    bool tickable(int row) const;
    bool isLeftOut(int row) const;
    QString text(int row, int column) const;
    QVariant sortKey(int row, int column) const;
    // The expert's and the unchecked participant's note in place of the flags.
    QString note(int row) const;

    std::vector<ParticipantCheck> m_rows;
    // False for the expert, who is not counted and cannot be left out.
    std::vector<bool> m_counted;
    std::vector<bool> m_ticked;
    std::vector<qint32> m_leftOut;
};

} // namespace sortana
