#include "platform/StringGrid.h"

#include "platform/Focus.h"
#include "platform/SjisText.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <algorithm>

namespace platform {

namespace {

constexpr int kLine = 1;         // width of a grid line
constexpr int kSizingMargin = 3; // how near a column border the mouse may grab it

// Keys whose work is done by the character they type, not by the key code.
bool IsCharacterKey(std::uint16_t key) {
    return (key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9') || key == VK_SPACE ||
           key == VK_BACK || key == VK_RETURN || key == VK_ESCAPE || key == VK_TAB ||
           (key >= VK_NUMPAD0 && key <= VK_DIVIDE) || (key >= VK_OEM_1 && key <= VK_OEM_3) ||
           (key >= VK_OEM_4 && key <= VK_OEM_7);
}

// Tab and Shift+Tab as the widgets take them to move the focus (not with Ctrl or Alt).
bool IsFocusTab(const QKeyEvent& event) {
    return (event.key() == Qt::Key_Tab || event.key() == Qt::Key_Backtab) &&
           !(event.modifiers() & (Qt::ControlModifier | Qt::AltModifier));
}

} // namespace

TStringGrid::TStringGrid(QWidget* parent) : QAbstractScrollArea(parent) {
    colWidths_.assign(colCount_, defaultColWidth_);
    cells_.assign(std::size_t(colCount_) * rowCount_, std::string());
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    viewport()->setBackgroundRole(QPalette::Base);

    editor_ = new QLineEdit(viewport());
    editor_->setObjectName(QStringLiteral("InplaceEditor"));
    editor_->setFrame(false);
    editor_->hide();
    // Every typed character has to pass the key-press event, so no input method composes
    // text behind its back.
    editor_->setAttribute(Qt::WA_InputMethodEnabled, false);
    // Nor does pasting by mouse: no context menu, no dropped text, no middle-button paste.
    editor_->setContextMenuPolicy(Qt::NoContextMenu);
    editor_->setAcceptDrops(false);
    editor_->installEventFilter(this);
    connect(editor_, &QLineEdit::textEdited, this, &TStringGrid::EditorTextEdited);
    UpdateScrollBars();
}

TStringGrid::~TStringGrid() {
    // The editor is destroyed with the viewport; no exit or edit events on the way out.
    editor_->removeEventFilter(this);
    disconnect(editor_, nullptr, this, nullptr);
}

// ---- cells and sizes ----------------------------------------------------------------

std::string TStringGrid::Cells(int col, int row) const {
    if (col < 0 || col >= colCount_ || row < 0 || row >= rowCount_) return {};
    return At(col, row);
}

void TStringGrid::SetCells(int col, int row, const std::string& text) {
    if (col < 0 || col >= colCount_ || row < 0 || row >= rowCount_) return;
    std::string& cell = At(col, row);
    if (cell == text) return;
    cell = text;
    ++contentVersion_;
    if (editing_ && col == editCol_ && row == editRow_ && !writingEditor_) {
        const QString shown = FromSjis(text);
        if (editor_->text() != shown) {
            writingEditor_ = true;
            editor_->setText(shown);
            writingEditor_ = false;
        }
    }
    Repaint();
}

void TStringGrid::Resize(int cols, int rows) {
    if (cols == colCount_ && rows == rowCount_) return;
    std::vector<std::string> cells(std::size_t(cols) * rows);
    for (int r = 0; r < std::min(rows, rowCount_); ++r)
        for (int c = 0; c < std::min(cols, colCount_); ++c)
            cells[std::size_t(r) * cols + c] = std::move(At(c, r));
    cells_ = std::move(cells);
    ++contentVersion_;
    colWidths_.resize(cols, defaultColWidth_);
    colCount_ = cols;
    rowCount_ = rows;
    ClampState();
}

void TStringGrid::SetColCount(int count) {
    count = std::max(count, 1);
    if (fixedCols_ >= count) fixedCols_ = count - 1;
    Resize(count, rowCount_);
}

void TStringGrid::SetRowCount(int count) {
    count = std::max(count, 1);
    if (fixedRows_ >= count) fixedRows_ = count - 1;
    Resize(colCount_, count);
}

void TStringGrid::SetFixedCols(int count) {
    count = std::clamp(count, 0, colCount_ - 1);
    if (count == fixedCols_) return;
    fixedCols_ = count;
    ClampState();
    SelectRange({col_, row_}, {col_, row_});
}

void TStringGrid::SetFixedRows(int count) {
    count = std::clamp(count, 0, rowCount_ - 1);
    if (count == fixedRows_) return;
    fixedRows_ = count;
    ClampState();
    SelectRange({col_, row_}, {col_, row_});
}

// Keeps the current cell, the anchor, the selection and the editor inside the grid after
// its size or fixed counts changed.
void TStringGrid::ClampState() {
    if (editing_ && (editCol_ >= colCount_ || editRow_ >= rowCount_ || editCol_ < fixedCols_ ||
                     editRow_ < fixedRows_))
        HideEditor();
    col_ = std::clamp(col_, fixedCols_, colCount_ - 1);
    row_ = std::clamp(row_, fixedRows_, rowCount_ - 1);
    anchor_.col = std::clamp(anchor_.col, fixedCols_, colCount_ - 1);
    anchor_.row = std::clamp(anchor_.row, fixedRows_, rowCount_ - 1);
    TGridRect& s = selection_;
    s.Right = std::min(s.Right, colCount_ - 1);
    s.Bottom = std::min(s.Bottom, rowCount_ - 1);
    if (s.Left > s.Right || s.Top > s.Bottom) s = {col_, row_, col_, row_};
    UpdateScrollBars();
    Repaint();
}

void TStringGrid::SetDefaultColWidth(int width) {
    defaultColWidth_ = std::max(width, 0);
    colWidths_.assign(colCount_, defaultColWidth_);
    UpdateScrollBars();
    if (editing_) PlaceEditor();
    Repaint();
}

void TStringGrid::SetDefaultRowHeight(int height) {
    defaultRowHeight_ = std::max(height, 0);
    UpdateScrollBars();
    if (editing_) PlaceEditor();
    Repaint();
}

int TStringGrid::ColWidths(int col) const {
    if (col < 0 || col >= colCount_) return 0;
    return colWidths_[col];
}

void TStringGrid::SetColWidths(int col, int width) {
    if (col < 0 || col >= colCount_) return;
    width = std::max(width, 0);
    if (colWidths_[col] == width) return;
    colWidths_[col] = width;
    UpdateScrollBars();
    if (editing_) PlaceEditor();
    Repaint();
}

int TStringGrid::TextWidth(const std::string& text) const {
    if (auto known = textWidths_.find(text); known != textWidths_.end()) return known->second;
    // The texts of a table are few (numbers and headings); a grid fed other texts for long
    // starts its memory afresh.
    if (textWidths_.size() >= 4096) textWidths_.clear();
    const int width = fontMetrics().horizontalAdvance(FromSjis(text));
    textWidths_.emplace(text, width);
    return width;
}

void TStringGrid::SetOptions(TGridOptions options) {
    options_ = options;
    if (!(options_ & goEditing)) HideEditor();
    if (!(options_ & goRangeSelect)) SelectRange({col_, row_}, {col_, row_});
}

void TStringGrid::BeginUpdate() {
    ++updateHold_;
}

void TStringGrid::EndUpdate() {
    if (updateHold_ > 0 && --updateHold_ == 0) Repaint();
}

void TStringGrid::Repaint() {
    if (updateHold_ == 0) viewport()->update();
}

// ---- current cell and selection -----------------------------------------------------

// A cell that OnSelectCell refuses leaves the current cell where it was: nothing to undo.
void TStringGrid::SetCol(int col) {
    (void)MoveCurrent(col, row_, false);
}
void TStringGrid::SetRow(int row) {
    (void)MoveCurrent(col_, row, false);
}

bool TStringGrid::MoveCurrent(int col, int row, bool extend) {
    col = std::clamp(col, fixedCols_, colCount_ - 1);
    row = std::clamp(row, fixedRows_, rowCount_ - 1);
    if (col != col_ || row != row_) {
        bool canSelect = true;
        if (auto handler = OnSelectCell) {
            QPointer<TStringGrid> self(this);
            handler(this, col, row, canSelect);
            if (!self) return false;
            // The handler may have resized the grid.
            col = std::clamp(col, fixedCols_, colCount_ - 1);
            row = std::clamp(row, fixedRows_, rowCount_ - 1);
        }
        if (!canSelect) return false;
        HideEditor();
        col_ = col;
        row_ = row;
    }
    if (extend && (options_ & goRangeSelect))
        SelectRange(anchor_, {col_, row_});
    else
        SelectRange({col_, row_}, {col_, row_});
    ScrollIntoView(col_, row_);
    return true;
}

void TStringGrid::SelectRange(CellPos anchor, CellPos current) {
    anchor_ = anchor;
    selection_ = {std::min(anchor.col, current.col), std::min(anchor.row, current.row),
                  std::max(anchor.col, current.col), std::max(anchor.row, current.row)};
    Repaint();
}

void TStringGrid::SetSelection(TGridRect rect) {
    if (rect.Left > rect.Right) std::swap(rect.Left, rect.Right);
    if (rect.Top > rect.Bottom) std::swap(rect.Top, rect.Bottom);
    rect.Left = std::clamp(rect.Left, 0, colCount_ - 1);
    rect.Right = std::clamp(rect.Right, 0, colCount_ - 1);
    rect.Top = std::clamp(rect.Top, 0, rowCount_ - 1);
    rect.Bottom = std::clamp(rect.Bottom, 0, rowCount_ - 1);
    const bool inside =
        col_ >= rect.Left && col_ <= rect.Right && row_ >= rect.Top && row_ <= rect.Bottom;
    if (!inside) {
        HideEditor();
        col_ = std::clamp(std::max(rect.Left, fixedCols_), fixedCols_, colCount_ - 1);
        row_ = std::clamp(std::max(rect.Top, fixedRows_), fixedRows_, rowCount_ - 1);
    }
    anchor_ = {col_, row_};
    selection_ = rect;
    Repaint();
}

// ---- geometry -----------------------------------------------------------------------

int TStringGrid::FixedWidth() const {
    int w = 0;
    for (int c = 0; c < fixedCols_; ++c) w += colWidths_[c] + kLine;
    return w;
}

int TStringGrid::FixedHeight() const {
    return fixedRows_ * (defaultRowHeight_ + kLine);
}

int TStringGrid::ColLeft(int col) const {
    int x = 0;
    for (int c = 0; c < col; ++c) x += colWidths_[c] + kLine;
    return col < fixedCols_ ? x : x - horizontalScrollBar()->value();
}

int TStringGrid::RowTop(int row) const {
    const int y = row * (defaultRowHeight_ + kLine);
    return row < fixedRows_ ? y : y - verticalScrollBar()->value();
}

QRect TStringGrid::CellRect(int col, int row) const {
    return QRect(ColLeft(col), RowTop(row), colWidths_[col], defaultRowHeight_);
}

TStringGrid::CellPos TStringGrid::CellAt(QPoint pos) const {
    CellPos cell;
    const int fw = FixedWidth();
    const int fh = FixedHeight();
    for (int c = 0; c < colCount_; ++c) {
        if (c >= fixedCols_ && pos.x() < fw) break; // hidden under the fixed columns
        const int left = ColLeft(c);
        if (pos.x() >= left && pos.x() < left + colWidths_[c] + kLine) {
            cell.col = c;
            break;
        }
    }
    const int rowStep = defaultRowHeight_ + kLine;
    if (rowStep > 0 && pos.y() >= 0) {
        const int r =
            pos.y() < fh ? pos.y() / rowStep : (pos.y() + verticalScrollBar()->value()) / rowStep;
        if (r < rowCount_) cell.row = r;
    }
    if (cell.col < 0 || cell.row < 0) return {};
    return cell;
}

// The column whose right border lies under pos in the fixed rows, or -1.
int TStringGrid::SizingBorderAt(QPoint pos) const {
    if (!(options_ & goColSizing) || pos.y() < 0 || pos.y() >= FixedHeight()) return -1;
    const int fw = FixedWidth();
    for (int c = 0; c < colCount_; ++c) {
        const int border = ColLeft(c) + colWidths_[c];
        if (c >= fixedCols_ && border < fw) continue;
        if (std::abs(pos.x() - border) <= kSizingMargin) return c;
    }
    return -1;
}

void TStringGrid::UpdateScrollBars() {
    int contentW = 0;
    for (int c = fixedCols_; c < colCount_; ++c) contentW += colWidths_[c] + kLine;
    const int contentH = (rowCount_ - fixedRows_) * (defaultRowHeight_ + kLine);
    const int visibleW = std::max(viewport()->width() - FixedWidth(), 0);
    const int visibleH = std::max(viewport()->height() - FixedHeight(), 0);
    horizontalScrollBar()->setRange(0, std::max(contentW - visibleW, 0));
    horizontalScrollBar()->setPageStep(std::max(visibleW, 1));
    horizontalScrollBar()->setSingleStep(std::max(defaultColWidth_, 1));
    verticalScrollBar()->setRange(0, std::max(contentH - visibleH, 0));
    verticalScrollBar()->setPageStep(std::max(visibleH, 1));
    verticalScrollBar()->setSingleStep(std::max(defaultRowHeight_ + kLine, 1));
}

void TStringGrid::ScrollIntoView(int col, int row) {
    if (col >= fixedCols_) {
        int left = 0;
        for (int c = fixedCols_; c < col; ++c) left += colWidths_[c] + kLine;
        const int width = colWidths_[col] + kLine;
        const int visible = viewport()->width() - FixedWidth();
        QScrollBar* bar = horizontalScrollBar();
        if (left < bar->value())
            bar->setValue(left);
        else if (left + width > bar->value() + visible)
            bar->setValue(std::min(left, left + width - visible));
    }
    if (row >= fixedRows_) {
        const int step = defaultRowHeight_ + kLine;
        const int top = (row - fixedRows_) * step;
        const int visible = viewport()->height() - FixedHeight();
        QScrollBar* bar = verticalScrollBar();
        if (top < bar->value())
            bar->setValue(top);
        else if (top + step > bar->value() + visible)
            bar->setValue(std::min(top, top + step - visible));
    }
}

int TStringGrid::VisibleRows() const {
    const int step = defaultRowHeight_ + kLine;
    if (step <= 0) return 1;
    return std::max((viewport()->height() - FixedHeight()) / step, 1);
}

// ---- painting -----------------------------------------------------------------------

void TStringGrid::paintEvent(QPaintEvent*) {
    QPainter p(viewport());
    const QPalette& pal = palette();
    const int fw = FixedWidth();
    const int fh = FixedHeight();
    const QRect area = viewport()->rect();
    p.fillRect(area, pal.color(QPalette::Window));
    const QColor line = pal.color(QPalette::Mid);

    for (int r = 0; r < rowCount_; ++r) {
        const int top = RowTop(r);
        if (top > area.bottom()) {
            if (r >= fixedRows_) break;
            continue;
        }
        if (top + defaultRowHeight_ + kLine < (r < fixedRows_ ? 0 : fh)) continue;
        for (int c = 0; c < colCount_; ++c) {
            const int left = ColLeft(c);
            if (left > area.right()) {
                if (c >= fixedCols_) break;
                continue;
            }
            if (left + colWidths_[c] + kLine < (c < fixedCols_ ? 0 : fw)) continue;

            const bool fixed = c < fixedCols_ || r < fixedRows_;
            // Scrolled cells never show through the fixed ones.
            QRect clip = area;
            if (c >= fixedCols_) clip.setLeft(fw);
            if (r >= fixedRows_) clip.setTop(fh);
            p.setClipRect(clip);

            const QRect cell(left, top, colWidths_[c], defaultRowHeight_);
            const bool selected = !fixed && c >= selection_.Left && c <= selection_.Right &&
                                  r >= selection_.Top && r <= selection_.Bottom;
            QColor back = pal.color(QPalette::Base);
            QColor text = pal.color(QPalette::Text);
            if (fixed) {
                back = pal.color(QPalette::Button);
                text = pal.color(QPalette::ButtonText);
            } else if (selected) {
                back = pal.color(QPalette::Highlight);
                text = pal.color(QPalette::HighlightedText);
            }
            p.fillRect(cell, back);
            p.setPen(line);
            p.drawLine(cell.right() + 1, cell.top(), cell.right() + 1, cell.bottom() + 1);
            p.drawLine(cell.left(), cell.bottom() + 1, cell.right() + 1, cell.bottom() + 1);
            const std::string& s = At(c, r);
            if (!s.empty()) {
                p.setClipRect(clip.intersected(cell));
                p.setPen(text);
                p.drawText(cell.adjusted(TextIndent, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                           FromSjis(s));
            }
            if (c == col_ && r == row_ && hasFocus() && !editing_) {
                p.setClipRect(clip);
                QStyleOptionFocusRect focus;
                focus.initFrom(this);
                focus.rect = cell;
                focus.backgroundColor = back;
                style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &p, this);
            }
        }
    }
}

void TStringGrid::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void TStringGrid::scrollContentsBy(int, int) {
    if (editing_) PlaceEditor();
    viewport()->update();
}

void TStringGrid::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::EnabledChange && !isEnabled()) HideEditor();
    if (event->type() == QEvent::FontChange) {
        textWidths_.clear();
        if (editing_) PlaceEditor();
    }
}

// ---- keyboard -----------------------------------------------------------------------

void TStringGrid::keyPressEvent(QKeyEvent* event) {
    if (forwarding_) {
        // A key passed on to the editor that the editor did not take comes back here; the
        // grid acts on it once it is back from the editor.
        event->accept();
        editorDeclined_ = true;
        return;
    }
    HandleKeyPress(event);
}

void TStringGrid::keyReleaseEvent(QKeyEvent* event) {
    HandleKeyRelease(event);
}

void TStringGrid::HandleKeyPress(QKeyEvent* event) {
    event->accept();
    QPointer<TStringGrid> self(this);
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    const TShiftState shift = ShiftStateOf(modifiers);
    std::uint16_t key = KeyCodeOf(*event);
    if (key != 0) {
        if (auto handler = OnKeyDown) {
            handler(this, key, shift);
            if (!self) return;
        }
        if (key != 0) {
            if (editing_)
                EditorKeyDownAction(key, modifiers);
            else
                KeyDownAction(key, shift);
            if (!self) return;
        }
    }
    for (char16_t ch : KeyCharsOf(*event)) {
        if (auto handler = OnKeyPress) {
            handler(this, ch);
            if (!self) return;
        }
        if (ch == 0) continue;
        if (editing_)
            EditorCharAction(ch);
        else
            CharAction(ch);
        if (!self) return;
    }
}

void TStringGrid::HandleKeyRelease(QKeyEvent* event) {
    event->accept();
    if (event->isAutoRepeat()) return;
    std::uint16_t key = KeyCodeOf(*event);
    if (key == 0) return;
    if (auto handler = OnKeyUp) handler(this, key, ShiftStateOf(event->modifiers()));
}

void TStringGrid::KeyDownAction(std::uint16_t key, TShiftState shift) {
    const bool ctrl = shift.Contains(ssCtrl);
    CellPos to{col_, row_};
    switch (key) {
    case VK_LEFT:
        --to.col;
        break;
    case VK_RIGHT:
        ++to.col;
        break;
    case VK_UP:
        --to.row;
        break;
    case VK_DOWN:
        ++to.row;
        break;
    case VK_PRIOR:
        to.row -= VisibleRows();
        break;
    case VK_NEXT:
        to.row += VisibleRows();
        break;
    case VK_HOME:
        to = {fixedCols_, ctrl ? fixedRows_ : row_};
        break;
    case VK_END:
        to = {colCount_ - 1, ctrl ? rowCount_ - 1 : row_};
        break;
    case VK_F1 + 1:
        ShowEditor(); // F2
        return;
    default:
        return;
    }
    // A move that OnSelectCell refuses is no move: the key does nothing more.
    (void)MoveCurrent(to.col, to.row, shift.Contains(ssShift));
}

void TStringGrid::CharAction(char16_t ch) {
    if (!(options_ & goEditing)) return;
    if (ch == 0x0D) {
        ShowEditor();
    } else if (ch >= 0x20 && ch != 0x7F) {
        // The typed character replaces the cell's text.
        ShowEditor();
        if (!editing_) return;
        editor_->selectAll();
        editor_->insert(QString(QChar(ch)));
    }
}

void TStringGrid::EditorKeyDownAction(std::uint16_t key, Qt::KeyboardModifiers modifiers) {
    switch (key) {
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT: {
        HideEditor();
        KeyDownAction(key, ShiftStateOf(modifiers));
        return;
    }
    default:
        break;
    }
    if (IsCharacterKey(key)) return;
    // Caret movement, Delete and the like are the editor's own.
    if (const int qtKey = QtKeyOf(key); qtKey != 0) {
        QKeyEvent forwarded(QEvent::KeyPress, qtKey, modifiers & ~Qt::KeypadModifier, QString());
        // Reset on every way out, or the editor would bypass the events for good.
        forwarding_ = true;
        editorDeclined_ = false;
        QPointer<TStringGrid> self(this);
        {
            struct Reset {
                QPointer<TStringGrid>& grid;
                ~Reset() {
                    if (grid) grid->forwarding_ = false;
                }
            } reset{self};
            QCoreApplication::sendEvent(editor_, &forwarded);
        }
        if (!self || !editorDeclined_) return;
    }
    // A key the editor does not take (a lone Shift, F2, Pause and the like) is the grid's, once.
    KeyDownAction(key, ShiftStateOf(modifiers));
}

void TStringGrid::EditorCharAction(char16_t ch) {
    switch (ch) {
    case 0x01:
        editor_->selectAll();
        break;
    case 0x03:
        editor_->copy();
        break;
    case 0x08:
        editor_->backspace();
        break;
    case 0x0D:
    case 0x1B:
        HideEditor();
        break;
    case 0x16:
        editor_->paste();
        break;
    case 0x18:
        editor_->cut();
        break;
    case 0x1A:
        editor_->undo();
        break;
    default:
        if (ch >= 0x20 && ch != 0x7F) editor_->insert(QString(QChar(ch)));
        break;
    }
}

// ---- editor -------------------------------------------------------------------------

bool TStringGrid::EditorMode() const {
    return editing_;
}

void TStringGrid::ShowEditor() {
    if (editing_ || !(options_ & goEditing) || !isEnabled()) return;
    editing_ = true;
    editCol_ = col_;
    editRow_ = row_;
    ScrollIntoView(col_, row_);
    writingEditor_ = true;
    editor_->setText(FromSjis(At(col_, row_)));
    writingEditor_ = false;
    PlaceEditor();
    editor_->show();
    editor_->setFocus(Qt::OtherFocusReason);
    editor_->selectAll();
    Repaint();
}

void TStringGrid::HideEditor() {
    if (!editing_) return;
    editing_ = false;
    // Hiding a focused editor would pass the focus on to the next control.
    if (editor_->hasFocus()) setFocus(Qt::OtherFocusReason);
    editor_->hide();
    Repaint();
}

void TStringGrid::PlaceEditor() {
    if (editCol_ < 0 || editCol_ >= colCount_ || editRow_ < 0 || editRow_ >= rowCount_) return;
    editor_->setGeometry(CellRect(editCol_, editRow_));
}

void TStringGrid::EditorTextEdited(const QString& text) {
    if (!editing_ || writingEditor_) return;
    const int col = editCol_;
    const int row = editRow_;
    const std::string value = ToSjis(text);
    At(col, row) = value;
    ++contentVersion_;
    Repaint();
    QPointer<TStringGrid> self(this);
    if (auto handler = OnSetEditText) {
        handler(this, col, row, value);
        if (!self) return;
    }
    // The editor shows what the cell holds: a handler's correction, or the cell's form of
    // a character that Shift-JIS cannot hold.
    if (editing_ && editCol_ == col && editRow_ == row) {
        const QString shown = FromSjis(At(col, row));
        if (editor_->text() != shown) {
            writingEditor_ = true;
            editor_->setText(shown);
            writingEditor_ = false;
        }
    }
}

bool TStringGrid::eventFilter(QObject* watched, QEvent* event) {
    if (watched != editor_) return QAbstractScrollArea::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress: {
        if (forwarding_) return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (IsFocusTab(*key)) {
            // Tab and Shift+Tab do what they do in the grid: the focus moves on from the grid.
            HideEditor();
            QCoreApplication::sendEvent(this, key);
            return true;
        }
        HandleKeyPress(key);
        return true;
    }
    case QEvent::KeyRelease:
        HandleKeyRelease(static_cast<QKeyEvent*>(event));
        return true;
    case QEvent::FocusOut: {
        auto* focus = static_cast<QFocusEvent*>(event);
        if (QApplication::focusWidget() != this) LeftFocus(focus);
        return false;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
        return static_cast<QMouseEvent*>(event)->button() == Qt::MiddleButton;
    default:
        return false;
    }
}

// ---- focus --------------------------------------------------------------------------

void TStringGrid::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    Repaint();
}

void TStringGrid::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    Repaint();
    if (QApplication::focusWidget() != editor_) LeftFocus(event);
}

void TStringGrid::LeftFocus(QFocusEvent* event) {
    if (!LeavesControl(event)) return;
    HideEditor();
    if (auto handler = OnExit) handler(this);
}

// ---- mouse --------------------------------------------------------------------------

void TStringGrid::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    const QPoint pos = event->position().toPoint();
    setFocus(Qt::MouseFocusReason);
    const int border = SizingBorderAt(pos);
    if (border >= 0) {
        sizingCol_ = border;
        sizingStartX_ = pos.x();
        sizingStartWidth_ = colWidths_[border];
        return;
    }
    const CellPos cell = CellAt(pos);
    if (cell.col < fixedCols_ || cell.row < fixedRows_) return;
    const bool extend = (event->modifiers() & Qt::ShiftModifier) && (options_ & goRangeSelect);
    if (MoveCurrent(cell.col, cell.row, extend)) selecting_ = (options_ & goRangeSelect) != 0;
}

void TStringGrid::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (sizingCol_ >= 0) {
        SetColWidths(sizingCol_, sizingStartWidth_ + pos.x() - sizingStartX_);
        return;
    }
    if (selecting_ && (event->buttons() & Qt::LeftButton)) {
        // Dragging past the edge keeps extending to the nearest cell.
        const QRect area = viewport()->rect();
        const QPoint inside(std::clamp(pos.x(), FixedWidth(), std::max(area.right(), 0)),
                            std::clamp(pos.y(), FixedHeight(), std::max(area.bottom(), 0)));
        const CellPos cell = CellAt(inside);
        // A refused cell ends nothing: the drag goes on to the next.
        if (cell.col >= fixedCols_ && cell.row >= fixedRows_)
            (void)MoveCurrent(cell.col, cell.row, true);
        return;
    }
    viewport()->setCursor(SizingBorderAt(pos) >= 0 ? Qt::SplitHCursor : Qt::ArrowCursor);
}

void TStringGrid::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        sizingCol_ = -1;
        selecting_ = false;
    }
    QAbstractScrollArea::mouseReleaseEvent(event);
}

void TStringGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const QPoint pos = event->position().toPoint();
    if (SizingBorderAt(pos) >= 0) return;
    const CellPos cell = CellAt(pos);
    if (cell.col == col_ && cell.row == row_) ShowEditor();
}

} // namespace platform
