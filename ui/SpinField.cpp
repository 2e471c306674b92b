#include "SpinField.h"

#include "SpinFieldRules.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QMimeData>
#include <QToolButton>
#include <algorithm>

namespace tarvolin {

namespace {

constexpr int kButtonWidth = 15;
constexpr int kRepeatDelayMs = 400;
constexpr int kRepeatIntervalMs = 100;

QToolButton* MakeStepButton(QWidget* parent, Qt::ArrowType arrow, const QString& name) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setAccessibleName(name);
    button->setArrowType(arrow);
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoRepeat(true);
    button->setAutoRepeatDelay(kRepeatDelayMs);
    button->setAutoRepeatInterval(kRepeatIntervalMs);
    return button;
}

} // namespace

SpinField::SpinField(QWidget* parent)
    : QWidget(parent), editor_(new QLineEdit(this)),
      upButton_(MakeStepButton(this, Qt::UpArrow, QStringLiteral("Up"))),
      downButton_(MakeStepButton(this, Qt::DownArrow, QStringLiteral("Down"))) {
    editor_->setObjectName(QStringLiteral("Editor"));
    editor_->setFrame(false);
    editor_->setText(QStringLiteral("0"));
    editor_->installEventFilter(this);
    setFocusProxy(editor_);
    setFocusPolicy(Qt::StrongFocus);

    // A held button repeats: Qt reports every repeat as a fresh press, which is also the
    // moment the first step happens (MainWindowTest::spinButtons).
    connect(upButton_, &QToolButton::pressed, this, [this] {
        editor_->setFocus(Qt::MouseFocusReason);
        Step(1);
    });
    connect(downButton_, &QToolButton::pressed, this, [this] {
        editor_->setFocus(Qt::MouseFocusReason);
        Step(-1);
    });
}

void SpinField::SetRange(int minimum, int maximum) {
    minValue_ = minimum;
    maxValue_ = maximum;
}

void SpinField::SetMaxLength(int length) {
    editor_->setMaxLength(length);
}

int SpinField::Value() const {
    return ReadSpinText(editor_->text());
}

void SpinField::SetValue(int value) {
    editor_->setText(QString::number(Clamp(value)));
}

int SpinField::Clamp(int value) const {
    return std::clamp(value, minValue_, maxValue_);
}

void SpinField::Step(int delta) {
    const long long next = static_cast<long long>(Value()) + delta;
    SetValue(static_cast<int>(std::clamp<long long>(next, minValue_, maxValue_)));
}

bool SpinField::eventFilter(QObject* watched, QEvent* event) {
    if (watched == editor_) {
        if (event->type() == QEvent::KeyPress)
            return FilterKey(static_cast<QKeyEvent&>(*event));
        if (event->type() == QEvent::InputMethod)
            return FilterInputMethod(static_cast<QInputMethodEvent&>(*event));
        if (event->type() == QEvent::Drop)
            return FilterDrop(static_cast<QDropEvent&>(*event));
        if (event->type() == QEvent::FocusOut) {
            const int value = Value();
            if (Clamp(value) != value)
                SetValue(value);
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool SpinField::FilterKey(QKeyEvent& event) {
    if (event.key() == Qt::Key_Up || event.key() == Qt::Key_Down) {
        Step(event.key() == Qt::Key_Up ? 1 : -1);
        return true;
    }
    char16_t key = TypedCharacter(event);
    if (key == 0) {
        // Alt+letter and the like type nothing here, though the editor would insert their text
        // (MainWindowTest::spinKeys).
        const QString text = event.text();
        return std::any_of(text.begin(), text.end(), [](QChar c) { return c.isPrint(); });
    }
    if (!IsSpinFieldCharacter(key, QLocale().decimalPoint().front())) {
        QApplication::beep();
        emit KeyRefused();
        return true;
    }
    const char16_t typed = key;
    if (onKeyPress)
        onKeyPress(key);
    if (key == 0)
        return true;
    if (key == typed)
        return false;
    // The owner put another character in its place: type that one instead.
    if (key >= 0x20)
        editor_->insert(QString(QChar(key)));
    return true;
}

QString SpinField::TakenCharacters(const QString& text) {
    const QChar decimalPoint = QLocale().decimalPoint().front();
    QString taken;
    for (const QChar c : text) {
        char16_t key = c.unicode();
        if (!IsSpinFieldCharacter(key, decimalPoint)) {
            QApplication::beep();
            emit KeyRefused();
            continue;
        }
        if (onKeyPress)
            onKeyPress(key);
        if (key >= 0x20)
            taken += QChar(key);
    }
    return taken;
}

bool SpinField::FilterInputMethod(QInputMethodEvent& event) {
    const QString taken = TakenCharacters(event.commitString());
    if (taken == event.commitString())
        return false;
    // The same event with only the characters the field takes; what is still being composed
    // is shown as the input method has it and checked once committed
    // (MainWindowTest::spinTextFromElsewhere).
    QInputMethodEvent filtered(event.preeditString(), event.attributes());
    filtered.setCommitString(taken, event.replacementStart(), event.replacementLength());
    QCoreApplication::sendEvent(editor_, &filtered);
    return true;
}

bool SpinField::FilterDrop(QDropEvent& event) {
    const QString taken =
        event.mimeData() != nullptr ? TakenCharacters(event.mimeData()->text()) : QString();
    if (!taken.isEmpty()) {
        editor_->setCursorPosition(editor_->cursorPositionAt(event.position().toPoint()));
        editor_->insert(taken);
    }
    event.setDropAction(Qt::CopyAction);
    event.accept();
    return true;
}

void SpinField::resizeEvent(QResizeEvent*) {
    const int buttonsLeft = width() - kButtonWidth;
    const int upHeight = height() / 2;
    editor_->setGeometry(0, 0, buttonsLeft, height());
    upButton_->setGeometry(buttonsLeft, 0, kButtonWidth, upHeight);
    downButton_->setGeometry(buttonsLeft, upHeight, kButtonWidth, height() - upHeight);
}

} // namespace tarvolin
