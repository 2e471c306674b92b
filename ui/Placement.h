#pragma once

// How both windows set up themselves and their controls: name, what a screen reader
// announces, place in 96-dpi pixels, font and colour.

#include "ScreenFit.h"

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QLatin1String>
#include <QPalette>
#include <QPixmap>
#include <QPushButton>
#include <QRect>
#include <QString>
#include <QWidget>

// The images live in this static library; they are registered before the first window.
// Qt's registration has to be called from outside any namespace.
inline void InitUiResources() {
    Q_INIT_RESOURCE(ui);
}

namespace tarvolin {

inline const QColor kFormColor(217, 217, 217);

inline QFont Arial(int pixels, bool bold = false) {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

// Arial's narrow cut, for the captions that the layout gives less room than Arial takes
// (WindowInvariantsTest::captionsShowWhole): the attribute boxes, whose captions start
// further right on a style with a larger box than the layout's, and the version line. Where
// Arial Narrow is missing, Liberation Sans Narrow has its metrics, as Liberation Sans has
// Arial's; the package depends on both.
inline QFont ArialNarrow(int pixels) {
    QFont font = Arial(pixels);
    font.setFamilies({QStringLiteral("Arial Narrow"), QStringLiteral("Liberation Sans Narrow")});
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

// Gives the button the 18 × 18 glyph `name` of the resources, with its greyed twin shown
// while the button is disabled.
inline void SetGlyph(QPushButton* button, const QString& name) {
    QIcon icon;
    icon.addPixmap(QPixmap(QStringLiteral(":/tarvolin/%1.xpm").arg(name)), QIcon::Normal);
    icon.addPixmap(QPixmap(QStringLiteral(":/tarvolin/%1-disabled.xpm").arg(name)),
                   QIcon::Disabled);
    button->setIcon(icon);
    button->setIconSize(QSize(18, 18));
}

// A fixed-size window with its name, caption, the forms' font and colour, at its place.
inline void SetUpWindow(QWidget* window, const char* name, const QString& caption, QRect geometry) {
    window->setObjectName(QLatin1String(name));
    window->setWindowTitle(caption);
    window->setAccessibleName(caption);
    window->setFont(Arial(12));
    QPalette colours = window->palette();
    colours.setColor(QPalette::Window, kFormColor);
    window->setPalette(colours);
    window->setAutoFillBackground(true);
    window->setFixedSize(geometry.size());
    window->move(geometry.topLeft());
    KeepInsideScreen(*window);
}

} // namespace tarvolin
