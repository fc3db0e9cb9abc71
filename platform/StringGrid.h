#pragma once
// A string grid addressed as Cells(col, row). The first FixedCols columns and FixedRows rows
// are cells like the others, drawn grey as headings and kept in place while the rest
// scrolls; the current cell and the user's selection stay outside them, but a selection set
// in code may include them. With goEditing a cell editor opens on the current cell when the
// user types, presses F2 or Enter, or double-clicks; every change of its text is written to
// the cell at once and raises OnSetEditText. Text is Shift-JIS bytes.
#include "platform/Events.h"
#include "platform/KeyEvents.h"

#include <QAbstractScrollArea>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

class QLineEdit;

namespace platform {

struct TGridRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    bool operator==(const TGridRect&) const = default;
};

enum TGridOption : unsigned {
    goRangeSelect = 1u << 0, // the user can select a rectangle of cells
    goEditing = 1u << 1,     // the cells can be edited
    goColSizing = 1u << 2,   // column borders in the fixed rows can be dragged
};
using TGridOptions = unsigned;

// Value is the editor's new text, which the cell already holds.
using TSetEditEvent =
    std::function<void(QObject* Sender, int ACol, int ARow, const std::string& Value)>;
using TSelectCellEvent = std::function<void(QObject* Sender, int ACol, int ARow, bool& CanSelect)>;

class TStringGrid : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TStringGrid(QWidget* parent = nullptr);
    ~TStringGrid() override;

    // Text of a cell; empty outside the grid. Writing outside the grid does nothing. Writing
    // the cell being edited shows the new text in the editor (raising no OnSetEditText).
    std::string Cells(int col, int row) const;
    void SetCells(int col, int row, const std::string& text);

    // At least one column and row; the fixed ones always leave one non-fixed column and
    // row. Cells that a shrink removes are gone: growing again gives empty cells.
    int ColCount() const { return colCount_; }
    void SetColCount(int count);
    int RowCount() const { return rowCount_; }
    void SetRowCount(int count);
    int FixedCols() const { return fixedCols_; }
    void SetFixedCols(int count);
    int FixedRows() const { return fixedRows_; }
    void SetFixedRows(int count);

    // Setting the default column width gives every column that width; new columns get it.
    int DefaultColWidth() const { return defaultColWidth_; }
    void SetDefaultColWidth(int width);
    int DefaultRowHeight() const { return defaultRowHeight_; }
    void SetDefaultRowHeight(int height);
    // Pixel width of a column (without its grid line); 0 outside the grid.
    int ColWidths(int col) const;
    void SetColWidths(int col, int width);

    // A cell's text is drawn this far right of the cell's left edge, centred in the row: a column
    // one pixel wider than a text shows it whole.
    static constexpr int TextIndent = 1;
    // A column sized to its texts leaves this much room after the widest one, so that the ink of
    // a number stands clear of the next column's across the grid line.
    static constexpr int TextGap = 4;
    // The width of a column sized to texts whose widest is `textWidth` pixels wide.
    static constexpr int FittingWidth(int textWidth) { return TextIndent + textWidth + TextGap; }
    // The height of a row that shows a line of text in the grid's font whole: the text is centred
    // in its row, and the grid line lies below the row.
    int FittingHeight() const { return fontMetrics().height(); }
    // Pixel width of a text in the grid's font. Widths are remembered while the font stays.
    int TextWidth(const std::string& text) const;
    // Counts every change of a cell's text and of the grid's size, so that a caller can tell
    // whether the cells are still as it left them.
    std::uint64_t ContentVersion() const { return contentVersion_; }

    TGridOptions Options() const { return options_; }
    void SetOptions(TGridOptions options);

    // The current cell (never a fixed one). Moving it asks OnSelectCell and makes the
    // selection that one cell.
    int Col() const { return col_; }
    void SetCol(int col);
    int Row() const { return row_; }
    void SetRow(int row);

    // The selected rectangle. Set in code it is clamped to the grid and may include fixed
    // cells; the current cell stays where it is when inside it, else moves to its first
    // non-fixed cell.
    TGridRect Selection() const { return selection_; }
    void SetSelection(TGridRect rect);

    // True while the cell editor is open.
    bool EditorMode() const;

    // Hold repainting while many cells are written; calls nest.
    void BeginUpdate();
    void EndUpdate();

    TSetEditEvent OnSetEditText;
    TSelectCellEvent OnSelectCell;
    TKeyEvent OnKeyDown;
    TKeyPressEvent OnKeyPress;
    TKeyEvent OnKeyUp;
    // The focus left the grid (and its editor) for another control of the application.
    TNotifyEvent OnExit;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct CellPos {
        int col = -1;
        int row = -1;
    };

    std::string& At(int col, int row) { return cells_[std::size_t(row) * colCount_ + col]; }
    const std::string& At(int col, int row) const {
        return cells_[std::size_t(row) * colCount_ + col];
    }
    void Resize(int cols, int rows);
    void ClampState();

    // Geometry, in viewport pixels.
    int FixedWidth() const;
    int FixedHeight() const;
    int ColLeft(int col) const;
    int RowTop(int row) const;
    QRect CellRect(int col, int row) const;
    CellPos CellAt(QPoint pos) const;
    int SizingBorderAt(QPoint pos) const;
    void UpdateScrollBars();
    void ScrollIntoView(int col, int row);
    int VisibleRows() const;

    // Current cell and selection. MoveCurrent: false when OnSelectCell refused the cell or
    // destroyed the grid.
    [[nodiscard]] bool MoveCurrent(int col, int row, bool extend);
    void SelectRange(CellPos anchor, CellPos current);

    // Keyboard: raise the events, then act on what the handlers left.
    void HandleKeyPress(QKeyEvent* event);
    void HandleKeyRelease(QKeyEvent* event);
    void KeyDownAction(std::uint16_t key, TShiftState shift);
    void EditorKeyDownAction(std::uint16_t key, Qt::KeyboardModifiers modifiers);
    void CharAction(char16_t ch);
    void EditorCharAction(char16_t ch);

    // Editor.
    void ShowEditor();
    void HideEditor();
    void PlaceEditor();
    void EditorTextEdited(const QString& text);
    void LeftFocus(QFocusEvent* event);

    void Repaint();

    int colCount_ = 5;
    int rowCount_ = 5;
    int fixedCols_ = 1;
    int fixedRows_ = 1;
    int defaultColWidth_ = 64;
    int defaultRowHeight_ = 24;
    std::vector<int> colWidths_;
    std::vector<std::string> cells_; // row-major
    TGridOptions options_ = goRangeSelect;
    int col_ = 1;
    int row_ = 1;
    CellPos anchor_{1, 1};
    TGridRect selection_{1, 1, 1, 1};

    QLineEdit* editor_ = nullptr;
    bool editing_ = false;
    int editCol_ = -1;
    int editRow_ = -1;
    bool writingEditor_ = false; // the editor's text is being set from the cell
    bool forwarding_ = false;    // a key event of our own is going to the editor
    // The editor left the key it was given to the grid.
    bool editorDeclined_ = false;

    int updateHold_ = 0;
    std::uint64_t contentVersion_ = 0;
    mutable std::unordered_map<std::string, int> textWidths_;
    bool selecting_ = false; // the mouse is extending the selection
    int sizingCol_ = -1;     // the column whose border the mouse is dragging
    int sizingStartX_ = 0;
    int sizingStartWidth_ = 0;
};

} // namespace platform
