#include "platform/StatusBar.h"

#include "platform/SjisText.h"

#include <QLabel>

namespace platform {

TStatusBar::TStatusBar(QWidget* parent) : QStatusBar(parent), text_(new QLabel(this)) {
    text_->setObjectName("SimpleText");
    text_->setTextFormat(Qt::PlainText);
    // A long text is cut at the edge instead of widening the window.
    text_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    addWidget(text_, 1);
}

std::string TStatusBar::SimpleText() const {
    return ToSjis(text_->text());
}

void TStatusBar::SetSimpleText(const std::string& text) {
    text_->setText(FromSjis(text));
}

} // namespace platform
