#include "analysis/Adequacy.h"

#include "analysis/ParallelRuns.h"
#include "analysis/ResamplingFigures.h"
#include "analysis/SubStudy.h"
#include "study/Study.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <random>

namespace sortana {

namespace {

// Up to this many participants, the products of every two participants' pair counts are
// worked out once (P x P of them), and a sub-sample's sums are added from them instead of
// from its matrix; above it that table would take more memory than it saves time.
constexpr int largestProductTable = 2048;

// How a sub-sample's pair counts compare with the whole study's: the sums Pearson's r needs,
// for any set of distinct participants.
class CountSums {
public:
    CountSums(const SubStudies &study, bool productTable) : m_study(study), m_table(productTable) {}

    bool prepare(int workers, const Progress &progress)
    {
        const int participants = m_study.participants();
        m_pairings.assign(std::size_t(participants), 0);
        for (int p = 0; p < participants; ++p)
            m_study.forEachPairing(p, [&](int, int, qint32) { ++m_pairings[std::size_t(p)]; });
        m_whole.n = qint64(m_study.pairTotal());
        m_whole.sumX = std::accumulate(m_pairings.begin(), m_pairings.end(), WideSum(0));
        m_whole.sumXX = 0;
        if (!m_table) {
            std::vector<qint32> everyone(static_cast<std::size_t>(participants));
            std::iota(everyone.begin(), everyone.end(), 0);
            m_study.fillPairCounts(everyone, m_wholeCounts);
            for (const qint32 count : m_wholeCounts)
                m_whole.sumXX += WideSum(count) * count;
            return true;
        }
        m_products.assign(std::size_t(participants) * std::size_t(participants), 0);
        std::vector<std::vector<qint32>> dense(static_cast<std::size_t>(workers));
        const WorkTask row = [&](qint64 task, const std::vector<qint32> &, int worker) {
            std::vector<qint32> &counts = dense[std::size_t(worker)];
            counts.resize(m_study.pairTotal(), 0);
            const int p = int(task);
            m_study.forEachPairing(p, [&](int lo, int hi, qint32) { ++counts[SubStudies::pairIndex(lo, hi)]; });
            for (int q = 0; q <= p; ++q) {
                qint64 product = 0;
                m_study.forEachPairing(
                    q, [&](int lo, int hi, qint32) { product += counts[SubStudies::pairIndex(lo, hi)]; });
                m_products[index(p, q)] = m_products[index(q, p)] = product;
            }
            m_study.forEachPairing(p, [&](int lo, int hi, qint32) { counts[SubStudies::pairIndex(lo, hi)] = 0; });
        };
        const PrepareTask nothingToDraw = [](qint64, std::vector<qint32> &) {};
        if (!runTasks(participants, workers, nothingToDraw, row, progress))
            return false;
        m_withWhole.assign(std::size_t(participants), 0);
        for (int p = 0; p < participants; ++p) {
            const qint64 *products = m_products.data() + index(p, 0);
            m_withWhole[std::size_t(p)] = std::accumulate(products, products + participants, qint64(0));
            m_whole.sumXX += m_withWhole[std::size_t(p)];
        }
        return true;
    }

    // The sums of the sub-sample of these distinct participants (x) against the whole
    // study (y). `scratch` is the worker's own.
    PairSums sums(const std::vector<qint32> &sample, std::vector<qint32> &scratch) const
    {
        PairSums s;
        s.n = m_whole.n;
        s.sumY = m_whole.sumX;
        s.sumYY = m_whole.sumXX;
        if (!m_table) {
            m_study.fillPairCounts(sample, scratch);
            for (std::size_t cell = 0; cell < scratch.size(); ++cell) {
                s.sumX += scratch[cell];
                s.sumXX += WideSum(scratch[cell]) * scratch[cell];
                s.sumXY += WideSum(scratch[cell]) * m_wholeCounts[cell];
            }
            return s;
        }
        for (const qint32 p : sample) {
            s.sumX += m_pairings[std::size_t(p)];
            s.sumXY += m_withWhole[std::size_t(p)];
        }
        const int participants = m_study.participants();
        if (2 * int(sample.size()) <= participants) {
            s.sumXX = withinSet(sample);
            return s;
        }
        // A large sample: through the few participants it leaves out.
        std::vector<bool> in(std::size_t(participants), false);
        for (const qint32 p : sample)
            in[std::size_t(p)] = true;
        std::vector<qint32> &outside = scratch;
        outside.clear();
        WideSum outsideWithWhole = 0;
        for (int p = 0; p < participants; ++p) {
            if (!in[std::size_t(p)]) {
                outside.push_back(p);
                outsideWithWhole += m_withWhole[std::size_t(p)];
            }
        }
        s.sumXX = m_whole.sumXX - 2 * outsideWithWhole + withinSet(outside);
        return s;
    }

private:
    std::size_t index(int p, int q) const
    {
        return std::size_t(p) * std::size_t(m_study.participants()) + std::size_t(q);
    }

    // The sum of the products of every two participants of the set (each with itself too).
    WideSum withinSet(const std::vector<qint32> &set) const
    {
        WideSum total = 0;
        for (const qint32 p : set) {
            // No row of a set sums past 2^62: each participant's pairings are bounded.
            qint64 row = 0;
            const qint64 *products = m_products.data() + index(p, 0);
            for (const qint32 q : set)
                row += products[q];
            total += row;
        }
        return total;
    }

    const SubStudies &m_study;
    const bool m_table;
    std::vector<qint64> m_pairings; // per participant: the pairings they add (sum of counts)
    std::vector<qint64> m_products; // P x P: the sum over pairs of cards of two count products
    std::vector<qint64> m_withWhole; // per participant: its products with the whole study
    std::vector<qint32> m_wholeCounts; // without the table: the whole study's counts
    PairSums m_whole; // the whole study as x: its sums
};

// Tells `progress` of one phase of a run as a part of the whole run.
Progress phaseOf(const Progress &progress, qint64 before, qint64 total)
{
    if (!progress)
        return {};
    return [&progress, before, total](qint64 done, qint64) { return progress(before + done, total); };
}

} // namespace

std::vector<int> adequacySizes(int participants)
{
    std::vector<int> sizes;
    if (participants <= 41) {
        for (int k = 2; k <= participants; ++k)
            sizes.push_back(k);
        return sizes;
    }
    for (int j = 0; j <= 39; ++j)
        sizes.push_back(int(std::lround(2 + double(participants - 2) * j / 39.0)));
    return sizes;
}

std::optional<Adequacy> computeAdequacy(const Study &study, int subsets, quint64 seed, const Progress &progress)
{
    return computeAdequacy(study, subsets, seed, progress, AdequacyMethod::Automatic);
}

std::optional<Adequacy> computeAdequacy(const Study &source, int subsets, quint64 seed, const Progress &progress,
                                        AdequacyMethod method)
{
    const SubStudies study(source);
    if (!study.problem().isEmpty() || subsets < 1)
        return std::nullopt;
    const int participants = study.participants();
    const std::vector<int> sizes = adequacySizes(participants);
    const bool table = method == AdequacyMethod::ProductTable
        || (method == AdequacyMethod::Automatic && participants <= largestProductTable);
    const int workers = coreCount();
    const qint64 samples = qint64(sizes.size()) * subsets;
    const qint64 total = (table ? participants : 0) + samples;

    CountSums countSums(study, table);
    if (!countSums.prepare(workers, phaseOf(progress, 0, total)))
        return std::nullopt;

    std::mt19937_64 generator(seed);
    std::vector<qint32> list;
    const PrepareTask drawSample = [&](qint64 task, std::vector<qint32> &draws) {
        const int k = sizes[std::size_t(task / subsets)];
        list.resize(std::size_t(participants));
        std::iota(list.begin(), list.end(), 0);
        for (int i = 0; i < k; ++i)
            std::swap(list[std::size_t(i)],
                      list[std::size_t(i) + std::size_t(generator() % quint64(participants - i))]);
        draws.assign(list.begin(), list.begin() + k);
    };
    std::vector<std::optional<double>> correlations(static_cast<std::size_t>(samples));
    std::vector<std::vector<qint32>> scratch(static_cast<std::size_t>(workers));
    const WorkTask correlate = [&](qint64 task, const std::vector<qint32> &draws, int worker) {
        correlations[std::size_t(task)] = pearson(countSums.sums(draws, scratch[std::size_t(worker)]));
    };
    if (!runTasks(samples, workers, drawSample, correlate, phaseOf(progress, total - samples, total)))
        return std::nullopt;

    Adequacy adequacy;
    adequacy.seed = seed;
    adequacy.subsets = subsets;
    adequacy.studyParticipants = participants;
    for (std::size_t s = 0; s < sizes.size(); ++s) {
        std::vector<double> kept;
        for (int i = 0; i < subsets; ++i) {
            if (const std::optional<double> r = correlations[s * std::size_t(subsets) + std::size_t(i)])
                kept.push_back(*r);
        }
        AdequacyPoint point;
        point.participants = sizes[s];
        point.kept = qint32(kept.size());
        point.mean = point.p05 = point.p95 = std::numeric_limits<double>::quiet_NaN();
        if (!kept.empty()) {
            point.mean = std::accumulate(kept.begin(), kept.end(), 0.0) / double(kept.size());
            std::sort(kept.begin(), kept.end());
            point.p05 = nearestRankPercentile(kept, 5);
            point.p95 = nearestRankPercentile(kept, 95);
        }
        adequacy.points.push_back(point);
    }
    settleAnswers(adequacy);
    return adequacy;
}

bool Adequacy::operator==(const Adequacy &other) const
{
    auto same = [](double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); };
    return seed == other.seed && subsets == other.subsets && studyParticipants == other.studyParticipants
        && enough90 == other.enough90 && enough95 == other.enough95
        && std::equal(points.begin(), points.end(), other.points.begin(), other.points.end(),
                      [&](const AdequacyPoint &a, const AdequacyPoint &b) {
                          return a.participants == b.participants && a.kept == b.kept && same(a.mean, b.mean)
                              && same(a.p05, b.p05) && same(a.p95, b.p95);
                      });
}

void settleAnswers(Adequacy &adequacy)
{
    adequacy.enough90.reset();
    adequacy.enough95.reset();
    for (const AdequacyPoint &point : adequacy.points) {
        if (point.kept == 0)
            continue;
        if (!adequacy.enough90 && point.mean >= 0.90)
            adequacy.enough90 = point.participants;
        if (!adequacy.enough95 && point.mean >= 0.95)
            adequacy.enough95 = point.participants;
    }
}

QString adequacySentence(const Adequacy &a)
{
    const QString of = QStringLiteral("of the study's %1").arg(a.studyParticipants);
    if (a.enough90 && a.enough95)
        return QStringLiteral("A mean correlation of 0.90 with the whole study is reached with %1 participants, "
                              "and 0.95 with %2, %3.")
            .arg(*a.enough90)
            .arg(*a.enough95)
            .arg(of);
    if (a.enough90)
        return QStringLiteral("A mean correlation of 0.90 with the whole study is reached with %1 participants %2; "
                              "0.95 is not reached.")
            .arg(*a.enough90)
            .arg(of);
    return QStringLiteral("No sample of the study's %1 participants reaches a mean correlation of 0.90 with the "
                          "whole study: more participants may still change the result.")
        .arg(a.studyParticipants);
}

} // namespace sortana
