// The window's own widgets and rules on their own: the gauge, the start number's reading
// rule and key rules, and the box for a failure nothing caught.

#include "AddFilesDialog.h"
#include "ErrorBoxes.h"
#include "Gauge.h"
#include "GaugeMath.h"
#include "SpinFieldRules.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <QTimer>
#include <stdexcept>

using namespace tarvolin;

namespace {

const QColor kBar(0, 128, 255);
const QColor kBack(232, 227, 204);

QColor Inverse(const QColor& c) {
    return QColor(255 - c.red(), 255 - c.green(), 255 - c.blue());
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
    }
};

struct ShownGauge {
    QWidget window;
    Gauge* gauge = new Gauge(&window);
    ShownGauge() {
        gauge->setGeometry(0, 0, 409, 21);
        QFont font(QStringLiteral("Arial"));
        font.setPixelSize(12);
        gauge->setFont(font);
        gauge->SetForeColor(kBar);
        gauge->SetBackColor(kBack);
        window.resize(409, 21);
    }
};

} // namespace

class WindowPartsTest : public QObject {
    Q_OBJECT

private slots:
    void typedFileNames_data();
    void typedFileNames();
    void readSpinText_data();
    void readSpinText();
    void typedCharacter_data();
    void typedCharacter();
    void spinFieldCharacters_data();
    void spinFieldCharacters();
    void gaugePercent_data();
    void gaugePercent();
    void gaugeBarWidth_data();
    void gaugeBarWidth();
    void gaugeClampsPosition_data();
    void gaugeClampsPosition();
    void gaugeRefusesInvertedRange_data();
    void gaugeRefusesInvertedRange();
    void gaugePaintsFrameBarAndBackground();
    void gaugeTextIsInverted();
    void gaugeRepaintsOnlyOnPercentChange();
    void gaugeIsAProgressBarToAScreenReader();
    void uncaughtFailureShowsBoxAndGoesOn();
};

void WindowPartsTest::typedFileNames_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("paths");
    QTest::newRow("empty") << "" << QStringList{};
    QTest::newRow("one relative name") << "a.txt" << QStringList{"/d/a.txt"};
    QTest::newRow("one name with blanks, no quotes") << "my file" << QStringList{"/d/my file"};
    QTest::newRow("absolute name") << "/e/b" << QStringList{"/e/b"};
    QTest::newRow("quoted names in order, repeats kept")
        << "\"b\" \"/e/a\" \"b\"" << QStringList{"/d/b", "/e/a", "/d/b"};
    QTest::newRow("quoted name with blanks") << "\"x y\" \"z\"" << QStringList{"/d/x y", "/d/z"};
    QTest::newRow("name without a dot stays so") << "\"README\"" << QStringList{"/d/README"};
}

void WindowPartsTest::typedFileNames() {
    QFETCH(QString, text);
    QFETCH(QStringList, paths);
    QCOMPARE(TypedFileNames(text, QStringLiteral("/d")), paths);
}

void WindowPartsTest::readSpinText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("zero") << "0" << 0;
    QTest::newRow("decimal") << "1234" << 1234;
    QTest::newRow("leading blanks") << "  12" << 12;
    QTest::newRow("plus sign") << "+7" << 7;
    QTest::newRow("minus sign, unclamped") << "-5" << -5;
    QTest::newRow("dollar hex") << "$1F" << 31;
    QTest::newRow("0x hex") << "0x1F" << 31;
    QTest::newRow("x hex") << "x1F" << 31;
    QTest::newRow("upper-case X and digits") << "X1f" << 31;
    QTest::newRow("sign before hex") << "-$A" << -10;
    QTest::newRow("beyond the field's range") << "$FFF" << 4095;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("blanks only") << "   " << 0;
    QTest::newRow("hex prefix alone") << "$" << 0;
    QTest::newRow("0x alone") << "0x" << 0;
    QTest::newRow("trailing garbage") << "12a" << 0;
    QTest::newRow("trailing blank") << "12 " << 0;
    QTest::newRow("hex digit without prefix") << "1F" << 0;
    QTest::newRow("two signs") << "--1" << 0;
    QTest::newRow("decimal separator") << "1.5" << 0;
    QTest::newRow("overflow") << "99999999999" << 0;
}

void WindowPartsTest::readSpinText() {
    QFETCH(QString, text);
    QFETCH(int, value);
    QCOMPARE(ReadSpinText(text), value);
}

void WindowPartsTest::typedCharacter_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("character");
    QTest::newRow("digit") << int(Qt::Key_5) << 0 << "5" << int(u'5');
    QTest::newRow("letter") << int(Qt::Key_A) << 0 << "a" << int(u'a');
    QTest::newRow("backspace") << int(Qt::Key_Backspace) << 0 << "" << 0x08;
    QTest::newRow("escape") << int(Qt::Key_Escape) << 0 << "" << 0x1B;
    QTest::newRow("ctrl+v") << int(Qt::Key_V) << int(Qt::ControlModifier) << "" << 0x16;
    QTest::newRow("ctrl+c") << int(Qt::Key_C) << int(Qt::ControlModifier) << "" << 0x03;
    QTest::newRow("enter") << int(Qt::Key_Return) << 0 << "\r" << 0;
    QTest::newRow("tab") << int(Qt::Key_Tab) << 0 << "\t" << 0;
    QTest::newRow("delete") << int(Qt::Key_Delete) << 0 << "" << 0;
    QTest::newRow("delete carrying its control code") << int(Qt::Key_Delete) << 0 << "\x7F" << 0;
    QTest::newRow("arrow") << int(Qt::Key_Left) << 0 << "" << 0;
    QTest::newRow("shift+insert") << int(Qt::Key_Insert) << int(Qt::ShiftModifier) << "" << 0;
    QTest::newRow("alt+digit") << int(Qt::Key_1) << int(Qt::AltModifier) << "1" << 0;
}

void WindowPartsTest::typedCharacter() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, text);
    QFETCH(int, character);
    const QKeyEvent event(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers), text);
    QCOMPARE(int(TypedCharacter(event)), character);
}

void WindowPartsTest::spinFieldCharacters_data() {
    QTest::addColumn<QString>("characters");
    QTest::addColumn<bool>("taken");
    QTest::newRow("digits") << "0123456789" << true;
    QTest::newRow("signs and separator") << "+-." << true;
    QTest::newRow("control characters") << QString::fromUtf16(u"\x08\x03\x16\x18\x1B") << true;
    QTest::newRow("letters") << "axX$" << false;
    QTest::newRow("blank and punctuation") << " ,;" << false;
    QTest::newRow("enter is not a character here") << "\r" << false;
}

void WindowPartsTest::spinFieldCharacters() {
    QFETCH(QString, characters);
    QFETCH(bool, taken);
    for (QChar c : characters)
        QVERIFY2(IsSpinFieldCharacter(c.unicode(), u'.') == taken,
                 qPrintable(QString::number(c.unicode(), 16)));
}

void WindowPartsTest::gaugePercent_data() {
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("percent");
    QTest::newRow("start") << 0 << 100 << 0 << 0;
    QTest::newRow("37 of 100") << 0 << 100 << 37 << 37;
    QTest::newRow("empty range") << 0 << 0 << 0 << 0;
    QTest::newRow("last of five") << 0 << 4 << 4 << 100;
    QTest::newRow("second of five") << 0 << 4 << 1 << 25;
    QTest::newRow("integer part, not rounded") << 0 << 2 << 1 << 50;
    QTest::newRow("two thirds truncates") << 0 << 3 << 2 << 66;
    QTest::newRow("offset range") << 10 << 20 << 15 << 50;
    QTest::newRow("wide range without overflow") << -2000000000 << 2000000000 << 0 << 50;
}

void WindowPartsTest::gaugePercent() {
    QFETCH(int, minimum);
    QFETCH(int, maximum);
    QFETCH(int, position);
    QFETCH(int, percent);
    QCOMPARE(GaugePercent(minimum, maximum, position), percent);
    Gauge gauge;
    gauge.SetMaxValue(maximum);
    gauge.SetMinValue(minimum);
    gauge.SetProgress(position);
    QCOMPARE(gauge.PercentDone(), percent);
}

void WindowPartsTest::gaugeBarWidth_data() {
    QTest::addColumn<int>("innerWidth");
    QTest::addColumn<int>("percent");
    QTest::addColumn<int>("width");
    QTest::newRow("none") << 407 << 0 << 0;
    QTest::newRow("integer part") << 407 << 37 << 150;
    QTest::newRow("full") << 407 << 100 << 407;
    QTest::newRow("capped") << 407 << 150 << 407;
}

void WindowPartsTest::gaugeBarWidth() {
    QFETCH(int, innerWidth);
    QFETCH(int, percent);
    QFETCH(int, width);
    QCOMPARE(GaugeBarWidth(innerWidth, percent), width);
}

void WindowPartsTest::gaugeClampsPosition_data() {
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("requested");
    QTest::addColumn<int>("position");
    QTest::newRow("above") << 0 << 4 << 9 << 4;
    QTest::newRow("below") << 10 << 20 << 3 << 10;
    QTest::newRow("inside") << 0 << 4 << 2 << 2;
}

void WindowPartsTest::gaugeClampsPosition() {
    QFETCH(int, minimum);
    QFETCH(int, maximum);
    QFETCH(int, requested);
    QFETCH(int, position);
    Gauge gauge;
    gauge.SetMaxValue(maximum);
    gauge.SetMinValue(minimum);
    gauge.SetProgress(requested);
    QCOMPARE(gauge.Progress(), position);
}

void WindowPartsTest::gaugeRefusesInvertedRange_data() {
    QTest::addColumn<bool>("settingMinimum");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("message");
    QTest::newRow("minimum above maximum")
        << true << 101 << "Value must be between -2147483648 and 100";
    QTest::newRow("maximum below minimum")
        << false << -1 << "Value must be between 0 and 2147483647";
}

void WindowPartsTest::gaugeRefusesInvertedRange() {
    QFETCH(bool, settingMinimum);
    QFETCH(int, value);
    QFETCH(QString, message);
    Gauge gauge;
    gauge.SetProgress(40);
    try {
        if (settingMinimum)
            gauge.SetMinValue(value);
        else
            gauge.SetMaxValue(value);
        QFAIL("the range was taken");
    } catch (const GaugeRangeError& refusal) {
        QCOMPARE(QString::fromLatin1(refusal.what()), message);
    }
    QCOMPARE(gauge.MinValue(), 0);
    QCOMPARE(gauge.MaxValue(), 100);
    QCOMPARE(gauge.Progress(), 40);
    // Equal ends are a valid range.
    gauge.SetMinValue(100);
    QCOMPARE(gauge.Progress(), 100);
    QCOMPARE(gauge.PercentDone(), 0);
}

void WindowPartsTest::gaugePaintsFrameBarAndBackground() {
    ShownGauge shown;
    shown.gauge->SetProgress(37);
    const QImage image = shown.gauge->grab().toImage();
    QCOMPARE(image.size(), QSize(409, 21));
    // The frame, then the bar over the integer part of 407 * 37 / 100 = 150 pixels, then
    // the background; the top inner row is clear of the text.
    for (const QPoint p : {QPoint(0, 0), QPoint(408, 0), QPoint(0, 20), QPoint(408, 20),
                           QPoint(200, 0), QPoint(0, 10)})
        QCOMPARE(image.pixelColor(p), QColor(Qt::black));
    QCOMPARE(image.pixelColor(1, 1), kBar);
    QCOMPARE(image.pixelColor(150, 1), kBar);
    QCOMPARE(image.pixelColor(151, 1), kBack);
    QCOMPARE(image.pixelColor(407, 19), kBack);
    shown.gauge->SetProgress(100);
    QCOMPARE(shown.gauge->grab().toImage().pixelColor(407, 1), kBar);
}

void WindowPartsTest::gaugeTextIsInverted() {
    ShownGauge shown;
    // At 50% the centred "50%" lies over the bar's end: its pixels over the bar and over the
    // background show the inverse of each, and no other colour appears.
    shown.gauge->SetProgress(50);
    const QImage image = shown.gauge->grab().toImage();
    const QSet<QRgb> allowed = {QColor(Qt::black).rgb(), kBar.rgb(), kBack.rgb(),
                                Inverse(kBar).rgb(), Inverse(kBack).rgb()};
    QSet<QRgb> seen;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            seen.insert(image.pixel(x, y) | 0xFF000000u);
    QVERIFY(seen.contains(Inverse(kBar).rgb()));
    QVERIFY(seen.contains(Inverse(kBack).rgb()));
    QVERIFY(seen.subtract(allowed).isEmpty());
}

void WindowPartsTest::gaugeRepaintsOnlyOnPercentChange() {
    ShownGauge shown;
    shown.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&shown.window));
    QTest::qWait(50);
    PaintCounter paints;
    shown.gauge->installEventFilter(&paints);
    shown.gauge->SetMaxValue(1000);
    QCOMPARE(paints.count, 0); // still 0%
    shown.gauge->SetProgress(9);
    QCOMPARE(paints.count, 0); // 0.9% shows as 0%
    shown.gauge->SetProgress(10);
    QCOMPARE(paints.count, 1); // 1%, painted at once, before any event is handled
    shown.gauge->SetProgress(19);
    shown.gauge->SetProgress(10);
    QCOMPARE(paints.count, 1);
    shown.gauge->SetMaxValue(20);
    QCOMPARE(paints.count, 2); // 50%
}

// A screen reader finds a progress bar with its position and range.
void WindowPartsTest::gaugeIsAProgressBarToAScreenReader() {
    Gauge gauge;
    gauge.SetMaxValue(4);
    gauge.SetProgress(1);
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(&gauge);

    QCOMPARE(face->role(), QAccessible::ProgressBar);
    QVERIFY(face->valueInterface() != nullptr);
    QCOMPARE(face->valueInterface()->currentValue().toInt(), 1);
    QCOMPARE(face->valueInterface()->minimumValue().toInt(), 0);
    QCOMPARE(face->valueInterface()->maximumValue().toInt(), 4);
    QCOMPARE(face->text(QAccessible::Value), QStringLiteral("25%"));
}

void WindowPartsTest::uncaughtFailureShowsBoxAndGoesOn() {
    QApplication::setApplicationName(QStringLiteral("C-Tarvolin"));
    QWidget owner;
    owner.show();
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QWidget* boxParent = nullptr;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr)
            return;
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        boxParent = box->parentWidget();
        QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    });
    bool after = false;
    RunGuarded(&owner, [&] {
        throw std::runtime_error("Value must be between 0 and 2147483647");
        after = true;
    });
    QCOMPARE(title, QStringLiteral("C-Tarvolin"));
    QCOMPARE(text, QStringLiteral("Value must be between 0 and 2147483647"));
    QCOMPARE(icon, QMessageBox::Critical);
    QCOMPARE(boxParent, &owner);
    QVERIFY(!after);
    int ran = 0;
    RunGuarded(&owner, [&] { ++ran; });
    QCOMPARE(ran, 1);
}

QTEST_MAIN(WindowPartsTest)
#include "WindowPartsTest.moc"
