#pragma once

#include <QColor>
#include <QWidget>
#include <stdexcept>

namespace tarvolin {

// A range that would put the minimum above the maximum.
class GaugeRangeError : public std::out_of_range {
public:
    using std::out_of_range::out_of_range;
};

// The horizontal progress gauge. It paints a 1-pixel black frame, the background, the bar
// and the percentage written inverted over both, and it repaints itself at once, and only
// when the whole-number percentage changes: a rename run holds the event loop, so the gauge
// is the one thing on the window that shows progress while it works.
class Gauge final : public QWidget {
    Q_OBJECT

public:
    explicit Gauge(QWidget* parent = nullptr);

    int MinValue() const { return minValue_; }
    int MaxValue() const { return maxValue_; }
    int Progress() const { return progress_; }
    int PercentDone() const;

    // A minimum above the maximum, or a maximum below the minimum, is refused with
    // GaugeRangeError("Value must be between %d and %d") and changes nothing. Otherwise
    // the position is pulled into the new range.
    void SetMinValue(int value);
    void SetMaxValue(int value);
    // Clamped into the range.
    void SetProgress(int value);

    // Says `text` to a screen reader, which is told that the gauge's description changed:
    // the one sign, besides the figure, that a run or an undo has ended.
    void Announce(const QString& text);

    QColor ForeColor() const { return foreColor_; }
    QColor BackColor() const { return backColor_; }
    void SetForeColor(const QColor& color);
    void SetBackColor(const QColor& color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Applies a change and repaints when it moved the percentage.
    template <typename Change>
    void Update(Change change);

    int minValue_ = 0;
    int maxValue_ = 100;
    int progress_ = 0;
    QColor foreColor_{Qt::black};
    QColor backColor_{Qt::white};
};

} // namespace tarvolin
