#pragma once

#include "analysis/Adequacy.h"

#include <QPointF>
#include <QRect>
#include <QSize>
#include <QString>

class QPainter;

namespace sortana {

// The participants-enough chart is this size in 0.01 mm on every device, and its pictures too.
inline constexpr QSize adequacyChartSize(16000, 11000);

// Where the chart's plot stands, in 0.01 mm from the chart's top-left corner with y growing
// downwards, and the ranges its axes read.
struct ChartFrame {
    QRect plot;
    int firstSize = 0; // participants at the left and right ends
    int lastSize = 1;
    double lowest = 0.0; // correlation at the bottom and the top
    double highest = 1.0;
    // The point of the plot for that many participants and that correlation.
    QPointF at(double participants, double r) const;
};

ChartFrame adequacyChartFrame(const Adequacy &adequacy);

// The chart at its real size with its top-left corner at the painter's origin: the mean
// correlation over the sizes with the band from the 5th to the 95th percentile, lines at 0.90
// and 0.95, a mark at the study's own number of participants, the axes and their labels, and
// the answer in a sentence above. Text in the font named, whatever the device.
void drawAdequacyChart(const Adequacy &adequacy, QPainter &painter, const QString &fontName);

} // namespace sortana
