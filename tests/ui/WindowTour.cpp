// Not a test: drives the real window for the scripts that show it, through the same driver as
// the window's tests, so that no script holds a control's position of its own.
//   window_tour shots    adds the files $TOUR_FILES names (one path a line), in that order,
//                        through the real "Add Files" dialog,
//                        types a base name and saves the window to $TOUR_SHOT; then edits the
//                        README row and saves screenshot-edit.png beside it, and the About
//                        window as screenshot-about.png (scripts/screenshot.sh)
//   window_tour centres  prints, for each control the dialog bench clicks, what it is to a
//                        user and its centre relative to the window (bench/dialog_bench.sh)

#include "Unit2.h"
#include "WindowDriver.h"

#include <QFileInfo>
#include <cstdio>

using namespace tarvolin;
using namespace tarvolin::uitest;

class WindowTour : public QObject, public WindowDriver {
    Q_OBJECT

private:
    std::unique_ptr<TForm2> about;

    void Save(QWidget& window, const QString& path) {
        QVERIFY2(window.grab().save(path), qPrintable(path));
        std::printf("saved %s\n", qPrintable(path));
    }
    int RowOf(const QString& path) const {
        for (int row = 0; row < Rows(); ++row) {
            if (Cell(row, 0) == path)
                return row;
        }
        return -1;
    }

private slots:
    void init() {
        OpenWindow();
        about = std::make_unique<TForm2>();
        form->SetAboutWindow(about.get());
    }
    void cleanup() {
        about.reset();
        form.reset();
    }

    void shots() {
        const QStringList paths =
            qEnvironmentVariable("TOUR_FILES").split(u'\n', Qt::SkipEmptyParts);
        const QString shot = qEnvironmentVariable("TOUR_SHOT");
        QVERIFY(!paths.isEmpty() && !shot.isEmpty());
        AddFiles(paths);
        QCOMPARE(Rows(), paths.size());
        TypeBaseName(QStringLiteral("trip"));
        SelectRow(0); // shows the list with the focus
        Save(*form, shot);

        // Single-file editing: a double-click on the read-only README row loads its name and
        // attributes; "Change" and "Cancel" appear and the other buttons are locked.
        const QString folder = QFileInfo(shot).absolutePath();
        const int readme = RowOf(paths.filter(QStringLiteral("/README")).value(0));
        QVERIFY(readme >= 0);
        DoubleClickRow(readme);
        QTRY_VERIFY(Control(kCancel)->isVisible());
        Save(*form, folder + QStringLiteral("/screenshot-edit.png"));

        Cancel();
        bool shown = false;
        QTimer::singleShot(0, [&] {
            shown = QApplication::activeModalWidget() == about.get();
            if (shown && QTest::qWaitForWindowExposed(about.get()))
                Save(*about, folder + QStringLiteral("/screenshot-about.png"));
            about->accept();
        });
        About();
        QVERIFY(shown);
    }

    void centres() {
        const std::pair<const char*, const char*> clicked[] = {
            {"add-files", kAddFiles}, {"name-field", kNameField}, {"start", kStart}};
        for (const auto& [role, name] : clicked) {
            QWidget* control = Control(name);
            const QPoint centre = control->mapTo(form.get(), control->rect().center());
            std::printf("%s %d %d\n", role, centre.x(), centre.y());
        }
    }
};

QTEST_MAIN(WindowTour)
#include "WindowTour.moc"
