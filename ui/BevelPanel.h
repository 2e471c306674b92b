#pragma once

#include <QColor>
#include <QWidget>

namespace tarvolin {

// A flat coloured panel framed by two 1-pixel bevels, an outer and an inner one, each
// raised (light above and left, dark below and right) or lowered (the reverse).
class BevelPanel final : public QWidget {
    Q_OBJECT

public:
    enum class Bevel { Raised, Lowered };

    BevelPanel(Bevel outer, Bevel inner, const QColor& color, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Bevel outer_;
    Bevel inner_;
};

} // namespace tarvolin
