#include "BevelPanel.h"

#include <QPainter>

namespace tarvolin {

namespace {

const QColor kLight(255, 255, 255);
const QColor kShadow(128, 128, 128);

void DrawBevel(QPainter& painter, const QRect& box, BevelPanel::Bevel bevel) {
    const bool raised = bevel == BevelPanel::Bevel::Raised;
    painter.setPen(raised ? kLight : kShadow);
    painter.drawLine(box.topLeft(), box.topRight());
    painter.drawLine(box.topLeft(), box.bottomLeft());
    painter.setPen(raised ? kShadow : kLight);
    painter.drawLine(box.bottomLeft(), box.bottomRight());
    painter.drawLine(box.topRight(), box.bottomRight());
}

} // namespace

BevelPanel::BevelPanel(Bevel outer, Bevel inner, const QColor& color, QWidget* parent)
    : QWidget(parent), outer_(outer), inner_(inner) {
    QPalette colours = palette();
    colours.setColor(QPalette::Window, color);
    setPalette(colours);
    setAutoFillBackground(true);
}

void BevelPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect outerBox = rect();
    DrawBevel(painter, outerBox, outer_);
    DrawBevel(painter, outerBox.adjusted(1, 1, -1, -1), inner_);
}

} // namespace tarvolin
