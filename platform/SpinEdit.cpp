#include "platform/SpinEdit.h"

#include "platform/Convert.h"
#include "platform/Focus.h"
#include "platform/SjisText.h"

#include <QEvent>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOption>
#include <QToolButton>
#include <QVBoxLayout>
#include <QValidator>
#include <algorithm>
#include <climits>

namespace platform {

// Limits what the user types to MaxLength bytes. A longer text written by code may still be
// shortened by the user; it only must not grow. The line edit validates the changed text in place,
// so the length before the change is kept here.
class TSpinEditLengthLimit : public QValidator {
public:
    explicit TSpinEditLengthLimit(TSpinEdit* spin) : QValidator(spin), spin_(spin) {}
    State validate(QString& input, int&) const override {
        const int max = spin_->MaxLength();
        if (spin_->writing_ || max <= 0) return Acceptable;
        const auto length = ToSjis(input).size();
        return length <= static_cast<std::size_t>(max) || length <= before_ ? Acceptable : Invalid;
    }
    void Changed(const QString& text) { before_ = ToSjis(text).size(); }

private:
    TSpinEdit* spin_;
    std::size_t before_ = 0;
};

namespace {

QToolButton* MakeArrow(Qt::ArrowType arrow, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setArrowType(arrow);
    button->setAutoRepeat(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Ignored);
    button->setFixedWidth(16);
    return button;
}

} // namespace

TSpinEdit::TSpinEdit(QWidget* parent)
    : QWidget(parent), edit_(new QLineEdit(this)), up_(MakeArrow(Qt::UpArrow, this)),
      down_(MakeArrow(Qt::DownArrow, this)) {
    edit_->setObjectName("Editor");
    up_->setObjectName("Up");
    down_->setObjectName("Down");
    auto* limit = new TSpinEditLengthLimit(this);
    edit_->setValidator(limit);
    connect(edit_, &QLineEdit::textChanged, limit, &TSpinEditLengthLimit::Changed);
    edit_->installEventFilter(this);
    setFocusProxy(edit_);
    setFocusPolicy(edit_->focusPolicy());

    auto* arrows = new QVBoxLayout;
    arrows->setContentsMargins(0, 0, 0, 0);
    arrows->setSpacing(0);
    arrows->addWidget(up_);
    arrows->addWidget(down_);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(edit_);
    row->addLayout(arrows);

    connect(up_, &QToolButton::clicked, this, [this] { UpClick(); });
    connect(down_, &QToolButton::clicked, this, [this] { DownClick(); });
    connect(edit_, &QLineEdit::textChanged, this, [this] {
        if (auto handler = OnChange) handler(this);
    });
}

std::string TSpinEdit::Text() const {
    return ToSjis(edit_->text());
}

void TSpinEdit::SetText(const std::string& text) {
    writing_ = true;
    edit_->setText(FromSjis(text));
    writing_ = false;
}

int TSpinEdit::Value() const {
    return TryDecimalToInt(Text()).value_or(minValue_);
}

void TSpinEdit::SetValue(int value) {
    if (minValue_ != 0 || maxValue_ != 0) {
        if (value < minValue_) value = minValue_;
        if (value > maxValue_) value = maxValue_;
    }
    SetText(std::to_string(value));
}

void TSpinEdit::ShowValue(int value) {
    const std::string text = std::to_string(value);
    if (Text() != text) SetText(text);
}

int TSpinEdit::ReadValue() {
    const int value = Value();
    ShowValue(value);
    return value;
}

void TSpinEdit::UpClick() {
    const long long v = static_cast<long long>(Value()) + increment_;
    SetValue(static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX)));
}

void TSpinEdit::DownClick() {
    const long long v = static_cast<long long>(Value()) - increment_;
    SetValue(static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX)));
}

void TSpinEdit::ClampValue() {
    const std::string text = Text();
    if (text.empty())
        SetValue(MinValue());
    else if (MaxLength() > 0 && static_cast<int>(text.size()) > MaxLength())
        SetValue(MaxValue());
    else if (Value() < MinValue())
        SetValue(MinValue());
    else if (Value() > MaxValue())
        SetValue(MaxValue());
}

void TSpinEdit::SetDesignWidth(int width) {
    designWidth_ = width;
    setSizePolicy(QSizePolicy::Maximum, sizePolicy().verticalPolicy());
    updateGeometry();
}

QSize TSpinEdit::minimumSizeHint() const {
    // MaxLength digits (one at least), each as wide as the widest digit, with the cursor after
    // them and the edit's two pixels on either side, inside its text margins and frame.
    const QFontMetrics fm = edit_->fontMetrics();
    QChar widest = QLatin1Char('0');
    for (char c = '1'; c <= '9'; ++c)
        if (fm.horizontalAdvance(QLatin1Char(c)) > fm.horizontalAdvance(widest))
            widest = QLatin1Char(c);
    const QMargins margins = edit_->textMargins();
    const int digits = fm.horizontalAdvance(QString(std::max(maxLength_, 1), widest));
    const QSize text(digits + 1 + 2 * 2 + margins.left() + margins.right(), fm.height());
    QStyleOptionFrame option;
    option.initFrom(edit_);
    option.lineWidth = edit_->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit_);
    const int editor =
        edit_->style()->sizeFromContents(QStyle::CT_LineEdit, &option, text, edit_).width();
    QSize size = QWidget::minimumSizeHint();
    size.setWidth(std::max(size.width(), editor + up_->minimumWidth()));
    return size;
}

QSize TSpinEdit::sizeHint() const {
    QSize size = QWidget::sizeHint();
    if (designWidth_ > 0) size.setWidth(designWidth_);
    size.setWidth(std::max(size.width(), minimumSizeHint().width()));
    return size;
}

bool TSpinEdit::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edit_) {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Up) {
                UpClick();
                return true;
            }
            if (key->key() == Qt::Key_Down) {
                DownClick();
                return true;
            }
        } else if (event->type() == QEvent::FocusOut) {
            if (LeavesControl(static_cast<QFocusEvent*>(event)))
                if (auto handler = OnExit) handler(this);
        }
    }
    return QWidget::eventFilter(watched, event);
}

TSpinEdit* TSpinEdit::Left(QObject* sender) {
    auto* edit = qobject_cast<TSpinEdit*>(sender);
    if (edit) edit->ClampValue();
    return edit;
}

} // namespace platform
