#include "drawing/AdequacyChart.h"

#include "drawing/DrawingSurface.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <algorithm>
#include <array>
#include <cmath>

namespace sortana {

namespace {

constexpr int leftMargin = 2200;
constexpr int rightMargin = 900;
constexpr int topMargin = 2000;
constexpr int bottomMargin = 1800;
constexpr int tickLength = 150;
constexpr int textGap = 80;
constexpr int titlePoints = 10;
constexpr int labelPoints = 8;
const QColor bandColour(176, 203, 235);
const QColor meanColour(20, 70, 150);
const QColor thresholdColour(110, 110, 110);
const QColor studyColour(190, 60, 40);
constexpr std::array<double, 2> thresholds{0.90, 0.95};

bool isDrawn(const AdequacyPoint &point)
{
    return point.kept > 0 && std::isfinite(point.mean) && std::isfinite(point.p05) && std::isfinite(point.p95);
}

// The step between labelled ticks: 1, 2 or 5 times a power of ten, for no more than ten steps.
int sizeStep(int span)
{
    for (int power = 1;; power *= 10) {
        for (const int factor : {1, 2, 5}) {
            if (span <= 10 * factor * power)
                return factor * power;
        }
    }
}

// Device pixels from 0.01 mm, y downwards.
class ChartDevice {
public:
    explicit ChartDevice(const QPainter &painter)
        : m_x(painter.device()->logicalDpiX() / himetricPerInch),
          m_y(painter.device()->logicalDpiY() / himetricPerInch)
    {
    }
    QPointF point(QPointF himetric) const { return {himetric.x() * m_x, himetric.y() * m_y}; }
    QRectF rect(const QRectF &himetric) const { return {point(himetric.topLeft()), point(himetric.bottomRight())}; }
    double width(double himetric) const { return himetric * m_x; }

private:
    double m_x;
    double m_y;
};

QFont chartFont(const QString &fontName, int points)
{
    QFont font(fontName);
    font.setStyleHint(QFont::SansSerif, QFont::PreferOutline);
    font.setPointSize(points);
    return font;
}

void drawText(QPainter &painter, const ChartDevice &device, const QRectF &himetric, int flags, const QString &text)
{
    painter.drawText(device.rect(himetric), flags, text);
}

} // namespace

QPointF ChartFrame::at(double participants, double r) const
{
    const double across = double(lastSize - firstSize);
    const double down = highest - lowest;
    return {plot.left() + plot.width() * (participants - firstSize) / (across > 0 ? across : 1.0),
            plot.bottom() - plot.height() * (r - lowest) / (down > 0 ? down : 1.0)};
}

ChartFrame adequacyChartFrame(const Adequacy &adequacy)
{
    ChartFrame frame;
    frame.plot = QRect(QPoint(leftMargin, topMargin),
                       QPoint(adequacyChartSize.width() - rightMargin, adequacyChartSize.height() - bottomMargin));
    frame.firstSize = 0;
    frame.lastSize = std::max(2, adequacy.studyParticipants);
    double least = 0.8;
    for (const AdequacyPoint &point : adequacy.points) {
        frame.lastSize = std::max(frame.lastSize, point.participants);
        if (isDrawn(point))
            least = std::min(least, point.p05);
    }
    // Whole tenths below the lowest figure; a correlation is never below -1.
    frame.lowest = std::max(-1.0, std::floor(least * 10.0) / 10.0);
    frame.highest = 1.0;
    return frame;
}

void drawAdequacyChart(const Adequacy &adequacy, QPainter &painter, const QString &fontName)
{
    const ChartFrame frame = adequacyChartFrame(adequacy);
    const ChartDevice device(painter);
    const QRectF plot = frame.plot;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(device.rect(QRectF(QPointF(0, 0), adequacyChartSize)), Qt::white);
    const auto pen = [&](const QColor &colour, double himetric, Qt::PenStyle style = Qt::SolidLine) {
        QPen line(colour, device.width(himetric), style);
        line.setCapStyle(Qt::FlatCap);
        return line;
    };

    std::vector<const AdequacyPoint *> drawn;
    for (const AdequacyPoint &point : adequacy.points) {
        if (isDrawn(point))
            drawn.push_back(&point);
    }
    QPolygonF band;
    QPolygonF mean;
    for (const AdequacyPoint *point : drawn) {
        band << device.point(frame.at(point->participants, point->p95));
        mean << device.point(frame.at(point->participants, point->mean));
    }
    for (auto point = drawn.rbegin(); point != drawn.rend(); ++point)
        band << device.point(frame.at((*point)->participants, (*point)->p05));
    painter.setPen(Qt::NoPen);
    painter.setBrush(bandColour);
    painter.drawPolygon(band);
    painter.setBrush(Qt::NoBrush);

    painter.setFont(chartFont(fontName, labelPoints));
    for (const double threshold : thresholds) {
        painter.setPen(pen(thresholdColour, hairlineWidth, Qt::DashLine));
        const QPointF left = frame.at(frame.firstSize, threshold);
        painter.drawLine(device.point(left), device.point({plot.right(), left.y()}));
        drawText(painter, device, QRectF(plot.right() + textGap, left.y() - 300, rightMargin, 600),
                 Qt::AlignLeft | Qt::AlignVCenter, QString::number(threshold, 'f', 2));
    }
    painter.setPen(pen(meanColour, 2 * hairlineWidth));
    painter.drawPolyline(mean);
    painter.setBrush(meanColour);
    const double dot = device.width(40);
    for (const QPointF &point : mean)
        painter.drawEllipse(point, dot, dot);
    painter.setBrush(Qt::NoBrush);

    if (adequacy.studyParticipants > 0) {
        const QPointF top = frame.at(adequacy.studyParticipants, frame.highest);
        painter.setPen(pen(studyColour, hairlineWidth, Qt::DashLine));
        painter.drawLine(device.point(top), device.point({top.x(), plot.bottom()}));
        painter.setPen(studyColour);
        drawText(painter, device, QRectF(top.x() - 3000, top.y() - 500, 3000 - textGap, 500),
                 Qt::AlignRight | Qt::AlignBottom, QStringLiteral("this study: %1").arg(adequacy.studyParticipants));
    }

    // The axes, their ticks and labels.
    painter.setPen(pen(Qt::black, hairlineWidth));
    painter.drawLine(device.point(plot.bottomLeft()), device.point(plot.bottomRight()));
    painter.drawLine(device.point(plot.bottomLeft()), device.point(plot.topLeft()));
    const int step = sizeStep(frame.lastSize - frame.firstSize);
    for (int size = frame.firstSize; size <= frame.lastSize; size += step) {
        const QPointF at = frame.at(size, frame.lowest);
        painter.drawLine(device.point(at), device.point(at + QPointF(0, tickLength)));
        drawText(painter, device, QRectF(at.x() - 1000, at.y() + tickLength + textGap, 2000, 500),
                 Qt::AlignHCenter | Qt::AlignTop, QString::number(size));
    }
    const double tenths = std::round((frame.highest - frame.lowest) * 10.0);
    const int rStep = tenths > 10 ? 2 : 1;
    for (int k = 0; k <= int(tenths); k += rStep) {
        const double r = frame.lowest + k / 10.0;
        const QPointF at = frame.at(frame.firstSize, r);
        painter.drawLine(device.point(at), device.point(at - QPointF(tickLength, 0)));
        drawText(painter, device, QRectF(at.x() - 1500, at.y() - 300, 1500 - tickLength - textGap, 600),
                 Qt::AlignRight | Qt::AlignVCenter, QString::number(r, 'f', 1));
    }
    painter.setFont(chartFont(fontName, titlePoints));
    drawText(painter, device, QRectF(plot.left(), plot.bottom() + 900, plot.width(), 700),
             Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("Participants in the sub-sample"));
    painter.save();
    const QPointF middle = device.point({300, plot.center().y()});
    painter.translate(middle);
    painter.rotate(-90);
    const double across = device.width(plot.height());
    painter.drawText(QRectF(-across / 2, 0, across, device.width(700)), Qt::AlignHCenter | Qt::AlignTop,
                     QStringLiteral("Correlation with the whole study (r)"));
    painter.restore();
    drawText(painter, device, QRectF(300, 200, adequacyChartSize.width() - 600, topMargin - 500),
             Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, adequacySentence(adequacy));
    painter.restore();
}

} // namespace sortana
