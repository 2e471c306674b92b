// The main window used with the keyboard alone, and drawn on a scaled screen. The suite runs
// twice: at scale 1 and with QT_SCALE_FACTOR=2 on a 1600 x 1000 screen, where every fixed
// position and size the window declares must come out twice as large in device pixels, and
// the window must still fit on the screen. The order Tab and Shift+Tab
// take is checked over both windows by tests/ui/WindowInvariantsTest.cpp.

#include "Unit1.h"

#include <QApplication>
#include <QCheckBox>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <memory>

using tarvolin::TForm1;

class KeyboardAndScalingTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void spaceTicksTheBoxTabReaches();
    void fixedGeometryScales();
    void windowStaysOnTheScreen();

private:
    // The named control that has the focus; a field's inner editor counts as the field.
    QString Focused() const;
    // Presses Tab (or Shift+Tab) until the focus reaches another control: a date or time
    // field moves between its day, month and year first.
    void Step(bool forward);
    // The controls the focus visits in `count` steps from the one that has it now.
    QStringList Walk(int count, bool forward, const QStringList& boxesToCheck = {});

    std::unique_ptr<TForm1> form;
};

// The four option boxes, which enable the controls they govern.
static const QStringList kOptionBoxes = {"CheckBox1", "CheckBox3", "CheckBox2", "CheckBox4"};

void KeyboardAndScalingTest::init() {
    QApplication::setApplicationName(QStringLiteral("C-Tarvolin"));
    form = std::make_unique<TForm1>();
    form->show();
    QApplication::setActiveWindow(form.get());
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
}

void KeyboardAndScalingTest::cleanup() {
    form.reset();
}

QString KeyboardAndScalingTest::Focused() const {
    for (QWidget* w = QApplication::focusWidget(); w != nullptr && w != form.get();
         w = w->parentWidget()) {
        if (!w->objectName().isEmpty() && !w->objectName().startsWith(u"qt_"))
            return w->objectName();
    }
    return QStringLiteral("(none)");
}

void KeyboardAndScalingTest::Step(bool forward) {
    const QString from = Focused();
    for (int press = 0; press < 8 && Focused() == from; ++press)
        QTest::keyClick(QApplication::focusWidget(), forward ? Qt::Key_Tab : Qt::Key_Backtab,
                        forward ? Qt::NoModifier : Qt::ShiftModifier);
}

QStringList KeyboardAndScalingTest::Walk(int count, bool forward, const QStringList& boxesToCheck) {
    QStringList visited;
    for (int i = 0; i < count; ++i) {
        const QString name = Focused();
        visited << name;
        auto* box = form->findChild<QCheckBox*>(name);
        if (box != nullptr && boxesToCheck.contains(name) && !box->isChecked())
            QTest::keyClick(box, Qt::Key_Space);
        Step(forward);
    }
    return visited;
}

// Tab from the first control, Space on each option box as the focus reaches it: one round
// ticks all four, since each is reached before the controls it enables.
void KeyboardAndScalingTest::spaceTicksTheBoxTabReaches() {
    form->findChild<QWidget*>(QStringLiteral("CheckBox1"))->setFocus();
    const QStringList visited = Walk(17, true, kOptionBoxes);
    for (const QString& name : kOptionBoxes) {
        QVERIFY2(visited.contains(name), qPrintable(visited.join(u' ')));
        QVERIFY2(form->findChild<QCheckBox*>(name)->isChecked(), qPrintable(name));
    }
}

void KeyboardAndScalingTest::fixedGeometryScales() {
    const qreal expected = qEnvironmentVariableIsSet("QT_SCALE_FACTOR")
                               ? qEnvironmentVariable("QT_SCALE_FACTOR").toDouble()
                               : 1.0;
    QCOMPARE(form->devicePixelRatio(), expected);
    // The fixed size (WindowInvariantsTest.framesAreFixedAndAlike, also run at scale 2) is in
    // the window's own units; the screen gets it scaled.
    QCOMPARE(form->grab().size(), form->size() * expected);
    auto* list = form->findChild<QWidget*>(QStringLiteral("fileList"));
    QCOMPARE(list->grab().size(), list->size() * expected);
}

// The declared position would put the button row below a scaled screen's bottom edge.
void KeyboardAndScalingTest::windowStaysOnTheScreen() {
    QVERIFY(form->screen()->availableGeometry().contains(form->frameGeometry()));
}

QTEST_MAIN(KeyboardAndScalingTest)
#include "KeyboardAndScalingTest.moc"
