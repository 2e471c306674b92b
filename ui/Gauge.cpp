#include "Gauge.h"

#include "AccessibleGauge.h"
#include "GaugeMath.h"

#include <QAccessible>
#include <QPainter>
#include <algorithm>
#include <limits>

namespace tarvolin {

namespace {

GaugeRangeError RangeError(int lowest, int highest) {
    return GaugeRangeError(
        QStringLiteral("Value must be between %1 and %2").arg(lowest).arg(highest).toStdString());
}

} // namespace

Gauge::Gauge(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    InstallAccessibleGauge();
}

int Gauge::PercentDone() const {
    return GaugePercent(minValue_, maxValue_, progress_);
}

template <typename Change>
void Gauge::Update(Change change) {
    const int before = PercentDone();
    change();
    if (PercentDone() == before)
        return;
    repaint();
    QAccessibleValueChangeEvent event(this, progress_);
    QAccessible::updateAccessibility(&event);
}

void Gauge::Announce(const QString& text) {
    setAccessibleDescription(text);
    QAccessibleEvent event(this, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&event);
}

void Gauge::SetMinValue(int value) {
    if (value > maxValue_)
        throw RangeError(std::numeric_limits<int>::min(), maxValue_);
    Update([&] {
        minValue_ = value;
        progress_ = std::max(progress_, value);
    });
}

void Gauge::SetMaxValue(int value) {
    if (value < minValue_)
        throw RangeError(minValue_, std::numeric_limits<int>::max());
    Update([&] {
        maxValue_ = value;
        progress_ = std::min(progress_, value);
    });
}

void Gauge::SetProgress(int value) {
    Update([&] { progress_ = std::clamp(value, minValue_, maxValue_); });
}

void Gauge::SetForeColor(const QColor& color) {
    foreColor_ = color;
    update();
}

void Gauge::SetBackColor(const QColor& color) {
    backColor_ = color;
    update();
}

void Gauge::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    const QRect inner = rect().adjusted(1, 1, -1, -1);
    if (inner.isEmpty())
        return;
    painter.fillRect(inner, backColor_);
    const int percent = PercentDone();
    QRect bar = inner;
    bar.setWidth(GaugeBarWidth(inner.width(), percent));
    if (bar.width() > 0)
        painter.fillRect(bar, foreColor_);

    // Every text pixel turns the colour beneath it to its inverse, so the figure reads on
    // the bar and on the background alike. Without antialiasing a pixel is either text or
    // not, and the inverse is exact (WindowPartsTest::gaugeTextIsInverted).
    QFont textFont = font();
    textFont.setStyleStrategy(QFont::NoAntialias);
    painter.setFont(textFont);
    painter.setPen(Qt::white);
    painter.setCompositionMode(QPainter::RasterOp_NotDestination);
    painter.drawText(inner, Qt::AlignCenter, QString::asprintf("%d%%", percent));
}

} // namespace tarvolin
