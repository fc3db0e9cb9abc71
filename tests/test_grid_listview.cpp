// The string grid and the list view: the semantics the windows' handlers rely on, driven
// through the controls' own events and through simulated keyboard and mouse input.
#include "platform/Events.h"
#include "platform/KeyEvents.h"
#include "platform/ListView.h"
#include "platform/StringGrid.h"
#include "support/EditorKeys.h"

#include <QApplication>
#include <QClipboard>
#include <QDeadlineTimer>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QVBoxLayout>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace platform;

namespace {

// ---- input helpers ------------------------------------------------------------------

void SendKey(QWidget* target, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
             const QString& text = QString()) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(target, &release);
}

// Types ASCII letters and digits as a keyboard does: each with its key and its text.
void Type(QWidget* target, const std::string& text) {
    for (char c : text) {
        const QChar ch = QLatin1Char(c);
        const auto key = static_cast<Qt::Key>(ch.toUpper().unicode());
        SendKey(target, key, Qt::NoModifier, QString(ch));
    }
}

void SendMouse(QWidget* target, QEvent::Type type, QPoint pos,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    const Qt::MouseButtons buttons =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(Qt::LeftButton);
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(pos), QPointF(target->mapToGlobal(pos)), button, buttons,
                      modifiers);
    QApplication::sendEvent(target, &event);
}

void Click(QWidget* target, QPoint pos, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    SendMouse(target, QEvent::MouseButtonPress, pos, modifiers);
    SendMouse(target, QEvent::MouseButtonRelease, pos, modifiers);
}

// Shows the window and waits (bounded) until it is the active one, so focus can move in it.
void ShowActive(QWidget& window) {
    window.show();
    window.activateWindow();
    QDeadlineTimer deadline(5000);
    while (QApplication::activeWindow() != &window && !deadline.hasExpired())
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_EQ(QApplication::activeWindow(), &window);
}

QLineEdit* EditorOf(TStringGrid& grid) {
    return grid.findChild<QLineEdit*>(QStringLiteral("InplaceEditor"));
}

// ---- string grid --------------------------------------------------------------------

// A grid laid out like the demand table: 2 columns, one fixed row and column, editable.
class GridTest : public ::testing::Test {
protected:
    void SetUp() override {
        grid.resize(300, 400);
        grid.SetColCount(2);
        grid.SetRowCount(11);
        grid.SetDefaultColWidth(35);
        grid.SetDefaultRowHeight(20);
        grid.SetOptions(goEditing | goRangeSelect | goColSizing);
        grid.SetCells(1, 0, "Week");
        for (int r = 1; r < 11; ++r) grid.SetCells(0, r, std::to_string(r - 1));
    }

    // The center of a cell, in viewport coordinates, for an unscrolled grid.
    QPoint CellCenter(int col, int row) const {
        int x = 0;
        for (int c = 0; c < col; ++c) x += grid.ColWidths(c) + 1;
        return QPoint(x + grid.ColWidths(col) / 2,
                      row * (grid.DefaultRowHeight() + 1) + grid.DefaultRowHeight() / 2);
    }

    TStringGrid grid;
};

TEST_F(GridTest, FixedCellsAreCellsAndResizingKeepsOnlyWhatRemains) {
    EXPECT_EQ(grid.Cells(1, 0), "Week");
    EXPECT_EQ(grid.Cells(0, 10), "9");
    EXPECT_EQ(grid.Cells(0, 0), "");
    grid.SetCells(0, 0, "Corner");
    EXPECT_EQ(grid.Cells(0, 0), "Corner");

    // Outside the grid: reads empty, writes are dropped.
    grid.SetCells(2, 1, "x");
    grid.SetCells(-1, 1, "x");
    EXPECT_EQ(grid.Cells(2, 1), "");
    EXPECT_EQ(grid.Cells(1, 11), "");

    // Growing keeps the cells; cells removed by a shrink come back empty.
    grid.SetCells(1, 10, "8");
    grid.SetColCount(4);
    EXPECT_EQ(grid.Cells(1, 0), "Week");
    EXPECT_EQ(grid.Cells(0, 10), "9");
    grid.SetCells(3, 1, "Total");
    grid.SetColCount(2);
    grid.SetRowCount(5);
    grid.SetColCount(4);
    grid.SetRowCount(11);
    EXPECT_EQ(grid.Cells(3, 1), "");
    EXPECT_EQ(grid.Cells(1, 10), "");
    EXPECT_EQ(grid.Cells(0, 4), "3");

    // New columns get the default width; setting the default gives every column it.
    grid.SetColWidths(0, 120);
    grid.SetColCount(6);
    EXPECT_EQ(grid.ColWidths(0), 120);
    EXPECT_EQ(grid.ColWidths(5), 35);
    EXPECT_EQ(grid.ColWidths(6), 0);
    grid.SetDefaultColWidth(30);
    EXPECT_EQ(grid.ColWidths(0), 30);

    // The fixed counts always leave a column and a row to work in.
    grid.SetColCount(1);
    EXPECT_EQ(grid.FixedCols(), 0);
    grid.SetFixedRows(20);
    EXPECT_EQ(grid.FixedRows(), 10);
    EXPECT_GE(grid.Row(), grid.FixedRows());
}

TEST_F(GridTest, SelectionSetInCodeMayIncludeFixedCellsButTheCurrentCellNever) {
    grid.SetRow(4);
    grid.SetSelection({0, 0, grid.ColCount() - 1, grid.RowCount() - 1});
    EXPECT_EQ(grid.Selection(), (TGridRect{0, 0, 1, 10}));
    EXPECT_EQ(grid.Col(), 1);
    EXPECT_EQ(grid.Row(), 4); // inside the rectangle: stays

    // Beyond the grid and upside down: clamped and put in order.
    grid.SetSelection({5, 30, 1, 2});
    EXPECT_EQ(grid.Selection(), (TGridRect{1, 2, 1, 10}));
    EXPECT_EQ(grid.Row(), 4);

    // A rectangle of fixed cells only moves the current cell to the first non-fixed one.
    grid.SetSelection({0, 0, 0, 0});
    EXPECT_EQ(grid.Selection(), (TGridRect{0, 0, 0, 0}));
    EXPECT_EQ(grid.Col(), 1);
    EXPECT_EQ(grid.Row(), 1);

    // The user's keys move inside the non-fixed cells only.
    grid.SetRow(3);
    SendKey(&grid, Qt::Key_Left);
    SendKey(&grid, Qt::Key_Up, Qt::ShiftModifier);
    SendKey(&grid, Qt::Key_Up, Qt::ShiftModifier);
    SendKey(&grid, Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(grid.Col(), 1);
    EXPECT_EQ(grid.Row(), 1);
    EXPECT_EQ(grid.Selection(), (TGridRect{1, 1, 1, 3}));
    SendKey(&grid, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(grid.Row(), 10);
    EXPECT_EQ(grid.Selection(), (TGridRect{1, 10, 1, 10}));
}

TEST_F(GridTest, MouseSelectsNonFixedCellsAndDragsColumnBorders) {
    grid.show();
    Click(grid.viewport(), CellCenter(1, 3));
    EXPECT_EQ(grid.Row(), 3);
    Click(grid.viewport(), CellCenter(1, 6), Qt::ShiftModifier);
    EXPECT_EQ(grid.Selection(), (TGridRect{1, 3, 1, 6}));
    Click(grid.viewport(), CellCenter(0, 8)); // a fixed cell: nothing
    EXPECT_EQ(grid.Selection(), (TGridRect{1, 3, 1, 6}));

    // Dragging the border of column 1 in the fixed row widens it.
    const QPoint border(grid.ColWidths(0) + 1 + grid.ColWidths(1), 10);
    SendMouse(grid.viewport(), QEvent::MouseButtonPress, border);
    SendMouse(grid.viewport(), QEvent::MouseMove, border + QPoint(40, 0));
    SendMouse(grid.viewport(), QEvent::MouseButtonRelease, border + QPoint(40, 0));
    EXPECT_EQ(grid.ColWidths(1), 75);
    EXPECT_EQ(grid.Selection(), (TGridRect{1, 3, 1, 6}));
}

TEST_F(GridTest, EveryChangeOfTheEditorRaisesSetEditTextWithTheCellAlreadyHoldingIt) {
    grid.SetCells(1, 2, "4");
    grid.SetRow(2);
    std::vector<std::string> seen;
    grid.OnSetEditText = [&](QObject* sender, int col, int row, const std::string& value) {
        EXPECT_EQ(sender, &grid);
        EXPECT_EQ(col, 1);
        EXPECT_EQ(row, 2);
        EXPECT_EQ(grid.Cells(col, row), value);
        seen.push_back(value);
    };
    Type(&grid, "15"); // the first character replaces the text and opens the editor
    EXPECT_TRUE(grid.EditorMode());
    EXPECT_EQ(seen, (std::vector<std::string>{"1", "15"}));
    EXPECT_EQ(grid.Cells(1, 2), "15");

    // Keys that reach the open editor take the same way.
    QLineEdit* editor = EditorOf(grid);
    ASSERT_NE(editor, nullptr);
    SendKey(editor, Qt::Key_Backspace);
    Type(editor, "7");
    EXPECT_EQ(seen, (std::vector<std::string>{"1", "15", "1", "17"}));
    SendKey(editor, Qt::Key_Return);
    EXPECT_FALSE(grid.EditorMode());
    EXPECT_EQ(grid.Cells(1, 2), "17");

    // F2 opens the editor on the cell's text; Escape closes it keeping the cell.
    SendKey(&grid, Qt::Key_F2);
    ASSERT_TRUE(grid.EditorMode());
    EXPECT_EQ(editor->text(), "17");
    SendKey(editor, Qt::Key_End);
    Type(editor, "3");
    SendKey(editor, Qt::Key_Escape);
    EXPECT_FALSE(grid.EditorMode());
    EXPECT_EQ(grid.Cells(1, 2), "173");

    // Without goEditing typing does nothing.
    grid.SetOptions(goRangeSelect);
    Type(&grid, "9");
    EXPECT_FALSE(grid.EditorMode());
    EXPECT_EQ(grid.Cells(1, 2), "173");
}

TEST_F(GridTest, AHandlerThatRewritesTheEditedCellIsShownInTheEditor) {
    // The demand rule: below 1 becomes "0", above 99 becomes "99".
    std::vector<std::string> seen;
    grid.OnSetEditText = [&](QObject*, int col, int row, const std::string& value) {
        seen.push_back(value);
        int n = -1;
        try {
            n = value.empty() ? -1 : std::stoi(value);
        } catch (...) {}
        if (n < 1)
            grid.SetCells(col, row, "0");
        else if (n > 99)
            grid.SetCells(col, row, "99");
    };
    grid.SetRow(5);
    Type(&grid, "150");
    QLineEdit* editor = EditorOf(grid);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(grid.Cells(1, 5), "99");
    EXPECT_EQ(editor->text(), "99");
    EXPECT_EQ(seen, (std::vector<std::string>{"1", "15", "150"}));

    // Typing goes on after the corrected text, not in the middle of it.
    Type(editor, "4");
    EXPECT_EQ(seen.back(), "994");
    EXPECT_EQ(editor->text(), "99");

    // Emptying the cell with Delete: the handler's "0" stands in cell and editor.
    SendKey(editor, Qt::Key_Home);
    SendKey(editor, Qt::Key_End, Qt::ShiftModifier);
    SendKey(editor, Qt::Key_Delete);
    EXPECT_EQ(seen.back(), "");
    EXPECT_EQ(grid.Cells(1, 5), "0");
    EXPECT_EQ(editor->text(), "0");

    // Rewriting the cell from elsewhere also shows in the open editor, without an event.
    const std::size_t events = seen.size();
    grid.SetCells(1, 5, "7");
    EXPECT_EQ(editor->text(), "7");
    EXPECT_EQ(seen.size(), events);
}

TEST_F(GridTest, KeyPressHandlerRejectsCharactersIncludingBackspaceAndEnter) {
    std::u16string pressed;
    grid.OnKeyPress = [&](QObject* sender, char16_t& key) {
        EXPECT_EQ(sender, &grid);
        pressed.push_back(key);
        if (key < u'0' || key > u'9') key = 0;
    };
    int edits = 0;
    grid.OnSetEditText = [&](QObject*, int, int, const std::string&) { ++edits; };
    grid.SetCells(1, 1, "5");

    Type(&grid, "a");
    EXPECT_FALSE(grid.EditorMode()); // a rejected character opens no editor
    EXPECT_EQ(grid.Cells(1, 1), "5");

    Type(&grid, "4");
    ASSERT_TRUE(grid.EditorMode());
    QLineEdit* editor = EditorOf(grid);
    SendKey(editor, Qt::Key_Backspace);
    SendKey(editor, Qt::Key_Return);
    Type(editor, "x2");
    SendKey(editor, Qt::Key_V, Qt::ControlModifier); // paste is the character ^V
    EXPECT_TRUE(grid.EditorMode());
    EXPECT_EQ(grid.Cells(1, 1), "42");
    EXPECT_EQ(edits, 2);
    EXPECT_EQ(pressed, (std::u16string{u'a', u'4', 8, 13, u'x', u'2', 0x16}));

    // A handler may also replace a character by another.
    grid.OnKeyPress = [](QObject*, char16_t& key) {
        if (key == u'x') key = u'9';
    };
    Type(editor, "x");
    EXPECT_EQ(grid.Cells(1, 1), "429");
}

TEST_F(GridTest, KeyDownAndKeyUpHandlersSeeCodesAndShiftAndCanSwallowOrChangeKeys) {
    grid.SetRow(2);
    std::vector<std::pair<std::uint16_t, TShiftState>> downs, ups;
    std::uint16_t replace = 0, by = 0;
    grid.OnKeyDown = [&](QObject* sender, std::uint16_t& key, TShiftState shift) {
        EXPECT_EQ(sender, &grid);
        downs.emplace_back(key, shift);
        if (key == replace) key = by;
    };
    grid.OnKeyUp = [&](QObject*, std::uint16_t& key, TShiftState shift) {
        ups.emplace_back(key, shift);
    };
    std::u16string chars;
    grid.OnKeyPress = [&](QObject*, char16_t& key) { chars.push_back(key); };

    replace = VK_DOWN; // swallowed
    by = 0;
    SendKey(&grid, Qt::Key_Down);
    EXPECT_EQ(grid.Row(), 2);
    replace = VK_RIGHT; // turned into another key
    by = VK_DOWN;
    SendKey(&grid, Qt::Key_Right);
    EXPECT_EQ(grid.Row(), 3);

    SendKey(&grid, Qt::Key_A, Qt::ControlModifier, QStringLiteral("a"));
    ASSERT_EQ(downs.size(), 3u);
    EXPECT_EQ(downs[2].first, 'A');
    EXPECT_TRUE(downs[2].second.Contains(ssCtrl));
    EXPECT_FALSE(downs[2].second.Contains(ssShift));
    EXPECT_EQ(chars, std::u16string(1, char16_t(1))); // Ctrl+A types ^A
    EXPECT_FALSE(grid.EditorMode());
    ASSERT_EQ(ups.size(), 3u);
    EXPECT_EQ(ups[0].first, VK_DOWN);
    EXPECT_EQ(ups[2].first, 'A');

    // Auto-repeat releases are no key-up.
    QKeyEvent repeat(QEvent::KeyRelease, Qt::Key_Down, Qt::NoModifier, QString(), true);
    QApplication::sendEvent(&grid, &repeat);
    EXPECT_EQ(ups.size(), 3u);
}

TEST_F(GridTest, SelectCellHandlerCanRefuseAMove) {
    grid.SetRow(2);
    std::vector<std::pair<int, int>> asked;
    grid.OnSelectCell = [&](QObject*, int col, int row, bool& canSelect) {
        asked.emplace_back(col, row);
        canSelect = row != 4;
    };
    SendKey(&grid, Qt::Key_Down);
    EXPECT_EQ(grid.Row(), 3);
    SendKey(&grid, Qt::Key_Down);
    EXPECT_EQ(grid.Row(), 3);
    grid.SetRow(6);
    EXPECT_EQ(grid.Row(), 6);
    EXPECT_EQ(asked, (std::vector<std::pair<int, int>>{{1, 3}, {1, 4}, {1, 6}}));
}

TEST_F(GridTest, TextWidthMeasuresInTheGridsFont) {
    const int narrow = grid.TextWidth("Delay");
    EXPECT_GT(narrow, 0);
    EXPECT_EQ(grid.TextWidth("Delay"), grid.fontMetrics().horizontalAdvance("Delay"));
    EXPECT_GT(grid.TextWidth("Ship to Wholesaler"), narrow);
    EXPECT_EQ(grid.TextWidth(""), 0);
    QFont big = grid.font();
    big.setPointSize(big.pointSize() * 3);
    grid.setFont(big);
    EXPECT_GT(grid.TextWidth("Delay"), narrow * 2);
}

// A grid with an edit after it in the focus chain, in a window of their own.
struct GridBesideAnEdit {
    QWidget window;
    TStringGrid* grid = new TStringGrid;
    QLineEdit* other = new QLineEdit;
    GridBesideAnEdit() {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(grid);
        layout->addWidget(other);
    }
};

TEST(GridFocus, ExitRunsWhenTheFocusLeavesTheGridNotWhenItMovesToItsEditor) {
    GridBesideAnEdit w;
    auto& [window, grid, other] = w;
    grid->SetOptions(goEditing);
    int exits = 0;
    grid->OnExit = [&](QObject* sender) {
        EXPECT_EQ(sender, grid);
        ++exits;
    };
    ShowActive(window);
    grid->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(grid->hasFocus());

    QLineEdit* editor = EditorOf(*grid);
    Type(grid, "3");
    ASSERT_TRUE(grid->EditorMode());
    EXPECT_TRUE(editor->hasFocus());
    SendKey(editor, Qt::Key_Return);
    EXPECT_TRUE(grid->hasFocus());
    EXPECT_EQ(exits, 0);

    Type(grid, "4");
    ASSERT_TRUE(editor->hasFocus());
    other->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(exits, 1);
    EXPECT_FALSE(grid->EditorMode());
    EXPECT_EQ(grid->Cells(1, 1), "4");

    grid->setFocus();
    other->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(exits, 2);
}

// Keys the cell editor has no use for reach the grid's key-down handler once each, as keys do
// with no cell edited, and leave the editor open on its text; Tab and Shift+Tab move the
// focus on from the grid as they do from the grid itself.
TEST(GridFocus, KeysTheEditorDoesNotTakeGoToTheGridOnce) {
    GridBesideAnEdit w;
    auto& [window, grid, other] = w;
    grid->SetColCount(2);
    grid->SetRowCount(11);
    grid->SetOptions(goEditing | goRangeSelect);
    std::vector<std::uint16_t> downs;
    grid->OnKeyDown = [&](QObject*, std::uint16_t& key, TShiftState) { downs.push_back(key); };
    grid->OnKeyPress = [](QObject*, char16_t& key) {
        if (key < u'0' || key > u'9') key = 0; // digits only, as the server's grids take
    };
    int exits = 0;
    grid->OnExit = [&](QObject*) { ++exits; };
    ShowActive(window);
    grid->setFocus();
    QApplication::processEvents();
    QApplication::clipboard()->setText("7");
    QLineEdit* editor = EditorOf(*grid);
    Type(grid, "4");
    ASSERT_TRUE(grid->EditorMode());
    ASSERT_TRUE(editor->hasFocus());
    downs.clear();

    std::vector<std::uint16_t> expected;
    for (const TEditorKey& k : kKeysTheEditorLeaves) {
        SendKey(editor, k.key, k.modifiers, QString::fromLatin1(k.text));
        expected.push_back(k.code);
        EXPECT_EQ(downs, expected) << k.code;
        EXPECT_TRUE(grid->EditorMode()) << k.code;
        EXPECT_EQ(grid->Cells(1, 1), "4") << k.code;
    }

    // Shift+Insert pastes as the editor does: the key-press handler sees no character.
    SendKey(editor, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(downs.back(), VK_INSERT);
    EXPECT_EQ(grid->Cells(1, 1), "47");
    // Shift+Down leaves the editor and extends the selection, as in the grid.
    SendKey(editor, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_FALSE(grid->EditorMode());
    EXPECT_EQ(grid->Selection(), (TGridRect{1, 1, 1, 2}));

    Type(grid, "5");
    ASSERT_TRUE(editor->hasFocus());
    SendKey(editor, Qt::Key_Tab);
    QApplication::processEvents();
    EXPECT_FALSE(grid->EditorMode());
    EXPECT_TRUE(other->hasFocus());
    EXPECT_EQ(exits, 1);
    EXPECT_EQ(grid->Cells(1, 2), "5");

    grid->setFocus();
    Type(grid, "6");
    ASSERT_TRUE(editor->hasFocus());
    SendKey(editor, Qt::Key_Backtab, Qt::ShiftModifier);
    QApplication::processEvents();
    EXPECT_FALSE(grid->EditorMode());
    EXPECT_TRUE(other->hasFocus());
    EXPECT_EQ(exits, 2);
    EXPECT_EQ(grid->Cells(1, 2), "6");
}

// ---- list view ----------------------------------------------------------------------

struct Change {
    TListItem* item;
    TItemChange change;
    bool operator==(const Change&) const = default;
};

class ListViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        view.resize(600, 300);
        view.SetCheckboxes(true);
        view.SetMultiSelect(true);
        view.AddColumn("User", 113);
        view.AddColumn("Wish", 90);
        view.AddColumn("Port", 68);
        view.OnChange = [this](QObject* sender, TListItem* item, TItemChange change) {
            EXPECT_EQ(sender, &view);
            changes.push_back({item, change});
        };
    }

    TListItem* AddRow(const std::string& name, const std::string& wish, const std::string& port) {
        TListItem* item = nullptr;
        Quietly(view.OnChange, [&] {
            item = view.Add();
            item->SetCaption(name);
            item->AddSubItem(wish);
            item->AddSubItem(port);
        });
        return item;
    }

    std::vector<std::string> Captions() const {
        std::vector<std::string> out;
        for (int i = 0; i < view.Count(); ++i) out.push_back(view.Item(i)->Caption());
        return out;
    }

    TListView view;
    std::vector<Change> changes;
};

TEST_F(ListViewTest, TickingInCodeRaisesExactlyOneStateChangeAndQuietlyRaisesNone) {
    TListItem* a = AddRow("alice", "Factory", "9000");
    EXPECT_TRUE(changes.empty()); // rows made quietly
    EXPECT_FALSE(a->Checked());
    EXPECT_EQ(a->StateIndex(), -1);

    a->SetChecked(true);
    EXPECT_EQ(changes, (std::vector<Change>{{a, TItemChange::ctState}}));
    a->SetChecked(true); // no change, no event
    EXPECT_EQ(changes.size(), 1u);

    Quietly(view.OnChange, [&] { a->SetChecked(false); });
    EXPECT_FALSE(a->Checked());
    EXPECT_EQ(changes.size(), 1u);
    ASSERT_TRUE(view.OnChange); // attached again

    a->SetCaption("bob");
    a->SetSubItem(1, "9001");
    a->SetSubItem(5, "nothing"); // no such sub-item
    a->SetCaption("bob");
    EXPECT_EQ(changes,
              (std::vector<Change>{
                  {a, TItemChange::ctState}, {a, TItemChange::ctText}, {a, TItemChange::ctText}}));
    EXPECT_EQ(a->SubItems(), (std::vector<std::string>{"Factory", "9001"}));
}

TEST_F(ListViewTest, TheMarkSetsTheCheckBoxAndRaisesOneImageChange) {
    TListItem* a = AddRow("alice", "Factory", "9000");
    a->SetStateIndex(1);
    EXPECT_TRUE(a->Checked());
    EXPECT_EQ(a->StateIndex(), 1);
    EXPECT_EQ(changes, (std::vector<Change>{{a, TItemChange::ctImage}}));
    a->SetStateIndex(0);
    EXPECT_FALSE(a->Checked());
    EXPECT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[1].change, TItemChange::ctImage);

    // Ticking changes only the check box: the mark tells code from the user's tick.
    a->SetChecked(true);
    EXPECT_EQ(a->StateIndex(), 0);
    // Writing the same mark again still unticks, as one image change.
    a->SetStateIndex(0);
    EXPECT_FALSE(a->Checked());
    EXPECT_EQ(changes.back(), (Change{a, TItemChange::ctImage}));
    EXPECT_EQ(changes.size(), 4u);
    a->SetStateIndex(0); // nothing to change
    EXPECT_EQ(changes.size(), 4u);
}

TEST_F(ListViewTest, AUsersClickOnACheckBoxIsOneStateChangeAndLeavesTheSelection) {
    AddRow("alice", "Factory", "9000");
    TListItem* b = AddRow("bob", "Retailer", "9001");
    view.show();
    const QRect box = view.CheckBoxRect(b);
    ASSERT_FALSE(box.isEmpty());

    Click(view.viewport(), box.center());
    EXPECT_TRUE(b->Checked());
    EXPECT_EQ(changes, (std::vector<Change>{{b, TItemChange::ctState}}));
    EXPECT_EQ(view.SelCount(), 0);
    EXPECT_EQ(b->StateIndex(), -1);

    // A click beside the box selects the row: a state change of the selection only.
    Click(view.viewport(), QPoint(box.right() + 40, box.center().y()));
    EXPECT_TRUE(b->Selected());
    EXPECT_TRUE(b->Checked());
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[1], (Change{b, TItemChange::ctState}));

    // Space ticks the current row.
    SendKey(&view, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    EXPECT_FALSE(b->Checked());
    EXPECT_EQ(changes.size(), 3u);
}

TEST_F(ListViewTest, AdmissionStyleHandlerRunsOncePerTickInCodeOrByTheUser) {
    // The connection list's pattern: a state change whose tick disagrees with the mark is
    // an admission (or refusal), answered by quietly setting the mark.
    int admissions = 0, refusals = 0, others = 0;
    view.OnChange = [&](QObject*, TListItem* item, TItemChange change) {
        const bool agrees = item->Checked() == (item->StateIndex() == 1);
        if (change != TItemChange::ctState || agrees) {
            ++others;
            return;
        }
        if (item->Checked())
            ++admissions;
        else
            ++refusals;
        Quietly(view.OnChange, [&] { item->SetStateIndex(item->Checked() ? 1 : 0); });
    };
    TListItem* a = AddRow("alice", "Factory", "9000");
    TListItem* b = AddRow("bob", "Retailer", "9001");
    view.show();

    a->SetChecked(true); // a refresh re-admitting a player
    EXPECT_EQ(admissions, 1);
    EXPECT_EQ(a->StateIndex(), 1);

    Click(view.viewport(), view.CheckBoxRect(b).center());
    EXPECT_EQ(admissions, 2);
    EXPECT_EQ(b->StateIndex(), 1);
    Click(view.viewport(), view.CheckBoxRect(b).center());
    EXPECT_EQ(refusals, 1);
    EXPECT_EQ(b->StateIndex(), 0);

    a->SetSelected(true); // a selection is a state change that agrees
    view.SelectAll();
    EXPECT_EQ(admissions, 2);
    EXPECT_EQ(refusals, 1);
    EXPECT_EQ(others, 2);
}

TEST_F(ListViewTest, SelectionRaisesStateChangesAndDeletingRaisesNothing) {
    TListItem* a = AddRow("a", "Factory", "1");
    TListItem* b = AddRow("b", "Factory", "2");
    TListItem* c = AddRow("c", "Factory", "3");
    a->SetSelected(true);
    EXPECT_EQ(changes, (std::vector<Change>{{a, TItemChange::ctState}}));
    view.SelectAll();
    EXPECT_EQ(changes, (std::vector<Change>{{a, TItemChange::ctState},
                                            {b, TItemChange::ctState},
                                            {c, TItemChange::ctState}}));
    EXPECT_EQ(view.SelCount(), 3);
    EXPECT_EQ(view.Selected(), a);

    changes.clear();
    b->Delete();
    EXPECT_TRUE(changes.empty());
    EXPECT_EQ(view.Count(), 2);
    EXPECT_EQ(view.Item(1), c); // the other items stay the same objects
    EXPECT_EQ(c->Index(), 1);
    EXPECT_EQ(view.SelCount(), 2);
    c->SetSelected(false);
    EXPECT_EQ(changes, (std::vector<Change>{{c, TItemChange::ctState}}));
    view.Clear();
    EXPECT_EQ(changes.size(), 1u);
    EXPECT_EQ(view.Count(), 0);
    EXPECT_EQ(view.SelCount(), 0);
    EXPECT_EQ(view.Item(0), nullptr);

    // Inserting at the top moves the others down.
    TListItem* first = AddRow("first", "Factory", "1");
    TListItem* top = nullptr;
    Quietly(view.OnChange, [&] { top = view.Insert(0); });
    EXPECT_EQ(top->Index(), 0);
    EXPECT_EQ(first->Index(), 1);

    // With one row selectable, selecting in code drops the other selection.
    view.SetMultiSelect(false);
    first->SetSelected(true);
    top->SetSelected(true);
    EXPECT_FALSE(first->Selected());
    EXPECT_EQ(view.SelCount(), 1);
}

TEST_F(ListViewTest, SortingUsesTheCompareEventAndItemsKeepTheirState) {
    TListItem* a = AddRow("carol", "Wholesaler", "9000");
    TListItem* b = AddRow("alice", "Factory", "10000");
    TListItem* c = AddRow("bob", "Factory", "8000");
    int tag = 7;
    b->SetData(&tag);
    Quietly(view.OnChange, [&] {
        b->SetChecked(true);
        b->SetSelected(true);
    });

    int column = 3; // ascending by "Port": as text, "10000" before "8000"
    view.OnCompare = [&](QObject* sender, TListItem* x, TListItem* y, int data, int& result) {
        EXPECT_EQ(sender, &view);
        EXPECT_EQ(data, 0);
        const int k = std::abs(column);
        const std::string& l = k == 1 ? x->Caption() : x->SubItems()[k - 2];
        const std::string& r = k == 1 ? y->Caption() : y->SubItems()[k - 2];
        result = l.compare(r);
        if (column < 0) result = -result;
    };
    view.AlphaSort();
    EXPECT_EQ(Captions(), (std::vector<std::string>{"alice", "bob", "carol"}));
    EXPECT_EQ(view.Item(0), b);
    EXPECT_EQ(b->Index(), 0);
    EXPECT_EQ(b->Data(), &tag);
    EXPECT_TRUE(b->Checked());
    EXPECT_TRUE(b->Selected());
    EXPECT_FALSE(a->Selected());
    EXPECT_TRUE(changes.empty()); // sorting changes nothing of an item

    column = -2; // descending by "Wish"; the two "Factory" rows keep their order
    view.AlphaSort();
    EXPECT_EQ(Captions(), (std::vector<std::string>{"carol", "alice", "bob"}));
    EXPECT_EQ(c->Index(), 2);

    // Without a compare event the captions are compared.
    view.OnCompare = nullptr;
    view.AlphaSort();
    EXPECT_EQ(Captions(), (std::vector<std::string>{"alice", "bob", "carol"}));
}

TEST_F(ListViewTest, ColumnsKeysAndTheClipboard) {
    EXPECT_EQ(view.ColumnCount(), 3);
    EXPECT_EQ(view.Column(1)->Caption(), "Wish");
    EXPECT_EQ(view.Column(1)->Width(), 90);
    view.Column(1)->SetWidth(80);
    EXPECT_EQ(view.Column(1)->Width(), 80);
    view.Column(2)->SetWidth(5); // as narrow as a stored width
    EXPECT_EQ(view.Column(2)->Width(), 5);
    EXPECT_EQ(view.Column(3), nullptr);
    EXPECT_EQ(view.model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Port"));

    std::vector<int> clicked;
    view.OnColumnClick = [&](QObject*, TListColumn* column) { clicked.push_back(column->Index()); };
    emit view.horizontalHeader()->sectionClicked(2);
    EXPECT_EQ(clicked, std::vector<int>{2});

    TListItem* a = AddRow("a", "Factory", "1");
    TListItem* b = AddRow("b", "Factory", "2");
    view.show();
    view.setCurrentIndex(view.model()->index(0, 0));
    changes.clear();
    std::vector<std::uint16_t> keys;
    view.OnKeyDown = [&](QObject*, std::uint16_t& key, TShiftState shift) {
        keys.push_back(key);
        if (key == VK_DOWN && shift.Empty()) key = 0; // swallowed
    };
    SendKey(&view, Qt::Key_Down);
    EXPECT_EQ(view.currentIndex().row(), 0);
    EXPECT_FALSE(b->Selected());
    SendKey(&view, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(view.currentIndex().row(), 1);

    // Ctrl+C is the window's: the list itself leaves the clipboard alone.
    a->SetSelected(true);
    QApplication::clipboard()->setText(QStringLiteral("kept"));
    SendKey(&view, Qt::Key_C, Qt::ControlModifier, QStringLiteral("c"));
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("kept"));
    EXPECT_EQ(keys, (std::vector<std::uint16_t>{VK_DOWN, VK_DOWN, 'C'}));
}

TEST_F(ListViewTest, SelectedRowTextsAreTheSelectedRowsTopToBottom) {
    EXPECT_TRUE(view.SelectedRowTexts("\t").empty());
    AddRow("a", "Factory", "1");
    TListItem* b = AddRow("b", "", "2");
    TListItem* c = AddRow("c", "Retailer", "3");
    c->SetSelected(true);
    b->SetSelected(true);
    EXPECT_EQ(view.SelectedRowTexts(", "), (std::vector<std::string>{"b, , 2", "c, Retailer, 3"}));
}

TEST(KeyEvents, CodesAndCharactersOfKeys) {
    QKeyEvent a(QEvent::KeyPress, Qt::Key_A, Qt::ShiftModifier, QStringLiteral("A"));
    EXPECT_EQ(KeyCodeOf(a), 'A');
    EXPECT_EQ(KeyCharsOf(a), u"A");
    QKeyEvent pad(QEvent::KeyPress, Qt::Key_5, Qt::KeypadModifier, QStringLiteral("5"));
    EXPECT_EQ(KeyCodeOf(pad), VK_NUMPAD0 + 5);
    EXPECT_EQ(KeyCharsOf(pad), u"5");
    QKeyEvent f5(QEvent::KeyPress, Qt::Key_F5, Qt::NoModifier);
    EXPECT_EQ(KeyCodeOf(f5), VK_F1 + 4);
    EXPECT_TRUE(KeyCharsOf(f5).empty());
    QKeyEvent ctrlZ(QEvent::KeyPress, Qt::Key_Z, Qt::ControlModifier, QStringLiteral("z"));
    EXPECT_EQ(KeyCharsOf(ctrlZ), std::u16string(1, char16_t(26)));
    QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier, QString(QChar(0x7F)));
    EXPECT_EQ(KeyCodeOf(del), VK_DELETE);
    EXPECT_TRUE(KeyCharsOf(del).empty());
    for (std::uint16_t code : {std::uint16_t('Q'), VK_DELETE, VK_LEFT, VK_F1, VK_RETURN}) {
        QKeyEvent back(QEvent::KeyPress, QtKeyOf(code), Qt::NoModifier);
        EXPECT_EQ(KeyCodeOf(back), code);
    }
    const TShiftState s = ShiftStateOf(Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_TRUE(s.Contains(ssShift));
    EXPECT_TRUE(s.Contains(ssCtrl));
    EXPECT_FALSE(s.Contains(ssAlt));
}

} // namespace
