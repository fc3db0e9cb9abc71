#pragma once
// A spin edit: a one-line edit holding a whole number, with up and down buttons.
//
// Its text is free while the user types (only its length is limited); nothing is corrected until
// the window's leave handler decides to. Its value is the text read as a decimal whole number, or
// MinValue when the text does not read. Writing a value clamps it into MinValue..MaxValue (no range
// when both are 0) and shows it as decimal text.
#include "platform/Events.h"

#include <QWidget>
#include <string>

class QLineEdit;
class QToolButton;

namespace platform {

class TSpinEditLengthLimit;

class TSpinEdit : public QWidget {
    Q_OBJECT
public:
    explicit TSpinEdit(QWidget* parent = nullptr);

    // The text, Shift-JIS bytes. SetText writes it as given, also past MaxLength.
    std::string Text() const;
    void SetText(const std::string& text);

    // The text read as a decimal whole number (optional sign, digits only), else MinValue.
    int Value() const;
    // Shows `value`, clamped into MinValue..MaxValue unless both are 0.
    void SetValue(int value);

    // Shows `value` as its decimal text, unclamped, unless the text is that already (then
    // nothing is written and OnChange is not raised).
    void ShowValue(int value);
    // Value() for use, with the text rewritten as it where it reads otherwise (" 9", "9x" and
    // "-" show the MinValue they read as, "+5" shows "5"): what the edit shows is what was read.
    int ReadValue();

    // Changing the range does not touch the text.
    int MinValue() const { return minValue_; }
    void SetMinValue(int value) { minValue_ = value; }
    int MaxValue() const { return maxValue_; }
    void SetMaxValue(int value) { maxValue_ = value; }

    // Most bytes the user can type (Shift-JIS bytes); 0 = no limit. Text written by code is not
    // cut, so a text may be longer than this.
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int length) { maxLength_ = length; }

    // Step of the up and down buttons and keys.
    int Increment() const { return increment_; }
    void SetIncrement(int step) { increment_ = step; }

    // Steps as the up and down buttons do: value plus or minus Increment, clamped.
    // What leaving the edit does first: an empty text gives the minimum, a text longer than
    // MaxLength (when it is not 0) the maximum, a value outside the range its nearer end.
    void ClampValue();
    // The spin edit a leave handler runs for, clamped (ClampValue); null when `sender` is none.
    static TSpinEdit* Left(QObject* sender);

    void UpClick();
    void DownClick();

    QLineEdit* Editor() const { return edit_; }

    // The width the layouts give the edit where they have the room; it is never narrower than
    // MaxLength digits need in its present font (beside its arrows), and is wider where they need
    // more.
    void SetDesignWidth(int width);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // Raised when the focus moves from this edit to another control of the window (not when the
    // whole window loses the focus, nor for a pop-up menu).
    TNotifyEvent OnExit;
    // Raised whenever the text changes, by the user or by code.
    TNotifyEvent OnChange;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class TSpinEditLengthLimit;

    QLineEdit* edit_;
    QToolButton* up_;
    QToolButton* down_;
    int minValue_ = 0;
    int maxValue_ = 0;
    int maxLength_ = 0;
    int increment_ = 1;
    int designWidth_ = 0;
    bool writing_ = false; // code is writing the text: no length limit
};

} // namespace platform
