#include "analysis/AnalysisRows.h"

#include "analysis/AnalysisRow.h"
#include "analysis/CardSortEngine.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>

namespace sortana {

// How far each participant's sort, and each item's placement, stands from the study's
// average (and from the expert's): the sum over every pair of items of
// ((own score - study score / np) / scale)^2, printed as a percentage by the agreement rule.
//
// Summed as written, that costs participants x pairs of items, and most of a participant's
// pairs score 0. Exactly, the sum is N / (np x scale)^2 with the integer
//     N = sum of (own x np - W)^2 = sum of W^2 + sum over placed pairs of own x np x (own x np - 2W),
// whose first part is the same for everybody. So the sums are worked out exactly in integers
// over the pairs actually placed. The printed digits are those of the sums added in floating
// point pair by pair, in order, which differ from the exact ones by a bounded rounding: where
// that bound could change a printed digit, the sum is added up in that order after all.

namespace {

__extension__ using Int128 = __int128;

size_t pairCount(int n)
{
    return static_cast<size_t>(n) * static_cast<size_t>(n > 0 ? n - 1 : 0) / 2;
}

// One participant's weighted pair scores: the lower triangle only, row i holding the pairs
// (i, 0) .. (i, i - 1), so a row walk reads it front to back.
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

// A pair a participant placed together, items counted from 0, hi > lo.
struct PlacedPair {
    qint32 hi;
    qint32 lo;
    qint64 weight;
};

// Adds a pair's weight to a participant's score of it: the read refused totals beyond 32
// bits over the same records, so the cap only guards what cannot happen.
qint32 addScore(qint32 score, qint64 weight)
{
    return static_cast<qint32>(std::min<qint64>(score + weight, std::numeric_limits<qint32>::max()));
}

// Walks the input's records as the read did and hands every participant that gets a row
// its record, the pairs it placed, repeats included (a card placed twice pairs twice), and
// whether it placed any card more than once, without which no pair can come twice.
template <typename Visit> void forEachParticipant(CardSortEngine &a, Visit visit)
{
    const StudySummary &s = *a.summary;
    const int n = s.itemCount;
    bool inParticipant = false;
    auto participant = a.participants.cbegin();
    int subGroup = 0;
    std::vector<GroupEntry> group;
    std::vector<PlacedPair> pairs;
    std::vector<int> placedBy(size_t(n), -1);
    int participantNumber = 0;
    bool repeats = false;
    const auto endParticipant = [&] {
        if (inParticipant && participant != a.participants.cend())
            visit(*participant++, pairs, repeats);
        group.clear();
        pairs.clear();
        repeats = false;
        ++participantNumber;
        inParticipant = true;
    };

    // Both passes must agree on which lines are placements, so the reader's rules decide.
    RecordSource &records = a.records();
    records.rewind();
    StudyRecord record;
    while (records.next(record)) {
        switch (record.kind) {
        case RecordKind::Participant: endParticipant(); break;
        case RecordKind::Group:
            if (inParticipant)
                group.clear();
            break;
        case RecordKind::SubGroup: ++subGroup; break;
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
                pairs.push_back({std::max(entry.item, placement.item) - 1, std::min(entry.item, placement.item) - 1,
                                 s.pairWeight(entry.fit, weight, entry.subGroup == subGroup)});
            }
            group.push_back({placement.item, weight, subGroup});
            repeats =
                repeats || std::exchange(placedBy[size_t(placement.item - 1)], participantNumber) == participantNumber;
            break;
        }
        case RecordKind::Other:
        case RecordKind::Invalid: break;
        }
    }
    // The end of the input ends the last participant.
    endParticipant();
}

// The participant's score of every pair it placed, each pair once.
void combineRepeats(std::vector<PlacedPair> &pairs)
{
    std::sort(pairs.begin(), pairs.end(),
              [](const PlacedPair &x, const PlacedPair &y) { return x.hi != y.hi ? x.hi < y.hi : x.lo < y.lo; });
    auto to = pairs.begin();
    for (auto from = pairs.begin(); from != pairs.end(); ++from) {
        if (to != pairs.begin() && (to - 1)->hi == from->hi && (to - 1)->lo == from->lo)
            (to - 1)->weight = addScore(qint32((to - 1)->weight), from->weight);
        else
            *to++ = {from->hi, from->lo, addScore(0, from->weight)};
    }
    pairs.erase(to, pairs.end());
}

// Dividing by a power of two is exact, so multiplying by its inverse gives the same bits
// without the cost of a division in the innermost loop.
struct Scale {
    double divisor;
    bool powerOfTwo;
    double operator()(double x) const { return powerOfTwo ? x * (1.0 / divisor) : x / divisor; }
};

Scale scaleOf(const StudySummary &s)
{
    const double scale = s.weightedScale();
    return {scale,
            scale >= 1.0 && std::has_single_bit(static_cast<quint64>(scale))
                && static_cast<double>(static_cast<quint64>(scale)) == scale};
}

// The squared deviations of one pair, as the ordered sums add them.
struct Deviation {
    const Scale &scale;
    double np;
    double fromAverage(qint32 own, qint32 study) const
    {
        const double d = scale(own - study / np);
        return d * d;
    }
    double fromExpert(qint32 own, qint32 expert) const
    {
        const double e = scale(static_cast<double>(qint64(own) - expert));
        return e * e;
    }
};

// An exact sum of squared deviations, numerator / denominator, with what bounds the rounding
// of the same sum added pair by pair: its number of terms, and for sums against the average
// (whose terms also carry the rounding of W / np) the part of the sum that does not depend
// on the participant, in the same units.
struct ExactSum {
    Int128 numerator = 0;
    long double denominator = 1;
    double terms = 0;
    long double studyPart = 0;
};

// The text the agreement rule gives a sum.
QString agreementText(double sum, double count, double maxScore)
{
    AnalysisRow text;
    text.agreement(sum, count, maxScore);
    return text.line().toString();
}

// The sum the ordered loop would reach, when every value it could reach prints the same.
std::optional<double> settled(const ExactSum &exact, double count, double maxScore)
{
    const long double sum = static_cast<long double>(exact.numerator) / exact.denominator;
    // Each term rounds a few times, the addition once per term, and a term against the
    // average is off by at most twice its deviation times the rounding of W / np; summed,
    // that is below 2 x sqrt(sum x studyPart) by Cauchy-Schwarz. Four times the bound, for
    // good measure.
    constexpr long double unit = std::numeric_limits<double>::epsilon() / 2;
    const long double bound = 4 * unit * ((exact.terms + 4) * sum + 2 * std::sqrt(sum * exact.studyPart));
    const QString low = agreementText(double(std::max<long double>(0, sum - bound)), count, maxScore);
    const QString high = agreementText(double(sum + bound), count, maxScore);
    if (low != high)
        return std::nullopt;
    return double(sum);
}

struct ParticipantRow {
    ParticipantRecord record;
    std::optional<double> average;
    std::optional<double> expert;
};

// Adds up, pair by pair in the order of a walk over every participant's scores, the sums
// that the exact arithmetic could not settle.
void addInOrder(CardSortEngine &a, std::vector<ParticipantRow> &rows, std::vector<std::optional<double>> &itemSums,
                std::vector<std::optional<double>> &itemExpertSums)
{
    const StudySummary &s = *a.summary;
    const int n = s.itemCount;
    const bool useExpert = s.useExpert;
    const auto unsettled = [](const std::vector<std::optional<double>> &sums) {
        std::vector<int> items;
        for (size_t k = 0; k < sums.size(); ++k) {
            if (!sums[k])
                items.push_back(int(k));
        }
        return items;
    };
    const std::vector<int> items = unsettled(itemSums);
    const std::vector<int> expertItems = unsettled(itemExpertSums);
    const auto rowUnsettled = [useExpert](const ParticipantRow &row) {
        return !row.average || (useExpert && !row.expert);
    };
    if (items.empty() && expertItems.empty() && std::none_of(rows.begin(), rows.end(), rowUnsettled))
        return;

    const Scale scale = scaleOf(s);
    const Deviation deviation{scale, double(s.countedParticipants())};
    const PairMatrix &study = a.pairMatrix;
    const PairMatrix &expert = a.expertMatrix;
    ParticipantScores scores(n);
    std::vector<double> itemTotals(size_t(n), 0.0);
    std::vector<double> itemExpertTotals(size_t(n), 0.0);
    auto row = rows.begin();
    forEachParticipant(a, [&](const ParticipantRecord &, const std::vector<PlacedPair> &pairs, bool) {
        ParticipantRow &current = *row++;
        if (!rowUnsettled(current) && items.empty() && expertItems.empty())
            return;
        scores.clear();
        for (const PlacedPair &pair : pairs)
            scores.at(pair.hi, pair.lo) = addScore(scores.at(pair.hi, pair.lo), pair.weight);
        if (rowUnsettled(current)) {
            double average = 0.0;
            double fromExpert = 0.0;
            for (int i = 1; i < n; ++i) {
                const qint32 *own = scores.row(i);
                for (int j = 0; j < i; ++j) {
                    average += deviation.fromAverage(own[j], study.at(i, j));
                    if (useExpert)
                        fromExpert += deviation.fromExpert(own[j], expert.at(i, j));
                }
            }
            current.average = current.average.value_or(average);
            if (useExpert)
                current.expert = current.expert.value_or(fromExpert);
        }
        // An item's pairs: its own row first, then its column down the rows after it.
        const auto addItem = [&](int k, const PairMatrix &reference, auto squared, double &total) {
            for (int j = 0; j < k; ++j)
                total += squared(scores.at(k, j), reference.at(k, j));
            for (int i = k + 1; i < n; ++i)
                total += squared(scores.at(i, k), reference.at(i, k));
        };
        const auto fromAverage = [&](qint32 own, qint32 w) { return deviation.fromAverage(own, w); };
        const auto fromExpert = [&](qint32 own, qint32 e) { return deviation.fromExpert(own, e); };
        for (const int k : items)
            addItem(k, study, fromAverage, itemTotals[size_t(k)]);
        for (const int k : expertItems)
            addItem(k, expert, fromExpert, itemExpertTotals[size_t(k)]);
    });
    for (const int k : items)
        itemSums[size_t(k)] = itemTotals[size_t(k)];
    for (const int k : expertItems)
        itemExpertSums[size_t(k)] = itemExpertTotals[size_t(k)];
}

} // namespace

void writeParticipantsRows(CardSortEngine &a, AgreementSums sums)
{
    const StudySummary &s = *a.summary;
    const int n = s.itemCount;
    const qint64 np = s.countedParticipants();
    const bool useExpert = s.useExpert;
    const Scale scale = scaleOf(s);
    const PairMatrix &study = a.pairMatrix;
    const PairMatrix &expert = a.expertMatrix;

    // The parts every participant shares: the squares of the study's scores (and the
    // expert's), in all and per item.
    Int128 studySquares = 0;
    Int128 expertSquares = 0;
    std::vector<Int128> itemStudySquares(size_t(n), 0);
    std::vector<Int128> itemExpertSquares(useExpert ? size_t(n) : 0, 0);
    for (int i = 1; i < n; ++i) {
        for (int j = 0; j < i; ++j) {
            const Int128 w = study.at(i, j);
            studySquares += w * w;
            itemStudySquares[size_t(i)] += w * w;
            itemStudySquares[size_t(j)] += w * w;
            if (useExpert) {
                const Int128 e = expert.at(i, j);
                expertSquares += e * e;
                itemExpertSquares[size_t(i)] += e * e;
                itemExpertSquares[size_t(j)] += e * e;
            }
        }
    }

    std::vector<ParticipantRow> rows;
    std::vector<Int128> itemPlaced(size_t(n), 0);
    std::vector<Int128> itemExpertPlaced(useExpert ? size_t(n) : 0, 0);
    const long double averageUnits = static_cast<long double>(np) * np * scale.divisor * scale.divisor;
    const long double expertUnits = static_cast<long double>(scale.divisor) * scale.divisor;
    const double pairsN = double(n) * (n - 1) * 0.5;
    const double maxScore = double(s.maxScorePerItem());
    // The integers stay far inside 128 bits while a score times np stays below 2^40 and
    // participants x items below 2^40; beyond that, or with nobody to average over, only
    // the ordered sums will do.
    bool orderedOnly = sums == AgreementSums::PairByPair || np <= 0 || double(a.participants.size()) * n >= 0x1p40;

    forEachParticipant(a, [&](const ParticipantRecord &record, std::vector<PlacedPair> &pairs, bool repeats) {
        if (repeats)
            combineRepeats(pairs);
        Int128 placed = 0;
        Int128 expertPlaced = 0;
        // The study's scores of a participant's pairs lie all over the matrix: fetching a few
        // pairs ahead keeps the memory busy instead of waiting on every one.
        constexpr size_t fetchAhead = 16;
        for (size_t at = 0; at < pairs.size(); ++at) {
            if (at + fetchAhead < pairs.size())
                __builtin_prefetch(study.data() + size_t(pairs[at + fetchAhead].hi) * size_t(n)
                                   + size_t(pairs[at + fetchAhead].lo));
            const PlacedPair &pair = pairs[at];
            const Int128 own = repeats ? pair.weight : addScore(0, pair.weight);
            const Int128 ownTimesNp = own * np;
            orderedOnly = orderedOnly || ownTimesNp >= (Int128(1) << 40);
            const Int128 term = ownTimesNp * (ownTimesNp - 2 * Int128(study.at(pair.hi, pair.lo)));
            placed += term;
            itemPlaced[size_t(pair.hi)] += term;
            itemPlaced[size_t(pair.lo)] += term;
            if (useExpert) {
                const Int128 expertTerm = own * (own - 2 * Int128(expert.at(pair.hi, pair.lo)));
                expertPlaced += expertTerm;
                itemExpertPlaced[size_t(pair.hi)] += expertTerm;
                itemExpertPlaced[size_t(pair.lo)] += expertTerm;
            }
        }
        ParticipantRow row{
            record,
            settled({studySquares + placed, averageUnits, pairsN, studySquares / averageUnits}, pairsN, maxScore),
            std::nullopt};
        if (useExpert)
            row.expert = settled({expertSquares + expertPlaced, expertUnits, pairsN, 0}, pairsN, maxScore);
        rows.push_back(std::move(row));
    });

    // Every item's sums over all participants with a row.
    const double participantRows = double(rows.size());
    const double itemCount = s.itemAgreementCount();
    std::vector<std::optional<double>> itemSums(static_cast<size_t>(n));
    std::vector<std::optional<double>> itemExpertSums(useExpert ? size_t(n) : 0);
    for (size_t k = 0; k < size_t(n); ++k) {
        const Int128 shared = itemStudySquares[k] * Int128(rows.size());
        itemSums[k] = settled({shared + itemPlaced[k], averageUnits, participantRows * (n - 1), shared / averageUnits},
                              itemCount, maxScore);
        if (useExpert)
            itemExpertSums[k] = settled({itemExpertSquares[k] * Int128(rows.size()) + itemExpertPlaced[k], expertUnits,
                                         participantRows * (n - 1), 0},
                                        itemCount, maxScore);
    }
    if (orderedOnly) {
        for (ParticipantRow &row : rows)
            row.average = row.expert = std::nullopt;
        std::fill(itemSums.begin(), itemSums.end(), std::nullopt);
        std::fill(itemExpertSums.begin(), itemExpertSums.end(), std::nullopt);
    }
    addInOrder(a, rows, itemSums, itemExpertSums);

    AnalysisRow text(a.sink().wantsCells());
    text.header({u"ID", u"Groups", u"Items", u"Pairs", u"AveSize", u"AveFit", u"%AveAlign"});
    if (useExpert)
        text.tab().quoted(u"%ExpertAlign");
    text.writeLine(a.sink(), AnalysisFile::Participants);
    for (const ParticipantRow &row : rows) {
        const ParticipantRecord &record = row.record;
        text.plain(record.id)
            .tab()
            .integer(record.groups)
            .tab()
            .integer(record.items)
            .tab()
            .integer(record.pairs)
            .tab()
            .quotient(record.items, record.groups, 1)
            .tab()
            .quotient(record.fitTotal, record.items, 1)
            .tab()
            .agreement(*row.average, pairsN, maxScore);
        if (useExpert)
            text.tab().agreement(*row.expert, pairsN, maxScore);
        text.writeLine(a.sink(), AnalysisFile::Participants);
    }
    for (size_t k = 0; k < size_t(n); ++k) {
        a.itemAlignmentSums[k] = *itemSums[k];
        if (useExpert)
            a.itemExpertAlignmentSums[k] = *itemExpertSums[k];
    }
}

} // namespace sortana
