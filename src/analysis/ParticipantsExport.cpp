#include "analysis/AnalysisExport.h"

#include "analysis/TableRow.h"
#include "import/CardSortAnalysis.h"
#include "import/RawRecord.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

namespace sortana {

namespace {

// One participant's weighted pair scores: the lower triangle only, row i holding the pairs
// (i, 0) .. (i, i - 1), so a row walk reads it front to back.
size_t pairCount(int n) { return static_cast<size_t>(n) * static_cast<size_t>(n > 0 ? n - 1 : 0) / 2; }

class ParticipantScores {
public:
    explicit ParticipantScores(int n) : m_cells(pairCount(n), 0) {}
    void clear() { std::memset(m_cells.data(), 0, m_cells.size() * sizeof(qint32)); }
    qint32 &at(int hi, int lo) { return m_cells[rowStart(hi) + static_cast<size_t>(lo)]; }
    const qint32 *row(int i) const { return m_cells.data() + rowStart(i); }

private:
    static size_t rowStart(int i) { return pairCount(i); }
    std::vector<qint32> m_cells;
};

struct Agreement {
    double maxScore;
    double np;       // participants whose sorts make up the pair matrix
    double pairsN;
    // The study's average score of every pair, W / np, in the participant scores' order:
    // the same for every participant, so worked out once.
    std::vector<double> averages;
};

std::vector<double> pairAverages(const PairMatrix &matrix, int n, double np)
{
    std::vector<double> averages;
    averages.reserve(pairCount(n));
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < i; ++j)
            averages.push_back(matrix.at(i, j) / np);
    }
    return averages;
}

// Dividing by a power of two is exact, so multiplying by its inverse gives the same bits
// without the cost of a division in the innermost loop.
struct DivideBy {
    double divisor;
    double operator()(double x) const { return x / divisor; }
};
struct MultiplyBy {
    double factor;
    double operator()(double x) const { return x * factor; }
};

struct SquareSums {
    double average = 0.0;  // against the study's average
    double expert = 0.0;   // against the expert
};

// Adds the participant's squared deviations to the per-item sums, pair by pair in row order:
// each item's sum is only touched by its own row and then once by each later row, so the
// row's own sum can live in a local without changing the order of the additions.
template <typename Scale>
SquareSums addDeviations(CardSortAnalysis &a, const ParticipantScores &scores, const Agreement &agreement,
                         Scale scale)
{
    const int n = a.summary->itemCount;
    const qint32 *expert = a.summary->useExpert ? a.expertMatrix.data() : nullptr;
    double *alignment = a.itemAlignmentSums.data();
    double *expertAlignment = a.itemExpertAlignmentSums.data();
    SquareSums sums;
    for (int i = 0; i < n; ++i) {
        const qint32 *own = scores.row(i);
        const double *average = agreement.averages.data() + pairCount(i);
        double rowSum = alignment[i];
        for (int j = 0; j < i; ++j) {
            const double d = scale(own[j] - average[j]);
            const double dd = d * d;
            sums.average += dd;
            rowSum += dd;
            alignment[j] += dd;
        }
        alignment[i] = rowSum;
        if (expert) {
            const qint32 *reference = expert + static_cast<size_t>(i) * static_cast<size_t>(n);
            double expertRowSum = expertAlignment[i];
            for (int j = 0; j < i; ++j) {
                const double e = scale(static_cast<double>(qint64(own[j]) - reference[j]));
                const double ee = e * e;
                sums.expert += ee;
                expertRowSum += ee;
                expertAlignment[j] += ee;
            }
            expertAlignment[i] = expertRowSum;
        }
    }
    return sums;
}

void writeParticipantRow(CardSortAnalysis &a, const ParticipantRecord &record, const ParticipantScores &scores,
                         const Agreement &agreement, TableRow &row)
{
    const double scale = a.summary->weightedScale();
    const bool powerOfTwo = scale >= 1.0 && std::has_single_bit(static_cast<quint64>(scale))
        && static_cast<double>(static_cast<quint64>(scale)) == scale;
    const SquareSums sums = powerOfTwo ? addDeviations(a, scores, agreement, MultiplyBy{1.0 / scale})
                                       : addDeviations(a, scores, agreement, DivideBy{scale});
    const bool useExpert = a.summary->useExpert;

    row.text(record.id).text(u"\t").integer(record.groups).text(u"\t").integer(record.items)
        .text(u"\t").integer(record.pairs).text(u"\t")
        .quotient(record.items, record.groups, 1).text(u"\t")
        .quotient(record.fitTotal, record.items, 1).text(u"\t")
        .agreement(sums.average, agreement.pairsN, agreement.maxScore);
    if (useExpert)
        row.text(u"\t").agreement(sums.expert, agreement.pairsN, agreement.maxScore);
    row.writeLine(a.participantsFile);
}

} // namespace

void WriteParticipantsFile(CardSortAnalysis &a)
{
    const StudySummary &s = *a.summary;
    const int n = s.itemCount;
    const double np = double(s.countedParticipants());
    const Agreement agreement = {
        double(s.maxScorePerItem()),
        np,
        double(n) * (n - 1) * 0.5,
        pairAverages(a.pairMatrix, n, np),
    };
    ParticipantScores scores(n);
    TableRow row;
    row.text(u"\"ID\"\t\"Groups\"\t\"Items\"\t\"Pairs\"\t\"AveSize\"\t\"AveFit\"\t\"%AveAlign\"");
    if (s.useExpert)
        row.text(u"\t\"%ExpertAlign\"");
    row.writeLine(a.participantsFile);

    // Both passes must agree on which lines are placements, so the reader's rules decide.
    bool inParticipant = false;
    auto participant = a.participants.cbegin();
    int subGroup = 0;
    std::vector<GroupEntry> group;
    const auto endParticipant = [&] {
        if (inParticipant && participant != a.participants.cend())
            writeParticipantRow(a, *participant++, scores, agreement, row);
        group.clear();
        scores.clear();
        inParticipant = true;
    };

    RecordSource &records = a.records();
    records.rewind();
    StudyRecord record;
    while (records.next(record)) {
        switch (record.kind) {
        case RecordKind::Participant:
            endParticipant();
            break;
        case RecordKind::Group:
            if (inParticipant)
                group.clear();
            break;
        case RecordKind::SubGroup:
            ++subGroup;
            break;
        case RecordKind::Item: {
            if (!inParticipant)
                break;
            const Placement placement = parsePlacement(record.value);
            if (!placement.isValid(n, s.useFit))
                break;
            const int weight = placement.weight(s.useFit);
            for (const GroupEntry &entry : group) {
                if (entry.item == placement.item)
                    continue;
                const qint64 pairWeight = s.pairWeight(entry.fit, weight, entry.subGroup == subGroup);
                qint32 &cell = scores.at(std::max(entry.item, placement.item) - 1,
                                         std::min(entry.item, placement.item) - 1);
                // The read already refused totals beyond 32 bits, over the same records.
                cell = static_cast<qint32>(std::min<qint64>(cell + pairWeight, std::numeric_limits<qint32>::max()));
            }
            group.push_back({placement.item, weight, subGroup});
            break;
        }
        case RecordKind::Other:
        case RecordKind::Invalid:
            break;
        }
    }
    // The end of the input ends the last participant.
    endParticipant();
}

} // namespace sortana
