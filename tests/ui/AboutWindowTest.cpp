// The About window: its frame and labels, and how "About..." opens it and what closes it.

#include "Unit2.h"
#include "WindowDriver.h"

#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QWindow>

using namespace tarvolin;
using namespace tarvolin::uitest;

class AboutWindowTest : public QObject, public WindowDriver {
    Q_OBJECT

private:
    std::unique_ptr<TForm2> about;
    static constexpr char kOk[] = "BitBtn1";

    void PressOk() { QTest::mouseClick(Part(kOk), Qt::LeftButton); }

    template <typename T = QWidget>
    T* Part(const char* name) const {
        T* control = about->findChild<T*>(QLatin1String(name));
        if (control == nullptr)
            qFatal("no control %s", name);
        return control;
    }

    // Presses "About..." on the main window and hands the shown window to `user`, who must
    // close it; returns once "About..." has returned. A window left open is closed with OK
    // after `user` has had its turn, and reported.
    bool OpenAbout(const std::function<void(TForm2&)>& user) {
        bool shownModal = false;
        QTimer::singleShot(0, [&] {
            shownModal = QApplication::activeModalWidget() == about.get() && about->isVisible();
            if (!shownModal)
                return;
            about->activateWindow();
            QApplication::setActiveWindow(about.get());
            if (!QTest::qWaitForWindowActive(about.get()))
                qWarning("the About window did not become active");
            user(*about);
            if (about->isVisible()) {
                qWarning("the About window stayed open");
                about->accept();
            }
        });
        About();
        return shownModal;
    }

private slots:
    void init();
    void cleanup();

    void createdHidden();
    void frame();
    void rightsLineCarriesItsYears();
    void contactBlock();
    void okButton();
    void closes_data();
    void closes();
    void escapeDoesNotClose();
    void reusedEachTime();
};

void AboutWindowTest::init() {
    OpenWindow();
    about = std::make_unique<TForm2>();
    form->SetAboutWindow(about.get());
}

void AboutWindowTest::cleanup() {
    about.reset();
    form.reset();
}

void AboutWindowTest::createdHidden() {
    QVERIFY(!about->isVisible());
    QVERIFY(QApplication::activeModalWidget() == nullptr);
    // With the About window gone, "About..." shows nothing and the main window goes on.
    about.reset();
    About();
    QVERIFY(QApplication::activeModalWidget() == nullptr);
    QVERIFY(form->isVisible());
}

void AboutWindowTest::frame() {
    QCOMPARE(about->accessibleName(), QStringLiteral("About..."));
    const Qt::WindowFlags flags = about->windowFlags();
    QCOMPARE(flags & Qt::WindowType_Mask, Qt::Dialog);
    QVERIFY(flags & Qt::WindowTitleHint);
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QVERIFY(!(flags & Qt::WindowContextHelpButtonHint));
    QCOMPARE(Part("Panel1")->palette().color(QPalette::Window), QColor(217, 217, 217));
    // Shown where it was placed, not centred on the main window.
    QPoint shownAt;
    QSize shownSize;
    QVERIFY(OpenAbout([&](TForm2& window) {
        shownAt = window.pos();
        shownSize = window.size();
        window.accept();
    }));
    QCOMPARE(shownAt, QPoint(271, 135));
    QCOMPARE(shownSize, QSize(210, 302));
}

void AboutWindowTest::rightsLineCarriesItsYears() {
    QVERIFY(Part<QLabel>("Label3")->text().contains(QRegularExpression(QStringLiteral("\\d{4}"))));
}

void AboutWindowTest::contactBlock() {
    const QStringList lines = Part<QLabel>("Label5")->text().split(u'\n');
    QCOMPARE(lines.size(), 6);
    // An e-mail heading with two addresses, a blank line, a home-page heading with one.
    const QRegularExpression mail(QStringLiteral("^\\s*[\\w.-]+@example\\.(org|com)$"));
    const QRegularExpression page(
        QStringLiteral("^\\s*(https?://)?www\\.example\\.(org|com)\\S*$"));
    QVERIFY(!mail.match(lines[0]).hasMatch());
    QVERIFY2(mail.match(lines[1]).hasMatch(), qPrintable(lines[1]));
    QVERIFY2(mail.match(lines[2]).hasMatch(), qPrintable(lines[2]));
    QVERIFY(lines[1] != lines[2]);
    QVERIFY(lines[3].trimmed().isEmpty());
    QVERIFY(!page.match(lines[4]).hasMatch());
    QVERIFY2(page.match(lines[5]).hasMatch(), qPrintable(lines[5]));
}

void AboutWindowTest::okButton() {
    auto* ok = Part<QPushButton>(kOk);
    QVERIFY(ok->isDefault());
    const QImage normal = ok->icon().pixmap(18, 18, QIcon::Normal).toImage();
    // A green check mark on a transparent ground.
    int green = 0;
    for (int y = 0; y < normal.height(); ++y) {
        for (int x = 0; x < normal.width(); ++x) {
            const QColor pixel = normal.pixelColor(x, y);
            if (pixel.alpha() == 255 && pixel.green() > 2 * (pixel.red() + pixel.blue()) + 64)
                ++green;
        }
    }
    QVERIFY(green > 20);
    QCOMPARE(normal.pixelColor(0, 0).alpha(), 0);
}

void AboutWindowTest::closes_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("result");
    QTest::newRow("OK clicked") << "click" << int(QDialog::Accepted);
    QTest::newRow("Enter") << "enter" << int(QDialog::Accepted);
    QTest::newRow("keypad Enter") << "keypad" << int(QDialog::Accepted);
    QTest::newRow("close()") << "close" << int(QDialog::Rejected);
    QTest::newRow("title-bar close button, through the window system")
        << "system" << int(QDialog::Rejected);
}

void AboutWindowTest::closes() {
    QFETCH(QString, how);
    QFETCH(int, result);
    bool closedByUser = false;
    QVERIFY(OpenAbout([&](TForm2& window) {
        // The main window waits: it is blocked while the About window is up.
        QVERIFY(QApplication::activeModalWidget() == &window);
        QVERIFY(form->isVisible());
        QWidget* focused = QApplication::focusWidget();
        QVERIFY(focused != nullptr && focused->window() == &window);
        if (how == "click")
            PressOk();
        else if (how == "enter")
            QTest::keyClick(focused, Qt::Key_Return);
        else if (how == "keypad")
            QTest::keyClick(focused, Qt::Key_Enter, Qt::KeypadModifier);
        else if (how == "close")
            window.close();
        else
            window.windowHandle()->close();
        closedByUser = !window.isVisible();
    }));
    QVERIFY(closedByUser);
    QVERIFY(!about->isVisible());
    QCOMPARE(about->result(), result);
    QVERIFY(QApplication::activeModalWidget() == nullptr);
    // The main window goes on: the program did not end with the About window.
    QVERIFY(form->isVisible());
}

void AboutWindowTest::escapeDoesNotClose() {
    bool stayed = false;
    QVERIFY(OpenAbout([&](TForm2& window) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QTest::keyClick(&window, Qt::Key_Escape);
        QCoreApplication::processEvents();
        stayed = window.isVisible() && QApplication::activeModalWidget() == &window;
        PressOk();
    }));
    QVERIFY(stayed);
    QVERIFY(!about->isVisible());
}

void AboutWindowTest::reusedEachTime() {
    const TForm2* const first = about.get();
    // Closed each time in another way; it comes back the same.
    for (int time = 0; time < 3; ++time) {
        TForm2* shown = nullptr;
        QVERIFY(OpenAbout([&](TForm2& window) {
            shown = &window;
            if (time == 0)
                window.windowHandle()->close();
            else
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        }));
        QCOMPARE(shown, first);
        QVERIFY(!about->isVisible());
    }
}

QTEST_MAIN(AboutWindowTest)
#include "AboutWindowTest.moc"
