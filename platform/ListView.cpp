#include "platform/ListView.h"

#include "platform/SjisText.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMouseEvent>
#include <QPointer>
#include <QStyledItemDelegate>
#include <algorithm>
#include <utility>

namespace platform {

// ---- model --------------------------------------------------------------------------

// Presents the list view's items and columns to the widget; holds no data of its own.
class TListModel : public QAbstractTableModel {
public:
    explicit TListModel(TListView* view) : QAbstractTableModel(view), view_(view) {
        tick_ = view->style()->standardIcon(QStyle::SP_DialogApplyButton);
    }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : int(view_->items_.size());
    }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : int(view_->columns_.size());
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= rowCount()) return {};
        const TListItem& item = *view_->items_[index.row()];
        const int col = index.column();
        switch (role) {
        case Qt::DisplayRole:
            if (col == 0) return FromSjis(item.caption_);
            if (col - 1 < int(item.subItems_.size())) return FromSjis(item.subItems_[col - 1]);
            return {};
        case Qt::CheckStateRole:
            if (col == 0 && view_->checkboxes_) return item.checked_ ? Qt::Checked : Qt::Unchecked;
            return {};
        case Qt::DecorationRole:
            if (col == 0 && item.stateIndex_ == 1) return tick_;
            return {};
        default:
            return {};
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
            section < columnCount())
            return FromSjis(view_->columns_[section]->caption_);
        return QAbstractTableModel::headerData(section, orientation, role);
    }

    // Rows can be selected but not edited; the check boxes are ticked by the view itself so
    // that a tick is one change of the item.
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        if (!index.isValid()) return Qt::NoItemFlags;
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    }

    // The mark of an admitted row.
    const QIcon& Tick() const { return tick_; }

    using QAbstractTableModel::beginInsertColumns;
    using QAbstractTableModel::beginInsertRows;
    using QAbstractTableModel::beginRemoveRows;
    using QAbstractTableModel::beginResetModel;
    using QAbstractTableModel::endInsertColumns;
    using QAbstractTableModel::endInsertRows;
    using QAbstractTableModel::endRemoveRows;
    using QAbstractTableModel::endResetModel;

    // Puts the items into `order` (a permutation of the present items), keeping every
    // persistent index (the selection, the current row) on its item.
    void Reorder(std::vector<TListItem*> order) {
        emit layoutAboutToBeChanged();
        const QModelIndexList before = persistentIndexList();
        QModelIndexList after;
        after.reserve(before.size());
        std::vector<int> newRow(order.size());
        for (int r = 0; r < int(order.size()); ++r) newRow[order[r]->index_] = r;
        for (const QModelIndex& i : before) after.append(index(newRow[i.row()], i.column()));
        std::vector<std::unique_ptr<TListItem>> items(order.size());
        for (auto& owned : view_->items_) {
            const int r = newRow[owned->index_];
            items[r] = std::move(owned);
        }
        view_->items_ = std::move(items);
        view_->Renumber(0);
        changePersistentIndexList(before, after);
        emit layoutChanged();
    }

private:
    TListView* view_;
    QIcon tick_;
};

namespace {

// Lets the view ask where the style draws an item's check box.
class TListDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::initStyleOption;
    using QStyledItemDelegate::QStyledItemDelegate;
};

} // namespace

// ---- items and columns --------------------------------------------------------------

void TListItem::Changed(TItemChange change) {
    if (view_->filling_) return;
    const int last = std::max(int(subItems_.size()), 0);
    view_->ItemDataChanged(this, 0, last);
    view_->Raise(this, change);
}

void TListItem::SetCaption(const std::string& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    Changed(TItemChange::ctText);
}

void TListItem::AddSubItem(const std::string& text) {
    subItems_.push_back(text);
    Changed(TItemChange::ctText);
}

void TListItem::SetSubItem(int i, const std::string& text) {
    if (i < 0 || i >= int(subItems_.size()) || subItems_[i] == text) return;
    subItems_[i] = text;
    Changed(TItemChange::ctText);
}

void TListItem::ClearSubItems() {
    if (subItems_.empty()) return;
    subItems_.clear();
    Changed(TItemChange::ctText);
}

void TListItem::SetChecked(bool checked) {
    if (checked == checked_) return;
    checked_ = checked;
    Changed(TItemChange::ctState);
}

void TListItem::SetStateIndex(int index) {
    bool checked = checked_;
    if (index == 1) checked = true;
    if (index == 0) checked = false;
    if (index == stateIndex_ && checked == checked_) return;
    stateIndex_ = index;
    checked_ = checked;
    Changed(TItemChange::ctImage);
}

bool TListItem::Selected() const {
    const QModelIndex i = view_->model_->index(index_, 0);
    return i.isValid() && view_->selectionModel()->isSelected(i);
}

void TListItem::SetSelected(bool selected) {
    if (selected == Selected()) return;
    const QModelIndex i = view_->model_->index(index_, 0);
    if (!i.isValid()) return;
    QItemSelectionModel::SelectionFlags how = QItemSelectionModel::Rows;
    if (!selected)
        how |= QItemSelectionModel::Deselect;
    else if (view_->MultiSelect())
        how |= QItemSelectionModel::Select;
    else
        how |= QItemSelectionModel::ClearAndSelect;
    // The view's selection signal raises the state change.
    view_->selectionModel()->select(i, how);
}

void TListItem::Delete() {
    view_->Delete(index_);
}

void TListColumn::SetCaption(const std::string& caption) {
    caption_ = caption;
    emit view_->model_->headerDataChanged(Qt::Horizontal, index_, index_);
}

int TListColumn::Width() const {
    return view_->columnWidth(index_);
}

void TListColumn::SetWidth(int width) {
    fitted_ = false;
    view_->setColumnWidth(index_, std::max(width, 0));
}

void TListColumn::FitWidth(int design, std::vector<std::string> texts) {
    design_ = design;
    texts_ = std::move(texts);
    Refit();
}

void TListColumn::Refit() {
    std::vector<std::string> texts = texts_;
    for (const auto& item : view_->items_) {
        if (index_ == 0)
            texts.push_back(item->Caption());
        else if (index_ - 1 < int(item->SubItems().size()))
            texts.push_back(item->SubItems()[index_ - 1]);
    }
    const bool fitting = std::exchange(view_->fitting_, true);
    view_->setColumnWidth(index_, std::max(design_, view_->FittingColumnWidth(index_, texts)));
    view_->fitting_ = fitting;
    fitted_ = true;
}

// ---- the view -----------------------------------------------------------------------

TListView::TListView(QWidget* parent) : QTableView(parent) {
    model_ = new TListModel(this);
    setModel(model_);
    setItemDelegate(new TListDelegate(this));
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setStretchLastSection(false);
    // A column may be as narrow as its stored width.
    horizontalHeader()->setMinimumSectionSize(0);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setShowGrid(false);
    setSortingEnabled(false);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int section) {
        TListColumn* column = Column(section);
        if (!column) return;
        if (auto handler = OnColumnClick) handler(this, column);
    });
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TListView::RaiseSelectionChanges);
    // A width the user drags (or code sets) is kept, whatever the font.
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int section) {
        if (TListColumn* column = Column(section); column && !fitting_) column->fitted_ = false;
    });
}

void TListView::changeEvent(QEvent* event) {
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        for (const auto& column : columns_)
            if (column->fitted_) column->Refit();
}

TListView::~TListView() {
    // Nothing is raised while the view goes; the model must not outlive the items.
    removing_ = true;
    disconnect(selectionModel(), nullptr, this, nullptr);
    delete model_;
    model_ = nullptr;
}

TListColumn* TListView::AddColumn(const std::string& caption, int width) {
    const int index = ColumnCount();
    model_->beginInsertColumns(QModelIndex(), index, index);
    columns_.push_back(std::unique_ptr<TListColumn>(new TListColumn(this, index)));
    columns_.back()->caption_ = caption;
    model_->endInsertColumns();
    setColumnWidth(index, std::max(width, 0));
    return columns_.back().get();
}

TListColumn* TListView::Column(int index) const {
    if (index < 0 || index >= ColumnCount()) return nullptr;
    return columns_[index].get();
}

int TListView::FittingColumnWidth(int index, const std::vector<std::string>& texts) const {
    if (!Column(index)) return 0;
    int width = horizontalHeader()->sectionSizeHint(index);
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.features |= QStyleOptionViewItem::HasDisplay;
    if (index == 0 && checkboxes_) {
        option.features |= QStyleOptionViewItem::HasCheckIndicator;
        // The row's mark is drawn between the check box and the caption.
        option.features |= QStyleOptionViewItem::HasDecoration;
        option.icon = model_->Tick();
        option.decorationSize = option.icon.actualSize(option.decorationSize);
    }
    // A grid line takes the last pixel of the cell.
    const int line = showGrid() ? 1 : 0;
    for (const std::string& text : texts) {
        option.text = FromSjis(text);
        const QSize size =
            style()->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), this);
        width = std::max(width, size.width() + line);
    }
    return width;
}

TListItem* TListView::Item(int index) const {
    if (index < 0 || index >= Count()) return nullptr;
    return items_[index].get();
}

TListItem* TListView::Add() {
    return Insert(Count());
}

TListItem* TListView::Insert(int index) {
    index = std::clamp(index, 0, Count());
    InsertItems(index, 1, {});
    return items_[index].get();
}

void TListView::InsertItems(int index, int count,
                            const std::function<void(int, TListItem*)>& fill) {
    index = std::clamp(index, 0, Count());
    if (count < 1) return;
    std::vector<std::unique_ptr<TListItem>> fresh;
    fresh.reserve(std::size_t(count));
    filling_ = true;
    for (int k = 0; k < count; ++k) {
        fresh.push_back(std::unique_ptr<TListItem>(new TListItem(this)));
        if (fill) fill(k, fresh.back().get());
    }
    filling_ = false;
    ++structure_;
    model_->beginInsertRows(QModelIndex(), index, index + count - 1);
    items_.insert(items_.begin() + index, std::make_move_iterator(fresh.begin()),
                  std::make_move_iterator(fresh.end()));
    Renumber(index);
    model_->endInsertRows();
}

void TListView::Delete(int index) {
    if (index < 0 || index >= Count()) return;
    ++structure_;
    removing_ = true;
    model_->beginRemoveRows(QModelIndex(), index, index);
    std::unique_ptr<TListItem> gone = std::move(items_[index]);
    items_.erase(items_.begin() + index);
    Renumber(index);
    model_->endRemoveRows();
    removing_ = false;
}

void TListView::Clear() {
    if (items_.empty()) return;
    ++structure_;
    removing_ = true;
    model_->beginResetModel();
    std::vector<std::unique_ptr<TListItem>> gone = std::move(items_);
    items_.clear();
    model_->endResetModel();
    removing_ = false;
}

void TListView::Renumber(int from) {
    for (int i = from; i < Count(); ++i) items_[i]->index_ = i;
}

bool TListView::Contains(const TListItem* item) const {
    return item && item->index_ >= 0 && item->index_ < Count() &&
           items_[item->index_].get() == item;
}

void TListView::SetCheckboxes(bool on) {
    if (on == checkboxes_) return;
    checkboxes_ = on;
    if (Count() > 0 && ColumnCount() > 0)
        emit model_->dataChanged(model_->index(0, 0), model_->index(Count() - 1, 0));
}

bool TListView::MultiSelect() const {
    return selectionMode() == QAbstractItemView::ExtendedSelection;
}

void TListView::SetMultiSelect(bool on) {
    setSelectionMode(on ? QAbstractItemView::ExtendedSelection
                        : QAbstractItemView::SingleSelection);
}

int TListView::SelCount() const {
    int n = 0;
    for (const auto& item : items_)
        if (item->Selected()) ++n;
    return n;
}

TListItem* TListView::Selected() const {
    for (const auto& item : items_)
        if (item->Selected()) return item.get();
    return nullptr;
}

std::vector<std::string> TListView::SelectedRowTexts(const std::string& separator) const {
    std::vector<std::string> lines;
    for (const auto& item : items_) {
        if (!item->Selected()) continue;
        std::string line = item->Caption();
        for (const std::string& sub : item->SubItems()) line += separator + sub;
        lines.push_back(std::move(line));
    }
    return lines;
}

void TListView::SelectAll() {
    if (items_.empty() || columns_.empty()) return;
    if (!MultiSelect()) {
        items_.front()->SetSelected(true);
        return;
    }
    const QItemSelection all(model_->index(0, 0), model_->index(Count() - 1, ColumnCount() - 1));
    selectionModel()->select(all, QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

void TListView::AlphaSort() {
    if (Count() < 2) return;
    std::vector<TListItem*> order;
    for (const auto& item : items_) order.push_back(item.get());
    const int structure = structure_;
    QPointer<TListView> self(this);
    const TLVCompareEvent compare = OnCompare;
    auto before = [&](TListItem* a, TListItem* b) {
        int result = 0;
        if (compare)
            compare(this, a, b, 0, result);
        else
            result = FromSjis(a->caption_).localeAwareCompare(FromSjis(b->caption_));
        return result;
    };
    // A merge sort of our own: stable, and safe with any answers of the compare event.
    std::vector<TListItem*> merged(order.size());
    for (std::size_t width = 1; width < order.size(); width *= 2) {
        for (std::size_t lo = 0; lo < order.size(); lo += 2 * width) {
            const std::size_t mid = std::min(lo + width, order.size());
            const std::size_t hi = std::min(lo + 2 * width, order.size());
            std::size_t i = lo, j = mid, k = lo;
            while (i < mid && j < hi) {
                const bool right = before(order[j], order[i]) < 0;
                if (!self || structure_ != structure) return; // the list changed under us
                merged[k++] = right ? order[j++] : order[i++];
            }
            while (i < mid) merged[k++] = order[i++];
            while (j < hi) merged[k++] = order[j++];
        }
        order.swap(merged);
    }
    model_->Reorder(std::move(order));
}

void TListView::BeginUpdate() {
    if (updateHold_++ == 0) setUpdatesEnabled(false);
}

void TListView::EndUpdate() {
    if (updateHold_ > 0 && --updateHold_ == 0) setUpdatesEnabled(true);
}

void TListView::Raise(TListItem* item, TItemChange change) {
    if (auto handler = OnChange) handler(this, item, change);
}

void TListView::ItemDataChanged(TListItem* item, int firstColumn, int lastColumn) {
    if (ColumnCount() == 0) return;
    lastColumn = std::min(lastColumn, ColumnCount() - 1);
    firstColumn = std::min(firstColumn, lastColumn);
    emit model_->dataChanged(model_->index(item->index_, firstColumn),
                             model_->index(item->index_, lastColumn));
}

void TListView::RaiseSelectionChanges(const QItemSelection& selected,
                                      const QItemSelection& deselected) {
    if (removing_) return;
    // One state change per item whose selection really changed: the deselected first.
    std::vector<TListItem*> changed;
    auto collect = [&](const QItemSelection& ranges, bool nowSelected) {
        std::vector<int> rows;
        for (const QItemSelectionRange& range : ranges)
            for (int r = range.top(); r <= range.bottom(); ++r) rows.push_back(r);
        std::sort(rows.begin(), rows.end());
        rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
        for (int r : rows) {
            TListItem* item = Item(r);
            if (item && item->Selected() == nowSelected) changed.push_back(item);
        }
    };
    collect(deselected, false);
    collect(selected, true);
    QPointer<TListView> self(this);
    for (TListItem* item : changed) {
        if (!self) return;
        if (Contains(item)) Raise(item, TItemChange::ctState);
    }
}

QRect TListView::CheckBoxRect(const TListItem* item) const {
    if (!checkboxes_ || !Contains(item) || ColumnCount() == 0) return {};
    const QModelIndex index = model_->index(item->index_, 0);
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualRect(index);
    if (auto* delegate = dynamic_cast<TListDelegate*>(itemDelegate()))
        delegate->initStyleOption(&option, index);
    option.features |= QStyleOptionViewItem::HasCheckIndicator;
    return style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, this);
}

TListItem* TListView::CheckBoxHit(QPoint pos) const {
    const QModelIndex index = indexAt(pos);
    if (!index.isValid() || index.column() != 0) return nullptr;
    TListItem* item = Item(index.row());
    return item && CheckBoxRect(item).contains(pos) ? item : nullptr;
}

TListItem* TListView::CheckBoxPressed(QMouseEvent* event) {
    TListItem* item = event->button() == Qt::LeftButton && checkboxes_
                          ? CheckBoxHit(event->position().toPoint())
                          : nullptr;
    if (item) {
        event->accept();
        checkPressed_ = true;
    }
    return item;
}

void TListView::mousePressEvent(QMouseEvent* event) {
    TListItem* item = CheckBoxPressed(event);
    if (!item) {
        QTableView::mousePressEvent(event);
        return;
    }
    // A click on a check box ticks or unticks it and leaves the selection alone.
    setFocus(Qt::MouseFocusReason);
    selectionModel()->setCurrentIndex(model_->index(item->index_, 0),
                                      QItemSelectionModel::NoUpdate);
    item->SetChecked(!item->Checked());
}

void TListView::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second click of a double click on a check box ticks again.
    if (TListItem* item = CheckBoxPressed(event))
        item->SetChecked(!item->Checked());
    else
        QTableView::mouseDoubleClickEvent(event);
}

void TListView::mouseReleaseEvent(QMouseEvent* event) {
    if (checkPressed_) {
        checkPressed_ = false;
        event->accept();
        return;
    }
    QTableView::mouseReleaseEvent(event);
}

void TListView::keyPressEvent(QKeyEvent* event) {
    QPointer<TListView> self(this);
    const std::uint16_t original = KeyCodeOf(*event);
    std::uint16_t key = original;
    if (key != 0) {
        if (auto handler = OnKeyDown) {
            handler(this, key, ShiftStateOf(event->modifiers()));
            if (!self) return;
        }
        if (key == 0) {
            event->accept();
            return;
        }
    }
    // Space ticks the current item's check box.
    if (key == VK_SPACE && checkboxes_ && !(event->modifiers() & Qt::ControlModifier)) {
        event->accept();
        if (TListItem* item = Item(currentIndex().row())) item->SetChecked(!item->Checked());
        return;
    }
    if (key != original) {
        const int qtKey = QtKeyOf(key);
        if (qtKey == 0) {
            event->accept();
            return;
        }
        QKeyEvent changed(QEvent::KeyPress, qtKey, event->modifiers(), QString());
        QTableView::keyPressEvent(&changed);
        event->setAccepted(changed.isAccepted());
        return;
    }
    // The list itself copies nothing: what goes to the clipboard is the window's business.
    if (event->matches(QKeySequence::Copy)) {
        event->ignore();
        return;
    }
    QTableView::keyPressEvent(event);
}

} // namespace platform
