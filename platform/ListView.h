#pragma once
// A report-style list view: columns with captions and widths, rows (items) with a caption,
// sub-items, an optional check box, a state index (a small mark of the row), a selected flag
// and one user-data slot. Items are objects that stay put while they exist, so a pointer to
// one may be kept until the item is deleted.
//
// One change event reports what changed on an item: its text (caption, sub-items), its image
// (state index) or its state (check box, selection). It runs for changes made in code and by
// the user alike, once per item and change, and only when the value really changes. Adding,
// inserting and deleting items raise no change.
#include "platform/Events.h"
#include "platform/KeyEvents.h"

#include <QTableView>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace platform {

class TListView;
class TListModel;

enum class TItemChange { ctText, ctImage, ctState };

class TListItem {
public:
    TListView* ListView() const { return view_; }
    // Position in the list, 0 first.
    int Index() const { return index_; }

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);

    // Texts of the columns after the first, in column order.
    const std::vector<std::string>& SubItems() const { return subItems_; }
    void AddSubItem(const std::string& text);
    // Replaces sub-item i (0 <= i < count); nothing otherwise.
    void SetSubItem(int i, const std::string& text);
    void ClearSubItems();

    bool Checked() const { return checked_; }
    void SetChecked(bool checked);

    // The row's mark, -1 for a new item. Writing it also sets the check box: 1 ticks it, 0
    // unticks it, any other value leaves it. Raises one image change. A row with state index
    // 1 shows a tick mark before its caption.
    int StateIndex() const { return stateIndex_; }
    void SetStateIndex(int index);

    bool Selected() const;
    void SetSelected(bool selected);

    void* Data() const { return data_; }
    void SetData(void* data) { data_ = data; }

    // Removes the item from its list and destroys it.
    void Delete();

private:
    friend class TListView;
    friend class TListModel;
    explicit TListItem(TListView* view) : view_(view) {}
    void Changed(TItemChange change);

    TListView* view_;
    int index_ = 0;
    std::string caption_;
    std::vector<std::string> subItems_;
    bool checked_ = false;
    int stateIndex_ = -1;
    void* data_ = nullptr;
};

class TListColumn {
public:
    int Index() const { return index_; }
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);
    // Width in pixels; the user may change it by dragging the column border.
    int Width() const;
    void SetWidth(int width);
    // Sets the width to `design`, or wider where the caption, one of `texts` (what the column
    // usually shows) or a text of its rows needs more in the list's present fonts; and so again
    // whenever the list's font changes, until the width is set otherwise (in code or by the
    // user).
    void FitWidth(int design, std::vector<std::string> texts = {});

private:
    friend class TListView;
    friend class TListModel;
    TListColumn(TListView* view, int index) : view_(view), index_(index) {}
    void Refit();
    TListView* view_;
    int index_;
    std::string caption_;
    bool fitted_ = false;
    int design_ = 0;
    std::vector<std::string> texts_;
};

using TLVChangeEvent = std::function<void(QObject* Sender, TListItem* Item, TItemChange Change)>;
using TLVColumnClickEvent = std::function<void(QObject* Sender, TListColumn* Column)>;
// Compare < 0 puts Item1 first, > 0 Item2 first; equal items keep their order.
using TLVCompareEvent = std::function<void(QObject* Sender, TListItem* Item1, TListItem* Item2,
                                           int Data, int& Compare)>;

class TListView : public QTableView {
    Q_OBJECT
public:
    explicit TListView(QWidget* parent = nullptr);
    ~TListView() override;

    // Columns.
    TListColumn* AddColumn(const std::string& caption, int width);
    int ColumnCount() const { return int(columns_.size()); }
    TListColumn* Column(int index) const;
    // The width that column `index` needs to show its caption whole in the heading, and each of
    // `texts` whole in a cell beside what is drawn with it (in the first column of a list with
    // check boxes, the check box and the row's mark), in the list's present fonts; 0 outside
    // the columns.
    int FittingColumnWidth(int index, const std::vector<std::string>& texts = {}) const;

    // Items.
    int Count() const { return int(items_.size()); }
    // The item at index, or null outside the list.
    TListItem* Item(int index) const;
    TListItem* Add();
    // Inserts a new item at index (clamped to 0..Count()).
    TListItem* Insert(int index);
    // Inserts `count` new items together at index (clamped), in one change of the list; `fill`
    // gives each its texts first (item k, from 0), raising no change events.
    void InsertItems(int index, int count, const std::function<void(int, TListItem*)>& fill);
    void Delete(int index);
    void Clear();

    // Check boxes before the captions; the user ticks them with the mouse or Space.
    void SetCheckboxes(bool on);
    bool MultiSelect() const;
    void SetMultiSelect(bool on);
    void SetGridLines(bool on) { setShowGrid(on); }

    int SelCount() const;
    // The first selected item, or null.
    TListItem* Selected() const;
    void SelectAll();
    // Each selected row as one line, top to bottom: its caption and sub-items joined by
    // `separator`.
    std::vector<std::string> SelectedRowTexts(const std::string& separator) const;

    // Sorts the items with OnCompare (by caption when it is not set). Selection, check
    // boxes and data move with their items.
    void AlphaSort();

    // Hold repainting while many items change; calls nest.
    void BeginUpdate();
    void EndUpdate();

    // Where an item's check box is drawn, in viewport coordinates (empty when none).
    QRect CheckBoxRect(const TListItem* item) const;

    TLVChangeEvent OnChange;
    TLVColumnClickEvent OnColumnClick;
    TLVCompareEvent OnCompare;
    TKeyEvent OnKeyDown;

protected:
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    friend class TListItem;
    friend class TListColumn;
    friend class TListModel;

    void Raise(TListItem* item, TItemChange change);
    bool Contains(const TListItem* item) const;
    void Renumber(int from);
    void ItemDataChanged(TListItem* item, int firstColumn, int lastColumn);
    void RaiseSelectionChanges(const QItemSelection& selected, const QItemSelection& deselected);
    TListItem* CheckBoxHit(QPoint pos) const;
    // The item whose check box a left button press hits (the press is then taken), else null.
    [[nodiscard]] TListItem* CheckBoxPressed(QMouseEvent* event);

    TListModel* model_;
    std::vector<std::unique_ptr<TListItem>> items_;
    std::vector<std::unique_ptr<TListColumn>> columns_;
    bool checkboxes_ = false;
    bool removing_ = false; // rows are going: their selection changes are not raised
    bool filling_ = false;  // new items get their texts before they are in the list
    int updateHold_ = 0;
    bool checkPressed_ = false; // the mouse went down on a check box
    bool fitting_ = false;      // a column is being fitted: its resize keeps it fitted
    int structure_ = 0;         // counts insertions and deletions
};

} // namespace platform
