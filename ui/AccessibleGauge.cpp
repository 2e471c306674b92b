#include "AccessibleGauge.h"

#include "Gauge.h"

#include <QAccessibleValueInterface>
#include <QAccessibleWidget>

namespace tarvolin {

namespace {

class AccessibleGaugeInterface final : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit AccessibleGaugeInterface(Gauge* gauge)
        : QAccessibleWidget(gauge, QAccessible::ProgressBar) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    // The figure the gauge writes on itself.
    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Value)
            return QString::asprintf("%d%%", gauge()->PercentDone());
        return QAccessibleWidget::text(kind);
    }

    QVariant currentValue() const override { return gauge()->Progress(); }
    void setCurrentValue(const QVariant&) override {} // only a run moves it
    QVariant maximumValue() const override { return gauge()->MaxValue(); }
    QVariant minimumValue() const override { return gauge()->MinValue(); }
    QVariant minimumStepSize() const override { return 1; }

private:
    const Gauge* gauge() const { return static_cast<const Gauge*>(widget()); }
};

QAccessibleInterface* AccessibleGaugeFor(const QString& className, QObject* object) {
    if (className == QLatin1String(Gauge::staticMetaObject.className()) && object != nullptr &&
        object->isWidgetType())
        return new AccessibleGaugeInterface(static_cast<Gauge*>(object));
    return nullptr;
}

} // namespace

void InstallAccessibleGauge() {
    static const bool installed = [] {
        QAccessible::installFactory(AccessibleGaugeFor);
        return true;
    }();
    (void)installed;
}

} // namespace tarvolin
