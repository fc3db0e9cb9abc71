#include "platform/RadioGroup.h"

#include "platform/SjisText.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QRadioButton>

namespace platform {

TRadioGroup::TRadioGroup(QWidget* parent)
    : QGroupBox(parent), group_(new QButtonGroup(this)), grid_(new QGridLayout(this)) {
    connect(group_, &QButtonGroup::idClicked, this, [this](int id) { Clicked(id); });
}

std::string TRadioGroup::Caption() const {
    return ToSjis(title());
}

void TRadioGroup::SetCaption(const std::string& caption) {
    setTitle(FromSjis(caption));
}

void TRadioGroup::SetItems(const std::vector<std::string>& items) {
    for (auto* button : buttons_) {
        group_->removeButton(button);
        delete button;
    }
    buttons_.clear();
    itemIndex_ = -1;
    for (const auto& item : items) {
        auto* button = new QRadioButton(FromSjis(item), this);
        group_->addButton(button, static_cast<int>(buttons_.size()));
        buttons_.push_back(button);
    }
    Arrange();
}

QRadioButton* TRadioGroup::Button(int index) const {
    return index >= 0 && index < Count() ? buttons_[index] : nullptr;
}

void TRadioGroup::SetColumns(int columns) {
    columns_ = std::max(columns, 1);
    Arrange();
}

void TRadioGroup::Arrange() {
    for (auto* button : buttons_) grid_->removeWidget(button);
    const int perColumn = (Count() + columns_ - 1) / columns_;
    for (int i = 0; i < Count(); ++i) grid_->addWidget(buttons_[i], i % perColumn, i / perColumn);
}

void TRadioGroup::SetItemIndex(int index) {
    index = std::clamp(index, -1, Count() - 1);
    if (index == itemIndex_) return;
    itemIndex_ = index;
    ShowSelection();
    if (itemIndex_ >= 0)
        if (auto handler = OnClick) handler(this);
}

void TRadioGroup::ShowSelection() {
    if (itemIndex_ >= 0) {
        buttons_[itemIndex_]->setChecked(true);
        return;
    }
    // An exclusive group keeps one button checked; uncheck with exclusivity off.
    group_->setExclusive(false);
    for (auto* button : buttons_) button->setChecked(false);
    group_->setExclusive(true);
}

void TRadioGroup::Clicked(int index) {
    if (index == itemIndex_) return;
    itemIndex_ = index;
    if (auto handler = OnClick) handler(this);
}

} // namespace platform
