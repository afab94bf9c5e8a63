#pragma once

#include <QtGlobal>

#include <optional>
#include <span>
#include <vector>

namespace sortana {

__extension__ typedef __int128 WideSum;

// 100 * part / whole as printf's %.1f shows it, so that the figure and its text agree.
double percentWithOneDecimal(double part, qint64 whole);

// Pearson's correlation of two series of n integers given by their exact sums; nullopt when
// either series is constant.
struct PairSums {
    qint64 n = 0;
    WideSum sumX = 0;
    WideSum sumY = 0;
    WideSum sumXX = 0;
    WideSum sumYY = 0;
    WideSum sumXY = 0;
};
std::optional<double> pearson(const PairSums &sums);

// The same for two series of doubles of equal length.
std::optional<double> pearson(std::span<const double> x, std::span<const double> y);

// The value at rank ceil(percent / 100 * m), counting from 1, of m values in ascending order.
double nearestRankPercentile(const std::vector<double> &ascending, int percent);

} // namespace sortana
