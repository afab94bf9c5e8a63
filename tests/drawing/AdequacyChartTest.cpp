#include "drawing/AdequacyChart.h"
#include "drawing/PictureExport.h"

#include <QImage>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace sortana;
using namespace Qt::StringLiterals;

namespace {

// Drawn at 254 dots per inch, a pixel is 0.1 mm.
constexpr int dpi = 254;

QPoint pixelAt(QPointF himetric)
{
    return {int(std::lround(himetric.x() / 10)), int(std::lround(himetric.y() / 10))};
}

// A curve that rises towards 1 as the samples grow, with one size where no sub-sample
// could be kept.
Adequacy risingCurve()
{
    Adequacy adequacy;
    adequacy.subsets = 50;
    adequacy.studyParticipants = 30;
    for (int k = 2; k <= 30; k += 2) {
        const double mean = 1.0 - 1.2 / k;
        adequacy.points.push_back({k, 50, mean, mean - 0.15, std::min(1.0, mean + 0.04)});
    }
    adequacy.points[1].kept = 0;
    adequacy.points[1].mean = adequacy.points[1].p05 = adequacy.points[1].p95 =
        std::numeric_limits<double>::quiet_NaN();
    settleAnswers(adequacy);
    return adequacy;
}

bool isMeanBlue(QRgb pixel)
{
    return qBlue(pixel) > 110 && qRed(pixel) < 90 && qGreen(pixel) < 130;
}

TEST(AdequacyChart, DrawsTheMeanInsideItsBandAndSaysTheAnswer)
{
    const Adequacy adequacy = risingCurve();
    ASSERT_EQ(adequacy.enough90, 12);
    const ChartFrame frame = adequacyChartFrame(adequacy);
    // Whole tenths below the lowest 5th percentile, 0.25.
    EXPECT_DOUBLE_EQ(frame.lowest, 0.2);
    EXPECT_EQ(frame.lastSize, 30);

    const QImage image =
        adequacyPictureImage(adequacy, u"Liberation Sans"_s, dpi).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(image.size(), QSize(1600, 1100));
    for (const AdequacyPoint &point : adequacy.points) {
        // The study's own size carries its mark.
        if (point.kept == 0 || point.participants == adequacy.studyParticipants)
            continue;
        const QPoint mean = pixelAt(frame.at(point.participants, point.mean));
        EXPECT_TRUE(isMeanBlue(image.pixel(mean))) << point.participants;
        // Halfway down to the 5th percentile: the band, neither the line nor the page.
        const QPoint band = pixelAt(frame.at(point.participants, point.mean - 0.075));
        EXPECT_EQ(image.pixel(band), qRgb(176, 203, 235)) << point.participants;
        // Below the band: the page.
        const QPoint below = pixelAt(frame.at(point.participants, point.p05 - 0.05));
        if (point.p05 - 0.05 > frame.lowest) {
            EXPECT_EQ(image.pixel(below), qRgb(255, 255, 255)) << point.participants;
        }
    }

    const QPoint study = pixelAt(frame.at(adequacy.studyParticipants, 0.5));
    EXPECT_GT(qRed(image.pixel(study)), 2 * qGreen(image.pixel(study)));

    const QByteArray svg = adequacySvgPicture(adequacy, u"Liberation Sans"_s, u"Enough Participants"_s);
    EXPECT_TRUE(svg.contains("reached with 12 participants")) << svg.left(2000).toStdString();
    EXPECT_TRUE(svg.contains(">this study: 30<"));
    EXPECT_TRUE(svg.contains(">0.90<") && svg.contains(">0.95<"));
}

} // namespace
