#include "analysis/ResamplingFigures.h"

#include "analysis/CsvText.h"

#include <algorithm>
#include <cmath>

namespace sortana {

double percentWithOneDecimal(double part, qint64 whole)
{
    return fixedText(100.0 * part / double(whole), 1).toDouble();
}

std::optional<double> pearson(const PairSums &s)
{
    // n times the sums of squared deviations and of their products: exact in integers.
    const WideSum spreadX = s.n * s.sumXX - s.sumX * s.sumX;
    const WideSum spreadY = s.n * s.sumYY - s.sumY * s.sumY;
    if (spreadX == 0 || spreadY == 0)
        return std::nullopt;
    const WideSum together = s.n * s.sumXY - s.sumX * s.sumY;
    // Rounding may take a perfect correlation a hair past 1.
    return std::clamp(double(together) / std::sqrt(double(spreadX) * double(spreadY)), -1.0, 1.0);
}

std::optional<double> pearson(std::span<const double> x, std::span<const double> y)
{
    const std::size_t n = std::min(x.size(), y.size());
    auto constant = [n](std::span<const double> series) {
        return std::all_of(series.begin(), series.begin() + std::ptrdiff_t(n),
                           [&](double value) { return value == series.front(); });
    };
    if (n < 2 || constant(x) || constant(y))
        return std::nullopt;
    double meanX = 0.0;
    double meanY = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        meanX += x[i];
        meanY += y[i];
    }
    meanX /= double(n);
    meanY /= double(n);
    double together = 0.0;
    double spreadX = 0.0;
    double spreadY = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        const double dx = x[i] - meanX;
        const double dy = y[i] - meanY;
        together += dx * dy;
        spreadX += dx * dx;
        spreadY += dy * dy;
    }
    return std::clamp(together / std::sqrt(spreadX * spreadY), -1.0, 1.0);
}

double nearestRankPercentile(const std::vector<double> &ascending, int percent)
{
    // ceil(percent * m / 100) in integers: 0.05 * m in doubles can land just above a whole
    // number and take the next rank.
    const std::size_t m = ascending.size();
    const std::size_t rank = std::max<std::size_t>(1, (std::size_t(percent) * m + 99) / 100);
    return ascending[rank - 1];
}

} // namespace sortana
