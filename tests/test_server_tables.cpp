// The server window's tables: the initial values grids and their keys, the random and default
// buttons, the spin edits that size the tables, copying from the status table and the result
// text export.
#include "support/EditorKeys.h"
#include "support/Files.h"
#include "support/ServerWindowFixture.h"

#include "platform/Widgets.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <set>

using namespace platform;
using namespace server_window_test;

namespace {

void Press(QWidget* widget, int key, const QString& text, Qt::KeyboardModifiers mods = {}) {
    QKeyEvent press(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods, text);
    QApplication::sendEvent(widget, &release);
}

// The cells of a rectangle of a grid as copied text: cells joined by `separator`, each row
// followed by CR LF.
std::string GridText(const TStringGrid* grid, int left, int top, int right, int bottom,
                     const std::string& separator) {
    std::string text;
    for (int row = top; row <= bottom; ++row) {
        for (int col = left; col <= right; ++col) {
            if (col > left) text += separator;
            text += grid->Cells(col, row);
        }
        text += "\r\n";
    }
    return text;
}

} // namespace

using ServerTablesTest = ServerWindowTest;

// --- The initial values grids ---------------------------------------------------------------

TEST_F(ServerTablesTest, TypingIntoADemandCellIsCorrectedAndReadAtOnce) {
    TStringGrid* grid = form.StringGrid_Marcket;
    grid->SetCol(1);
    grid->SetRow(3);
    Press(grid, Qt::Key_1, "1");
    Press(grid, Qt::Key_5, "5");
    EXPECT_EQ(grid->Cells(1, 3), "15");
    EXPECT_EQ(game().Market[2], 15);
    Press(grid, Qt::Key_0, "0");
    EXPECT_EQ(grid->Cells(1, 3), "99");
    EXPECT_EQ(game().Market[2], 99);
    EXPECT_EQ(dialogs.Beeps(), 0);

    // Letters and Backspace only beep.
    Press(grid, Qt::Key_A, "a");
    Press(grid, Qt::Key_Backspace, "\b");
    EXPECT_EQ(dialogs.Beeps(), 2);
    EXPECT_EQ(grid->Cells(1, 3), "99");

    // An emptied cell, a zero or no number become "0"; a cell is read in decimal only.
    for (const char* text : {"", "0", "x", "$10", "0x20"}) {
        grid->SetCells(1, 4, text);
        form.StringGrid_MarcketSetEditText(grid, 1, 4, text);
        EXPECT_EQ(grid->Cells(1, 4), "0") << text;
        EXPECT_EQ(game().Market[3], 0) << text;
    }
    // A text in range stays as typed until the grid is left.
    grid->SetCells(1, 4, "07");
    form.StringGrid_MarcketSetEditText(grid, 1, 4, "07");
    EXPECT_EQ(grid->Cells(1, 4), "07");
    EXPECT_EQ(game().Market[3], 7);
    form.StringGrid_MarcketExit(grid);
    EXPECT_EQ(grid->Cells(1, 4), "7");
}

TEST_F(ServerTablesTest, StartingValuesReachTheGameWithTheNextDemandChange) {
    TStringGrid* first = form.StringGrid_First;
    TStringGrid* demand = form.StringGrid_Marcket;
    first->SetCells(1, 3, "300");  // Factory Inventory
    first->SetCells(1, 11, "");    // Distributor Inventory
    first->SetCells(1, 13, "abc"); // Distributor Backlog
    first->SetCells(1, 1, "99999999999");
    first->SetCells(1, 29, "7");  // Place an order to Wholesaler
    first->SetCells(1, 20, "$9"); // Wholesaler Inventory: no decimal number
    EXPECT_EQ(game().StockF[0], 12) << "not read yet";
    demand->SetCells(1, 2, "5");
    form.StringGrid_MarcketSetEditText(demand, 1, 2, "5");
    EXPECT_EQ(game().StockF[0], 44);
    EXPECT_EQ(game().StockD[0], 12) << "the default of an empty cell";
    EXPECT_EQ(game().BacklogD[0], 0);
    EXPECT_EQ(game().ProdF1[0], 4) << "too large for a number";
    EXPECT_EQ(game().OrderR[0], 7);
    EXPECT_EQ(game().StockW[0], 12);
    EXPECT_EQ(game().Market[1], 5);
    form.StringGrid_MarcketExit(demand);
    EXPECT_EQ(first->Cells(1, 3), "44");
    EXPECT_EQ(first->Cells(1, 11), "12");
    EXPECT_EQ(first->Cells(1, 1), "4");

    // A change that is not read is lost when the grids are shown again.
    first->SetCells(1, 27, "20");
    form.StringGrid_MarcketExit(demand);
    EXPECT_EQ(first->Cells(1, 27), "12");
    EXPECT_EQ(game().StockR[0], 12);
}

// A key the cell editor does not take, in either grid, leaves the editor and the value as they
// were: it goes to the grid once, and the grid gives it back to nobody.
TEST_F(ServerTablesTest, KeysTheCellEditorDoesNotTakeLeaveEditorAndValue) {
    QApplication::clipboard()->setText("8");
    for (TStringGrid* grid : {form.StringGrid_Marcket, form.StringGrid_First}) {
        grid->SetCol(1);
        grid->SetRow(4);
        Press(grid, Qt::Key_3, "3");
        ASSERT_TRUE(grid->EditorMode());
        QLineEdit* editor = grid->findChild<QLineEdit*>("InplaceEditor");
        const int beeps = dialogs.Beeps();
        for (const TEditorKey& k : kKeysTheEditorLeaves) {
            Press(editor, k.key, QString::fromLatin1(k.text), k.modifiers);
            EXPECT_TRUE(grid->EditorMode()) << k.code;
            EXPECT_EQ(grid->Cells(1, 4), "3") << k.code;
        }
        EXPECT_EQ(dialogs.Beeps(), beeps + 3) << "^V, ! and @ are no digits";
        // Shift+Insert pastes, and the pasted text is read as a typed one.
        Press(editor, Qt::Key_Insert, {}, Qt::ShiftModifier);
        EXPECT_EQ(grid->Cells(1, 4), "38");
        Press(editor, Qt::Key_Down, {});
        EXPECT_FALSE(grid->EditorMode());
    }
    EXPECT_EQ(game().Market[3], 38);
    EXPECT_EQ(game().OrderDd[0], 38);
}

// What the game master types into a starting-value cell is what the game starts with, and the
// grid shows what the game holds.
TEST_F(ServerTablesTest, ATypedStartingValueIsWhatTheGameStartsWith) {
    TStringGrid* first = form.StringGrid_First;
    TStringGrid* demand = form.StringGrid_Marcket;
    first->SetCol(1);
    first->SetRow(3); // Factory Inventory
    Press(first, Qt::Key_2, "2");
    Press(first, Qt::Key_0, "0");
    EXPECT_EQ(first->Cells(1, 3), "20");
    EXPECT_EQ(game().StockF[0], 20);
    // Corrected as a demand cell is.
    first->SetRow(13); // Distributor Backlog
    for (const char* digit : {"1", "5", "0"}) Press(first, Qt::Key_0 + (digit[0] - '0'), digit);
    EXPECT_EQ(first->Cells(1, 13), "99");
    EXPECT_EQ(game().BacklogD[0], 99);

    // Into the demand grid and out again: the grids show what the game holds.
    form.StringGrid_MarcketExit(demand);
    EXPECT_EQ(first->Cells(1, 3), "20");
    EXPECT_EQ(first->Cells(1, 13), "99");

    AllAuto();
    form.Button_StartClick(form.Button_Start);
    ASSERT_NE(game().FState, gsPreparing);
    EXPECT_EQ(game().StockF[0], 20);
    EXPECT_EQ(game().BacklogD[0], 99);
    EXPECT_EQ(form.StringGrid_Game->Cells(1, 4), "20") << "week 0, Factory Inventory";
    EXPECT_EQ(first->Cells(1, 3), "20");
}

TEST_F(ServerTablesTest, ReleasingAKeyEmptiesTheRowsWithoutValue) {
    TStringGrid* first = form.StringGrid_First;
    const int empty[] = {0, 8, 9, 16, 17, 24, 25};
    for (TStringGrid* grid : {form.StringGrid_First, form.StringGrid_Marcket}) {
        for (int row : empty) first->SetCells(1, row, "x");
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_5, {}, "5");
        QApplication::sendEvent(grid, &release);
        for (int row : empty) EXPECT_EQ(first->Cells(1, row), "") << row;
        EXPECT_EQ(first->Cells(1, 3), "12");
        EXPECT_EQ(first->Cells(0, 0), " -    Factory        - ");
    }
    // The status table has no such handler.
    for (int row : empty) first->SetCells(1, row, "x");
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_5, {}, "5");
    QApplication::sendEvent(form.StringGrid_Game, &release);
    EXPECT_EQ(first->Cells(1, 0), "x");
}

TEST_F(ServerTablesTest, RandomAndDefaultButtons) {
    Leave(form.SpinEdit_FinalTurn, "20");
    const int weeks = game().FFinalTurn;
    Leave(form.SpinEdit_MarcketMin, "2");
    Leave(form.SpinEdit_MarcketMax, "6");
    form.Button_MarcketRandClick(form.Button_MarcketRand);
    std::set<int> seen;
    for (int w = 0; w < weeks; ++w) {
        const int d = game().Market[w];
        EXPECT_GE(d, 2);
        EXPECT_LE(d, 6);
        seen.insert(d);
        EXPECT_EQ(form.StringGrid_Marcket->Cells(1, w + 1), std::to_string(d)) << w;
    }
    EXPECT_GE(seen.size(), 3u) << "drawn, not fixed";

    // Minimum above maximum: every week gets the minimum.
    Leave(form.SpinEdit_MarcketMin, "7");
    Leave(form.SpinEdit_MarcketMax, "3");
    form.Button_MarcketRandClick(form.Button_MarcketRand);
    for (int w = 0; w < weeks; ++w) EXPECT_EQ(game().Market[w], 7) << w;
    EXPECT_EQ(form.StringGrid_Marcket->Cells(1, weeks), "7");

    // The starting values, backlogs included.
    Leave(form.SpinEdit_FirstMin, "2");
    Leave(form.SpinEdit_FirstMax, "6");
    form.Button_FirstRandClick(form.Button_FirstRand);
    for (int i = 0; i < TTrovGame::kFirstValueCount; ++i) {
        EXPECT_GE(game().History(i)[0], 2) << i;
        EXPECT_LE(game().History(i)[0], 6) << i;
    }
    EXPECT_EQ(form.StringGrid_First->Cells(1, 5), std::to_string(game().BacklogF[0]));
    EXPECT_EQ(form.StringGrid_First->Cells(1, 28), std::to_string(game().BacklogR[0]));
    EXPECT_EQ(form.StringGrid_First->Cells(1, 8), "");

    form.Button_MarcketDefClick(form.Button_MarcketDef);
    form.Button_FirstDefClick(form.Button_FirstDef);
    EXPECT_EQ(form.StringGrid_Marcket->Cells(1, 5), "4");
    EXPECT_EQ(form.StringGrid_Marcket->Cells(1, 6), "8");
    EXPECT_EQ(game().Market[weeks - 1], 8);
    EXPECT_EQ(form.StringGrid_First->Cells(1, 5), "0");
    EXPECT_EQ(form.StringGrid_First->Cells(1, 3), "12");
    EXPECT_EQ(game().ShipW[0], 4);
    EXPECT_GE(form.StringGrid_Marcket->ColWidths(1), 35) << "columns are never narrowed";
}

// --- Spin edits -----------------------------------------------------------------------------

TEST_F(ServerTablesTest, LeavingTheSpinEditsClampsAndCommits) {
    Leave(form.SpinEdit_FinalTurn, "30");
    EXPECT_EQ(game().FFinalTurn, 31);
    EXPECT_EQ(game().Market.size(), 31u);
    EXPECT_EQ(form.StringGrid_Game->ColCount(), 32);
    EXPECT_EQ(form.StringGrid_Marcket->RowCount(), 32);
    EXPECT_EQ(form.StringGrid_Marcket->Cells(0, 31), "30");
    EXPECT_EQ(form.StringGrid_Marcket->Cells(1, 31), std::to_string(game().Market[30]));
    EXPECT_EQ(form.StringGrid_Game->Cells(31, 0), "30");

    const struct {
        const char* typed;
        const char* shown;
        int weeks;
    } finalTurns[] = // a text that is no number commits the minimum, and shows it
        {{"5", "10", 11},  {"", "10", 11},     {"ab", "10", 11},  {" 9", "10", 11},
         {"9x", "10", 11}, {"123", "99", 100}, {"99", "99", 100}, {"-7", "10", 11},
         {"+5", "10", 11}, {"12", "12", 13}};
    for (const auto& c : finalTurns) {
        Leave(form.SpinEdit_FinalTurn, c.typed);
        EXPECT_EQ(form.SpinEdit_FinalTurn->Text(), c.shown) << c.typed;
        EXPECT_EQ(game().FFinalTurn, c.weeks) << c.typed;
        EXPECT_EQ(form.StringGrid_Game->ColCount(), c.weeks + 1) << c.typed;
        EXPECT_EQ(form.StringGrid_Marcket->RowCount(), c.weeks + 1) << c.typed;
    }

    Leave(form.SpinEdit_UBLCost, "3");
    EXPECT_EQ(game().FBacklogUnitCost, 30000);
    Leave(form.SpinEdit_UStkCost, "0");
    EXPECT_EQ(form.SpinEdit_UStkCost->Text(), "1");
    EXPECT_EQ(game().FInvUnitCost, 10000);
    Leave(form.SpinEdit_UStkCost, "99");
    EXPECT_EQ(game().FInvUnitCost, 990000);

    Leave(form.SpinEdit_FtOrder, "");
    EXPECT_EQ(form.SpinEdit_FtOrder->Text(), "0");
    Leave(form.SpinEdit_RtShipM, "150");
    EXPECT_EQ(form.SpinEdit_RtShipM->Text(), "99");
    Leave(form.SpinEdit_MarcketMin, "0");
    EXPECT_EQ(form.SpinEdit_MarcketMin->Text(), "1");

    Leave(form.SpinEdit_Port, "70000");
    EXPECT_EQ(form.SpinEdit_Port->Text(), "49151");
    EXPECT_EQ(form.ServerSocket->Port(), 49151);
    Leave(form.SpinEdit_Port, "80");
    EXPECT_EQ(form.ServerSocket->Port(), 1024);
    Leave(form.SpinEdit_Port, "123456");
    EXPECT_EQ(form.ServerSocket->Port(), 49151);
    Leave(form.SpinEdit_Port, "ab");
    EXPECT_EQ(form.SpinEdit_Port->Text(), "1024");
    EXPECT_EQ(form.ServerSocket->Port(), 1024);
    Leave(form.SpinEdit_UBLCost, "0x");
    EXPECT_EQ(form.SpinEdit_UBLCost->Text(), "1");
    EXPECT_EQ(game().FBacklogUnitCost, 10000);
}

// The game is made with 30 weeks before the settings' number of weeks is applied: the weeks
// that adds get the default demand while the demand is the default one; demand the game
// master set is kept, and weeks added to it get none.
TEST_F(ServerTablesTest, WeeksAddedToTheDefaultDemandGetTheDefaultDemand) {
    ASSERT_EQ(game().FFinalTurn, 51);
    for (int w = 0; w < 51; ++w) EXPECT_EQ(game().Market[w], w < 5 ? 4 : 8) << w;
    EXPECT_EQ(form.StringGrid_Marcket->Cells(1, 51), "8");
    Leave(form.SpinEdit_FinalTurn, "10");
    Leave(form.SpinEdit_FinalTurn, "60");
    EXPECT_EQ(game().Market[60], 8);
    EXPECT_EQ(form.StringGrid_Marcket->Cells(1, 61), "8");

    TStringGrid* demand = form.StringGrid_Marcket;
    demand->SetCells(1, 3, "5");
    form.StringGrid_MarcketSetEditText(demand, 1, 3, "5");
    Leave(form.SpinEdit_FinalTurn, "70");
    EXPECT_EQ(game().Market[2], 5);
    EXPECT_EQ(game().Market[60], 8);
    EXPECT_EQ(game().Market[61], 0);
    EXPECT_EQ(game().Market[70], 0);
}

TEST_F(ServerTablesTest, ChangingTheWeeksOfAStartedGame) {
    Leave(form.SpinEdit_FinalTurn, "20");
    Play(1, 1, 1); // the Factory waits for the game master
    Play(2, 2, 2);
    Play(3, 2, 2);
    Play(4, 2, 2);
    form.Button_StartClick(form.Button_Start);
    for (int w = 1; w < 15; ++w) form.Button_OrderClick(form.Button_FtOrder);
    ASSERT_EQ(game().FTurn, 15);

    // While running, at the soonest to the week reached.
    Leave(form.SpinEdit_FinalTurn, "10");
    EXPECT_EQ(game().FFinalTurn, 15);
    EXPECT_EQ(form.SpinEdit_FinalTurn->Text(), "14") << "the weeks the game keeps";
    EXPECT_EQ(form.StringGrid_Game->ColCount(), 16);
    EXPECT_EQ(game().FState, gsRunning);
    EXPECT_EQ(Caption(form.Label_NowTurn), "Week 15 ");

    // Paused, the same: resumed, the game ends at once at the week it has reached.
    Leave(form.SpinEdit_FinalTurn, "20");
    form.Button_StopClick(form.Button_Stop);
    ASSERT_EQ(game().FState, gsPaused);
    Leave(form.SpinEdit_FinalTurn, "10");
    EXPECT_EQ(game().FFinalTurn, 15);
    EXPECT_EQ(form.StringGrid_Game->ColCount(), 16);
    EXPECT_EQ(form.StringGrid_Game->Cells(15, 4), std::to_string(game().StockF[14]));
    form.Button_StartClick(form.Button_Start);
    form.Button_OrderClick(form.Button_FtOrder);
    EXPECT_EQ(game().FState, gsFinished);
    EXPECT_EQ(dialogs.Boxes().size(), 1u);
    EXPECT_EQ(form.StringGrid_Game->ColCount(), 18);
}

// --- Copying and the result text export -----------------------------------------------------

TEST_F(ServerTablesTest, CtrlAThenCtrlCCopiesTheValueCellsOfTheStatusTable) {
    Leave(form.SpinEdit_FinalTurn, "10");
    AllAuto();
    form.Button_StartClick(form.Button_Start);
    ASSERT_EQ(game().FState, gsFinished);
    TStringGrid* grid = form.StringGrid_Game;
    QApplication::clipboard()->setText("before");

    Press(grid, Qt::Key_A, QString(QChar(1)), Qt::ControlModifier);
    EXPECT_EQ(grid->Selection(), (TGridRect{1, 1, 13, 37}));
    Press(grid, Qt::Key_C, QString(QChar(3)), Qt::ControlModifier);
    const std::string copied = ToSjis(QApplication::clipboard()->text());
    EXPECT_EQ(copied, GridText(grid, 1, 1, 13, 37, "\t"));
    EXPECT_EQ(SplitLines(copied).size(), 37u);
    EXPECT_EQ(SplitLines(copied)[3].substr(0, 3), std::to_string(game().StockF[0]) + "\t")
        << "row 4, Factory Inventory, from week 0";
    EXPECT_EQ(copied.substr(0, copied.find("\r\n")), std::string(12, '\t'))
        << "the heading row has no values";

    // The column separator is the window's.
    form.ColumnDiv = ",";
    Press(grid, Qt::Key_C, QString(QChar(3)), Qt::ControlModifier);
    EXPECT_EQ(ToSjis(QApplication::clipboard()->text()), GridText(grid, 1, 1, 13, 37, ","));

    // Without Ctrl the keys do not copy.
    QApplication::clipboard()->setText("kept");
    Press(grid, Qt::Key_C, "c");
    EXPECT_EQ(QApplication::clipboard()->text(), "kept");

    // The demand grid too (enabled again by Initialize); ToText leaves the clipboard alone.
    form.Button_InitClick(form.Button_Init);
    Press(form.StringGrid_Marcket, Qt::Key_A, QString(QChar(1)), Qt::ControlModifier);
    EXPECT_EQ(form.StringGrid_Marcket->Selection(), (TGridRect{1, 1, 1, 11}));
    std::string text = "old";
    form.CopyGridSelection(form.StringGrid_Marcket, "\t", text, true);
    EXPECT_EQ(text, GridText(form.StringGrid_Marcket, 1, 1, 1, 11, "\t"));
    EXPECT_EQ(QApplication::clipboard()->text(), "kept");
    form.CopyGridSelection(nullptr, "\t", text, true);
    EXPECT_EQ(text, "");
}

TEST_F(ServerTablesTest, ResultTextExportWritesHeaderAndGrid) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("result.txt");
    Leave(form.SpinEdit_FinalTurn, "30");
    form.Edit_GroupName->setText("Benvik Group");
    form.Edit_GroupNameExit(form.Edit_GroupName);

    // No grid's pop-up menu opened yet: the header and two empty lines.
    dialogs.ChooseFile(path.toStdString());
    form.MItem_WriteClick(nullptr);
    const auto saves = dialogs.Boxes();
    ASSERT_EQ(saves.size(), 1u);
    EXPECT_EQ(saves[0].kind, ScriptedDialogs::Kind::Save);
    EXPECT_EQ(saves[0].file.DefaultExt, "txt");
    EXPECT_EQ(saves[0].file.Filter, "Text File(*.txt)|*.txt|All Files(*.*)|*.*");
    EXPECT_TRUE(saves[0].file.Options & ofOverwritePrompt);
    std::string written = ReadFile(path.toStdString());
    const std::string header = "[Benvik Group] - 31Week: Game Result (";
    ASSERT_EQ(written.substr(0, header.size()), header);
    std::string date = written.substr(header.size(), 20);
    for (char& c : date)
        if (c >= '0' && c <= '9') c = '#';
    EXPECT_EQ(date, "####-##/## ##:##:##)");
    EXPECT_EQ(written.substr(header.size() + 20), "\r\n\r\n\r\n");

    // With the demand grid: every cell, the fixed ones included, and an empty line at the end.
    form.FPopupGrid = form.StringGrid_Marcket;
    dialogs.ChooseFile(path.toStdString());
    form.MItem_WriteClick(nullptr);
    written = ReadFile(path.toStdString());
    const std::string table = GridText(form.StringGrid_Marcket, 0, 0, 1, 31, "\t");
    EXPECT_EQ(table.substr(0, 12), "\tWeek\r\n0\t4\r\n");
    EXPECT_EQ(written.substr(header.size() + 20), "\r\n\r\n" + table + "\r\n");
    EXPECT_EQ(form.StringGrid_Marcket->Selection(), (TGridRect{0, 0, 1, 31}));

    // Cancelled: the file stays as it was.
    QFile::remove(path);
    dialogs.CancelFile();
    form.MItem_WriteClick(nullptr);
    EXPECT_FALSE(FileExists(path.toStdString()));

    // A file that cannot be written is reported as a game file's save is.
    dialogs.Clear();
    dialogs.ChooseFile(dir.filePath("no/such/folder/result.txt").toStdString());
    form.MItem_WriteClick(nullptr);
    const Lines trace = dialogs.Trace();
    ASSERT_EQ(trace.size(), 3u);
    EXPECT_EQ(Lines(trace.begin() + 1, trace.end()),
              (Lines{"beep", "error(OK): File writing error."}));
}

TEST_F(ServerTablesTest, AFontChangeWidensTheStatusTableAtTheNextRefresh) {
    for (int r = 1; r <= 4; ++r) Play(r, 1, 2); // the game master plays: the game waits
    form.Button_StartClick(form.Button_Start);
    ASSERT_EQ(game().FState, gsRunning);
    ASSERT_EQ(game().FTurn, 1);
    dialogs.ChooseFont(PixelFont("DejaVu Sans Mono", 48));
    form.MItem_FontClick(form.MItem_Font);
    form.UpdateDisplay();

    // Week 0's values were shown in the smaller font; they are measured again in the larger.
    const TStringGrid* grid = form.StringGrid_Game;
    for (int col = 0; col <= game().FTurn; ++col)
        for (int row = 0; row < grid->RowCount(); ++row)
            EXPECT_GE(grid->ColWidths(col), grid->TextWidth(grid->Cells(col, row)) + 1)
                << col << "," << row << " \"" << grid->Cells(col, row) << "\"";
}

TEST_F(ServerTablesTest, TheLongestComputerGameEndsInsideOneRefresh) {
    Leave(form.SpinEdit_FinalTurn, "99");
    ASSERT_EQ(game().FFinalTurn, 100);
    AllAuto();
    form.Button_StartClick(form.Button_Start);
    EXPECT_EQ(game().FState, gsFinished);
    EXPECT_EQ(game().FTurn, 100);
    EXPECT_EQ(dialogs.Boxes().size(), 1u);
    EXPECT_EQ(SplitLines(dialogs.Boxes()[0].text)[5],
              "Week      \x81\x40\x81\x40\x81\x40      : 99 ");
    ASSERT_EQ(form.StringGrid_Game->ColCount(), 103);
    EXPECT_EQ(form.StringGrid_Game->Cells(100, 0), "99");
    EXPECT_EQ(form.StringGrid_Game->Cells(100, 4), std::to_string(game().StockF[99]));
    EXPECT_EQ(form.StringGrid_Game->Cells(102, 0), "Total  ");
}
