#pragma once
// A radio group: a captioned box of radio buttons of which at most one is selected.
//
// ItemIndex -1 means no item is selected. Selecting an item, by the user or by code, runs OnClick;
// clearing the selection in code does not, and neither does choosing the item that is already
// selected.
#include "platform/Events.h"

#include <QGroupBox>
#include <string>
#include <vector>

class QButtonGroup;
class QGridLayout;
class QRadioButton;

namespace platform {

class TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit TRadioGroup(QWidget* parent = nullptr);

    // Caption and items are Shift-JIS bytes.
    std::string Caption() const;
    void SetCaption(const std::string& caption);

    // Replaces the items; the selection becomes -1 (no click).
    void SetItems(const std::vector<std::string>& items);
    int Count() const { return static_cast<int>(buttons_.size()); }
    QRadioButton* Button(int index) const;

    // Items fill the columns top to bottom, then left to right.
    int Columns() const { return columns_; }
    void SetColumns(int columns);

    int ItemIndex() const { return itemIndex_; }
    // Below -1 is taken as -1, past the last item as the last item. When the selection changes to
    // an item, OnClick runs after the change.
    void SetItemIndex(int index);

    // Raised when an item becomes selected.
    TNotifyEvent OnClick;

private:
    void Arrange();
    void ShowSelection();
    void Clicked(int index);

    QButtonGroup* group_;
    QGridLayout* grid_;
    std::vector<QRadioButton*> buttons_;
    int columns_ = 1;
    int itemIndex_ = -1;
};

} // namespace platform
