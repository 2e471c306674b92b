#include "ScreenFit.h"

#include <QEvent>
#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <algorithm>

namespace tarvolin {

namespace {

int Within(int start, int length, int lowest, int room) {
    return std::max(lowest, std::min(start, lowest + room - length));
}

// The window with its frame. Before the window system has drawn the frame its size is not
// known, and a title bar of the style's height is reckoned with.
QRect FrameOf(const QWidget& window) {
    const QRect frame = window.frameGeometry();
    if (frame != window.geometry())
        return frame;
    const int titleBar = window.style()->pixelMetric(QStyle::PM_TitleBarHeight);
    return frame.adjusted(0, -titleBar, 0, 0);
}

class ScreenFitter final : public QObject {
public:
    explicit ScreenFitter(QWidget& window) : QObject(&window), window_(window) {
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &window_ && event->type() == QEvent::Show)
            Fit();
        return false;
    }

private:
    void Fit() {
        const QScreen* screen = window_.screen();
        if (screen == nullptr)
            return;
        const QRect frame = FrameOf(window_);
        const QPoint inside = PositionInside(frame, screen->availableGeometry());
        // A window's position is that of its frame.
        if (inside != frame.topLeft())
            window_.move(inside);
    }

    QWidget& window_;
};

} // namespace

QPoint PositionInside(const QRect& frame, const QRect& available) {
    return {Within(frame.left(), frame.width(), available.left(), available.width()),
            Within(frame.top(), frame.height(), available.top(), available.height())};
}

void KeepInsideScreen(QWidget& window) {
    new ScreenFitter(window);
}

} // namespace tarvolin
