#pragma once

#include <QWidget>
#include <functional>

class QDropEvent;
class QInputMethodEvent;
class QLineEdit;
class QToolButton;

namespace tarvolin {

// The numeric spin field: a single-line edit with an up and a down button beside it.
// - Typing: the field takes "+", "-", digits, the decimal separator and control characters
//   other than Enter, and refuses anything else with a beep; what it takes is then offered
//   to `onKeyPress`, which may discard it (set it to 0) or replace it.
// - Up / Down keys and the buttons step the value by 1 within the range; a held button
//   repeats after 400 ms and then every 100 ms.
// - Value() reads the text by ReadSpinText, unclamped; leaving the field clamps a value
//   outside the range and writes it back.
// - Enter is not a character for the field: it goes on to the window.
// - Text from an input method or a drop passes the same character rules as typing; Alt
//   combinations type nothing. Only pasting inserts any text.
class SpinField final : public QWidget {
    Q_OBJECT

public:
    explicit SpinField(QWidget* parent = nullptr);

    QLineEdit* Editor() const { return editor_; }
    QToolButton* UpButton() const { return upButton_; }
    QToolButton* DownButton() const { return downButton_; }

    void SetRange(int minimum, int maximum);
    int MinValue() const { return minValue_; }
    int MaxValue() const { return maxValue_; }
    void SetMaxLength(int length);

    int Value() const;
    // Clamped into the range and written as decimal text.
    void SetValue(int value);

    // The owner's view of every character the field takes; may set it to 0 to drop it.
    std::function<void(char16_t& key)> onKeyPress;

signals:
    // A typed character the field does not take; the beep has sounded.
    void KeyRefused();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    bool FilterKey(QKeyEvent& event);
    // The characters of `text` that the field and `onKeyPress` take, beeping for a refused one.
    QString TakenCharacters(const QString& text);
    bool FilterInputMethod(QInputMethodEvent& event);
    bool FilterDrop(QDropEvent& event);
    void Step(int delta);
    int Clamp(int value) const;

    QLineEdit* editor_;
    QToolButton* upButton_;
    QToolButton* downButton_;
    int minValue_ = 0;
    int maxValue_ = 100;
};

} // namespace tarvolin
