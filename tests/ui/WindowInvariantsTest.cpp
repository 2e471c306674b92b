// What a user sees of both windows, checked over every control rather than restated control
// by control: each lies inside its parent, no two siblings overlap, every caption shows whole
// in its control with the fonts installed, and Tab visits exactly the controls that can take
// the focus, in the window's order. The suite runs at scale 1 and again with
// QT_SCALE_FACTOR=2.

#include "Unit2.h"
#include "WindowDriver.h"

#include <QAbstractButton>
#include <QHeaderView>
#include <QLabel>
#include <QStyleOptionButton>
#include <QStyleOptionHeader>
#include <algorithm>

using namespace tarvolin;
using namespace tarvolin::uitest;

namespace {

// The order Tab takes through the main window, every control listed; a disabled or hidden
// one is passed over.
const QStringList kMainTabOrder = {kExpandName,  kNameField,    kExtensionField,  kAllUppercase,
                                   kReadOnlyBox, kHiddenBox,    kSysFileBox,      kArchiveBox,
                                   kProperty,    kAllLowercase, kChange,          kCancel,
                                   kStartNumber, kCreateDate,   kCreateTimeOfDay, kCreateTime,
                                   kModifyTime,  kModifyDate,   kModifyTimeOfDay, kFileList,
                                   kAddFiles,    kClear,        kStart,           kQuit,
                                   kAbout};

// The window's own controls and their parts: every named widget but Qt's inner ones.
QList<QWidget*> ControlsOf(QWidget& window) {
    QList<QWidget*> controls;
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        const QString name = widget->objectName();
        if (!widget->isWindow() && !name.isEmpty() && !name.startsWith(u"qt_"))
            controls << widget;
    }
    return controls;
}

QString Described(const QWidget* control) {
    return control->parentWidget()->objectName() + u'/' + control->objectName();
}

// How many pixel columns `text` inks from where it is drawn: a caption is clipped when its
// last inked column falls outside its room, whatever room its advance asks for beyond that.
int InkWidth(const QFontMetrics& metrics, const QString& text) {
    return metrics.boundingRect(text).right() + 1;
}

// Where a caption is drawn and how wide and high it needs to be.
struct CaptionRoom {
    QRect room;
    QSize needed;
};

CaptionRoom RoomOf(const QLabel& label) {
    const QFontMetrics metrics(label.font());
    const QStringList lines = label.text().split(u'\n');
    int width = 0;
    for (const QString& line : lines)
        width = std::max(width, InkWidth(metrics, line));
    const int height =
        static_cast<int>(lines.size() - 1) * metrics.lineSpacing() + metrics.height();
    return {label.contentsRect(), {width, height}};
}

CaptionRoom RoomOf(const QAbstractButton& button) {
    QStyleOptionButton option;
    option.initFrom(&button);
    option.text = button.text();
    option.icon = button.icon();
    option.iconSize = button.iconSize();
    const QFontMetrics metrics(button.font());
    QSize needed(InkWidth(metrics, button.text()), metrics.height());
    if (qobject_cast<const QCheckBox*>(&button) != nullptr)
        return {button.style()->subElementRect(QStyle::SE_CheckBoxContents, &option, &button),
                needed};
    // A push button centres its glyph and caption, four pixels apart, in its contents.
    if (!button.icon().isNull())
        needed = {needed.width() + button.iconSize().width() + 4,
                  std::max(needed.height(), button.iconSize().height())};
    return {button.style()->subElementRect(QStyle::SE_PushButtonContents, &option, &button),
            needed};
}

// The columns' captions in the list's header, each in its section less the style's margins.
QList<std::pair<QString, CaptionRoom>> HeaderRooms(const QHeaderView& header) {
    QList<std::pair<QString, CaptionRoom>> rooms;
    const int margin = header.style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, &header);
    const QFontMetrics metrics(header.font());
    for (int section = 0; section < header.count(); ++section) {
        const QString caption = header.model()->headerData(section, Qt::Horizontal).toString();
        const QRect room(header.sectionViewportPosition(section) + margin, 0,
                         header.sectionSize(section) - 2 * margin, header.height());
        rooms.append({caption, {room, {InkWidth(metrics, caption), metrics.height()}}});
    }
    return rooms;
}

} // namespace

class WindowInvariantsTest : public QObject, public WindowDriver {
    Q_OBJECT

private:
    std::unique_ptr<TForm2> about;

    QWidget& Window(const QString& which) {
        return which == u"main" ? static_cast<QWidget&>(*form) : *about;
    }
    // The named control that has the focus; a field's inner editor counts as the field.
    QString Focused(const QWidget& window) const {
        for (QWidget* w = QApplication::focusWidget(); w != nullptr && w != &window;
             w = w->parentWidget()) {
            if (!w->objectName().isEmpty() && !w->objectName().startsWith(u"qt_") &&
                w->parentWidget() != nullptr && w->parentWidget()->objectName() != kStartNumber)
                return w->objectName();
        }
        return QStringLiteral("(none)");
    }

private slots:
    void init();
    void cleanup();
    void windows_data();
    void controlsLieInsideTheirParents_data() { windows_data(); }
    void controlsLieInsideTheirParents();
    void siblingsDoNotOverlap_data() { windows_data(); }
    void siblingsDoNotOverlap();
    void captionsShowWhole_data() { windows_data(); }
    void captionsShowWhole();
    void captionsAreAnnounced_data() { windows_data(); }
    void captionsAreAnnounced();
    void framesAreFixedAndAlike_data();
    void framesAreFixedAndAlike();
    void glyphsHaveAGreyedForm_data() { windows_data(); }
    void glyphsHaveAGreyedForm();
    void tabVisitsWhatCanTakeTheFocus_data();
    void tabVisitsWhatCanTakeTheFocus();
};

void WindowInvariantsTest::init() {
    OpenWindow();
    about = std::make_unique<TForm2>();
    form->SetAboutWindow(about.get());
    about->show();
    QVERIFY(QTest::qWaitForWindowExposed(about.get()));
    // Edit mode shows "Change" and "Cancel", so that they are checked with the rest.
    Scratch scratch;
    AddFiles({scratch.Make(QStringLiteral("a.txt"))});
    Control<QWidget>(kChange)->show();
    Control<QWidget>(kCancel)->show();
}

void WindowInvariantsTest::cleanup() {
    about.reset();
    form.reset();
}

void WindowInvariantsTest::windows_data() {
    QTest::addColumn<QString>("window");
    QTest::newRow("main window") << "main";
    QTest::newRow("About window") << "about";
}

void WindowInvariantsTest::controlsLieInsideTheirParents() {
    QFETCH(QString, window);
    const QList<QWidget*> controls = ControlsOf(Window(window));
    QVERIFY(controls.size() > 5);
    for (const QWidget* control : controls)
        QVERIFY2(control->parentWidget()->rect().contains(control->geometry()),
                 qPrintable(Described(control)));
}

void WindowInvariantsTest::siblingsDoNotOverlap() {
    QFETCH(QString, window);
    const QList<QWidget*> controls = ControlsOf(Window(window));
    for (qsizetype i = 0; i < controls.size(); ++i) {
        for (qsizetype j = i + 1; j < controls.size(); ++j) {
            if (controls[i]->parentWidget() != controls[j]->parentWidget())
                continue;
            QVERIFY2(!controls[i]->geometry().intersects(controls[j]->geometry()),
                     qPrintable(Described(controls[i]) + QStringLiteral(" and ") +
                                controls[j]->objectName()));
        }
    }
}

void WindowInvariantsTest::captionsShowWhole() {
    QFETCH(QString, window);
    QList<std::pair<QString, CaptionRoom>> captions;
    for (QWidget* control : ControlsOf(Window(window))) {
        if (auto* label = qobject_cast<QLabel*>(control))
            captions.append({Described(control), RoomOf(*label)});
        else if (auto* button = qobject_cast<QAbstractButton*>(control);
                 button != nullptr && !button->text().isEmpty())
            captions.append({Described(control), RoomOf(*button)});
    }
    if (window == u"main")
        captions += HeaderRooms(*List()->horizontalHeader());
    QVERIFY(captions.size() >= 5);
    QStringList clipped;
    for (const auto& [caption, room] : captions) {
        if (room.needed.width() > room.room.width() || room.needed.height() > room.room.height())
            clipped << QStringLiteral("%1 needs %2 x %3, has %4 x %5")
                           .arg(caption)
                           .arg(room.needed.width())
                           .arg(room.needed.height())
                           .arg(room.room.width())
                           .arg(room.room.height());
    }
    QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(QStringLiteral("; "))));
}

void WindowInvariantsTest::captionsAreAnnounced() {
    QFETCH(QString, window);
    for (QWidget* control : ControlsOf(Window(window))) {
        const QString caption = control->property("text").toString();
        // A button without a caption, such as a spin arrow, is announced by its own name.
        if (qobject_cast<QLabel*>(control) != nullptr ||
            qobject_cast<QAbstractButton*>(control) != nullptr)
            QVERIFY2(control->accessibleName() ==
                         (caption.isEmpty() ? control->objectName() : caption),
                     qPrintable(Described(control)));
    }
}

void WindowInvariantsTest::framesAreFixedAndAlike_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QSize>("size");
    QTest::newRow("main window") << "main"
                                 << "Form1"
                                 << "C-Tarvolin" << QSize(615, 401);
    QTest::newRow("About window") << "about"
                                  << "Form2"
                                  << "About..." << QSize(210, 302);
}

// Both windows keep the size their controls were laid out for, on the same grey, in 12-pixel
// Arial; the captions above are measured in that font.
void WindowInvariantsTest::framesAreFixedAndAlike() {
    QFETCH(QString, window);
    QFETCH(QString, name);
    QFETCH(QString, title);
    QFETCH(QSize, size);
    const QWidget& shown = Window(window);
    QCOMPARE(shown.objectName(), name);
    QCOMPARE(shown.windowTitle(), title);
    QCOMPARE(shown.size(), size);
    QCOMPARE(shown.minimumSize(), size);
    QCOMPARE(shown.maximumSize(), size);
    QCOMPARE(shown.palette().color(QPalette::Window), QColor(217, 217, 217));
    QCOMPARE(shown.font().family(), QStringLiteral("Arial"));
    QCOMPARE(shown.font().pixelSize(), 12);
}

// A glyph on a button is drawn at 18 x 18 and has a greyed form for when the button is locked.
void WindowInvariantsTest::glyphsHaveAGreyedForm() {
    QFETCH(QString, window);
    int glyphs = 0;
    for (QWidget* control : ControlsOf(Window(window))) {
        auto* button = qobject_cast<QAbstractButton*>(control);
        if (button == nullptr || button->icon().isNull())
            continue;
        const QImage normal = button->icon().pixmap(18, 18, QIcon::Normal).toImage();
        const QImage greyed = button->icon().pixmap(18, 18, QIcon::Disabled).toImage();
        QCOMPARE(normal.size(), QSize(18, 18));
        QVERIFY2(normal != greyed, qPrintable(Described(control)));
        ++glyphs;
    }
    QCOMPARE(glyphs, window == u"main" ? 3 : 1);
}

// Which controls Tab reaches says which ones a state enables and shows: at start the extension,
// the attribute boxes and the pickers wait for their option box, and "Change" and "Cancel" are
// hidden. While one file is edited, the locks are pinned by EditModeTest.lockedWhileEditing;
// there every control enabled and shown is expected.
void WindowInvariantsTest::tabVisitsWhatCanTakeTheFocus_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("state");
    QTest::addColumn<QStringList>("reached");
    const QStringList atStart = {kExpandName,  kNameField,  kAllUppercase, kProperty, kAllLowercase,
                                 kStartNumber, kCreateTime, kModifyTime,   kFileList, kAddFiles,
                                 kClear,       kStart,      kQuit,         kAbout};
    QStringList ticked = kMainTabOrder;
    ticked.removeAll(kChange);
    ticked.removeAll(kCancel);
    QTest::newRow("main window at start") << "main"
                                          << "start" << atStart;
    QTest::newRow("main window, every option box ticked") << "main"
                                                          << "ticked" << ticked;
    QTest::newRow("main window, every option box ticked, Shift+Tab")
        << "main"
        << "ticked backwards" << ticked;
    QTest::newRow("main window, editing one file") << "main"
                                                   << "editing" << QStringList{};
    QTest::newRow("About window") << "about"
                                  << "start" << QStringList{"BitBtn1"};
}

void WindowInvariantsTest::tabVisitsWhatCanTakeTheFocus() {
    QFETCH(QString, window);
    QFETCH(QString, state);
    QFETCH(QStringList, reached);
    about->hide();
    Control<QWidget>(kChange)->hide();
    Control<QWidget>(kCancel)->hide();
    const bool backwards = state.endsWith(u" backwards");
    if (state.startsWith(u"ticked")) {
        for (const char* box : {kExpandName, kProperty, kCreateTime, kModifyTime})
            Tick(box);
    }
    if (state == u"editing")
        DoubleClickRow(0);
    QWidget* shown = &Window(window);
    if (window == u"about") {
        about->show();
        QApplication::setActiveWindow(about.get());
        QVERIFY(QTest::qWaitForWindowActive(about.get()));
    }
    QStringList expected = reached;
    for (const QString& name : window == u"main" ? kMainTabOrder : QStringList{"BitBtn1"}) {
        auto* control = shown->findChild<QWidget*>(name);
        QVERIFY2(control != nullptr, qPrintable(name));
        if (reached.isEmpty() && control->isEnabled() && control->isVisible())
            expected << name;
    }
    QVERIFY(!expected.isEmpty());
    if (backwards)
        std::reverse(expected.begin(), expected.end());
    shown->findChild<QWidget*>(expected.front())->setFocus();
    QStringList visited;
    for (qsizetype step = 0; step <= expected.size(); ++step) {
        const QString from = Focused(*shown);
        visited << from;
        // A date or time field moves between its day, month and year first.
        for (int press = 0; press < 8 && Focused(*shown) == from; ++press)
            QTest::keyClick(QApplication::focusWidget(), backwards ? Qt::Key_Backtab : Qt::Key_Tab,
                            backwards ? Qt::ShiftModifier : Qt::NoModifier);
    }
    QCOMPARE(visited, expected + QStringList{expected.front()});
}

QTEST_MAIN(WindowInvariantsTest)
#include "WindowInvariantsTest.moc"
