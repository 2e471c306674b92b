#pragma once

// How both windows set up a control: its name, what a screen reader announces, its place in
// 96-dpi pixels and its font.

#include <QFont>
#include <QLatin1String>
#include <QRect>
#include <QString>

namespace tarvolin {

inline QFont Arial(int pixels, bool bold = false) {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

// Names the control, places it at its 96-dpi position and gives it its font. `caption` is
// what a screen reader announces.
template <typename Control>
Control* Place(Control* control, const char* name, const QString& caption, QRect geometry,
               const QFont& font) {
    control->setObjectName(QLatin1String(name));
    control->setAccessibleName(caption);
    control->setGeometry(geometry);
    control->setFont(font);
    return control;
}

} // namespace tarvolin
