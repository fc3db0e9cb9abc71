// The demand and starting-value tables, the status table, and the grid routines.
#include "server/TS_Main.h"

#include "platform/Beep.h"
#include "platform/Convert.h"
#include "platform/DateTime.h"
#include "platform/SjisText.h"
#include "platform/SpinEdit.h"
#include "platform/StringGrid.h"
#include "platform/Widgets.h"
#include "shared/SaveFile.h"
#include "shared/Text.h"

#include <QClipboard>
#include <QGuiApplication>
#include <algorithm>
#include <array>
#include <iterator>

using namespace platform;

namespace {

using History = TTrovGame::THistory TTrovGame::*;
using MoneyHistory = TTrovGame::TMoneyHistory TTrovGame::*;

// A row of the chain's part of both tables: heading, the history it shows (none for a section's
// heading or a gap), and what a cell of the starting-value table that holds no number stands
// for; kStatusOnly rows are shown in the status table only.
struct TChainRow {
    const char* heading;
    History history;
    int fallback;
};
constexpr int kStatusOnly = -1;

constexpr TChainRow kChainRows[] = {
    {" -    Factory        - ", nullptr, 0},
    {"Waiting for production ", &TTrovGame::ProdF1, 4},
    {"Arrive from production ", &TTrovGame::ProdF2, 4},
    {"Factory Inventory      ", &TTrovGame::StockF, 12},
    {"Receive an order from Distributor", &TTrovGame::OrderDd, 4},
    {"Factory Backlog        ", &TTrovGame::BacklogF, 0},
    {"Ship to Distributor    ", &TTrovGame::ShipF, 4},
    {"Demand                 ", &TTrovGame::OrderF, 4},
    {"", nullptr, 0},
    {" -    Distributor    - ", nullptr, 0},
    {"From Factory           ", &TTrovGame::TransD, 4},
    {"Distributor Inventory  ", &TTrovGame::StockD, 12},
    {"Receive an order from Wholesaler ", &TTrovGame::OrderWd, 4},
    {"Distributor Backlog    ", &TTrovGame::BacklogD, 0},
    {"Ship to Wholesaler     ", &TTrovGame::ShipD, 4},
    {"Place an order to Factrory       ", &TTrovGame::OrderD, 4},
    {"", nullptr, 0},
    {" -    Wholesaler     - ", nullptr, 0},
    {"Arrive from Distributor", &TTrovGame::TransW, 4},
    {"Wholesaler Inventory   ", &TTrovGame::StockW, 12},
    {"Receive an order from Retailer   ", &TTrovGame::OrderRd, 4},
    {"Wholesaler Backlog     ", &TTrovGame::BacklogW, 0},
    {"Ship to Retailer       ", &TTrovGame::ShipW, 4},
    {"Place an order to Distributor    ", &TTrovGame::OrderW, 4},
    {"", nullptr, 0},
    {" -    Retailer       - ", nullptr, 0},
    {"Arrive from Wholesaler ", &TTrovGame::TransR, 4},
    {"Retailer Inventory     ", &TTrovGame::StockR, 12},
    {"Demand                 ", &TTrovGame::Market, kStatusOnly},
    {"Retailer Backlog       ", &TTrovGame::BacklogR, 0},
    {"Sell                   ", &TTrovGame::ShipR, kStatusOnly},
    {"Place an order to Wholesaler     ", &TTrovGame::OrderR, 4},
};

// A row of the starting-value table: heading, the history whose week 0 it shows, and what a
// cell that holds no number stands for.
struct TFirstRow {
    const char* heading;
    History history;
    std::uint8_t fallback;
};

// The chain's rows but those of the status table only.
constexpr auto kFirstRows = [] {
    constexpr auto count = std::ranges::count_if(
        kChainRows, [](const TChainRow& c) { return c.fallback != kStatusOnly; });
    std::array<TFirstRow, count> rows{};
    std::size_t n = 0;
    for (const TChainRow& c : kChainRows)
        if (c.fallback != kStatusOnly)
            rows.at(n++) = {c.heading, c.history, static_cast<std::uint8_t>(c.fallback)};
    return rows;
}();

// A row of the status table: heading and the quantity or money history it shows.
struct TGameRow {
    const char* heading;
    History quantity;
    MoneyHistory money;
};

// The status table's rows after the chain's: a gap, then the group's weekly costs.
constexpr TGameRow kCostRows[] = {
    {"", nullptr, nullptr},
    {" -    Cost           - ", nullptr, nullptr},
    {"Inventory              ", nullptr, &TTrovGame::InvCost},
    {"Backlog                ", nullptr, &TTrovGame::BacklogCost},
    {"Total cost             ", nullptr, &TTrovGame::TotalCost},
};

// The week, the chain's rows, then the group's weekly costs.
constexpr auto kGameRows = [] {
    std::array<TGameRow, 1 + std::size(kChainRows) + std::size(kCostRows)> rows{};
    std::size_t n = 0;
    rows.at(n++) = {"Week", nullptr, nullptr};
    for (const TChainRow& c : kChainRows) rows.at(n++) = {c.heading, c.history, nullptr};
    for (const TGameRow& r : kCostRows) rows.at(n++) = r;
    return rows;
}();

// The pixel width of the widest text of a column, its heading included.
int WidestText(const TStringGrid* grid, int col) {
    int widest = 0;
    for (int row = 0; row < grid->RowCount(); ++row)
        widest = std::max(widest, grid->TextWidth(grid->Cells(col, row)));
    return widest;
}

// The heading column of a table: as wide as `probe` plus 210 pixels, as designed, and at least
// as wide as its widest heading needs (TStringGrid::FittingWidth: the text's indent and the gap
// before the first week's numbers).
void FitHeadingColumn(TStringGrid* grid, const char* probe) {
    grid->SetColWidths(
        0, std::max(grid->TextWidth(probe) + 210, TStringGrid::FittingWidth(WidestText(grid, 0))));
}

// Widens a column whose widest text is `widest` pixels wide to show it whole, with a gap after
// it, when the default width is too narrow for that; a column is never narrowed here.
void FitValueColumn(TStringGrid* grid, int col, int widest) {
    const int width = TStringGrid::FittingWidth(widest);
    if (width > grid->DefaultColWidth()) grid->SetColWidths(col, width);
}

// A cell's number as a byte (its low eight bits), or `fallback` when it holds no integer.
std::uint8_t CellByte(const TStringGrid* grid, int col, int row, std::uint8_t fallback) {
    auto value = TryDecimalToInt(grid->Cells(col, row));
    return value ? static_cast<std::uint8_t>(*value) : fallback;
}

} // namespace

const int TTrovGameServerForm::kFirstRowCount = static_cast<int>(kFirstRows.size());
const int TTrovGameServerForm::kGameRowCount = static_cast<int>(kGameRows.size());

// The random values lie from the lower bound up to below the upper one: the maximum entered is
// passed one higher so that it can be drawn too.
void TTrovGameServerForm::Button_MarcketRandClick(QObject*) {
    FGame->SetRandomMarket(static_cast<std::uint8_t>(SpinEdit_MarcketMin->Value()),
                           static_cast<std::uint8_t>(SpinEdit_MarcketMax->Value() + 1));
    ShowInitialValues();
    AutoSizeGridColumns(StringGrid_Marcket);
}

void TTrovGameServerForm::Button_FirstRandClick(QObject*) {
    FGame->SetRandomFirstValues(static_cast<std::uint8_t>(SpinEdit_FirstMin->Value()),
                                static_cast<std::uint8_t>(SpinEdit_FirstMax->Value() + 1));
    ShowInitialValues();
    AutoSizeGridColumns(StringGrid_First);
}

void TTrovGameServerForm::Button_MarcketDefClick(QObject*) {
    FGame->SetDefaultMarket(4);
    ShowInitialValues();
    AutoSizeGridColumns(StringGrid_Marcket);
}

void TTrovGameServerForm::Button_FirstDefClick(QObject*) {
    FGame->SetDefaultFirstValues();
    ShowInitialValues();
    AutoSizeGridColumns(StringGrid_First);
}

void TTrovGameServerForm::GridSelectAll(TStringGrid* Grid, bool IncludeFixed) {
    if (!Grid) return;
    Grid->SetSelection({IncludeFixed ? 0 : Grid->FixedCols(), IncludeFixed ? 0 : Grid->FixedRows(),
                        Grid->ColCount() - 1, Grid->RowCount() - 1});
}

void TTrovGameServerForm::CopyGridSelection(TStringGrid* Grid, const std::string& Separator,
                                            std::string& Text, bool ToText) {
    Text.clear();
    if (!Grid) return;
    try {
        const TGridRect sel = Grid->Selection();
        std::vector<std::string> lines;
        for (int row = sel.Top; row <= sel.Bottom; ++row) {
            std::string line;
            for (int col = sel.Left; col <= sel.Right; ++col) {
                if (col > sel.Left) line += Separator;
                line += Grid->Cells(col, row);
            }
            lines.push_back(line);
        }
        if (lines.empty()) return;
        std::string text = JoinLines(lines);
        if (ToText)
            Text = text;
        else
            QGuiApplication::clipboard()->setText(FromSjis(text));
    } catch (...) {
        // Copying is a convenience: a failure is not reported.
    }
}

void TTrovGameServerForm::AutoSizeGridColumns(TStringGrid* Grid) {
    if (!Grid || Grid->ColCount() == 0 || Grid->RowCount() == 0) return;
    THeldUpdate hold(Grid);
    // The column's heading ("Week", "Total  ") is shown whole too.
    for (int col = Grid->FixedCols(); col < Grid->ColCount(); ++col)
        FitValueColumn(Grid, col, WidestText(Grid, col));
}

void TTrovGameServerForm::FitHeadingColumns() {
    FitHeadingColumn(StringGrid_First, "Ship to Wholesaler");
    FitHeadingColumn(StringGrid_Game, "Delay");
    // The demand table's week numbers stand in its default width unless the font is too large.
    FitValueColumn(StringGrid_Marcket, 0, WidestText(StringGrid_Marcket, 0));
}

void TTrovGameServerForm::FitTablesToFont() {
    for (TStringGrid* grid : {StringGrid_Marcket, StringGrid_First, StringGrid_Game}) {
        grid->SetDefaultRowHeight(std::max(kGridRowHeight, grid->FittingHeight()));
        AutoSizeGridColumns(grid);
    }
    FitHeadingColumns();
}

void TTrovGameServerForm::StringGrid_KeyDown(QObject* Sender, std::uint16_t& Key,
                                             TShiftState Shift) {
    auto* grid = qobject_cast<TStringGrid*>(Sender);
    if (!grid || grid->RowCount() < 1 || grid->ColCount() < 1 || !Shift.Contains(ssCtrl)) return;
    if (Key == 'A') {
        GridSelectAll(grid, false);
    } else if (Key == 'C') {
        std::string unused;
        CopyGridSelection(grid, ColumnDiv, unused, false);
    }
}

void TTrovGameServerForm::StringGrid_KeyPress(QObject*, char16_t& Key) {
    if (Key < u'0' || Key > u'9') {
        Key = 0;
        Beep();
    }
}

void TTrovGameServerForm::StringGrid_KeyUp(QObject*, std::uint16_t&, TShiftState) {
    for (int row = 0; row < kFirstRowCount; ++row)
        if (!kFirstRows[row].history) StringGrid_First->SetCells(1, row, "");
}

void TTrovGameServerForm::StringGrid_MarcketSetEditText(QObject* Sender, int ACol, int ARow,
                                                        const std::string& Value) {
    auto* grid = qobject_cast<TStringGrid*>(Sender);
    if (!grid) return;
    const int value = TryDecimalToInt(Value).value_or(-1);
    if (value < 1)
        grid->SetCells(ACol, ARow, "0");
    else if (value > 99)
        grid->SetCells(ACol, ARow, "99");
    ReadInitialValues();
}

void TTrovGameServerForm::StringGrid_MarcketExit(QObject*) {
    ShowInitialValues();
}

void TTrovGameServerForm::InitTables() {
    const int weeks = FGame->FFinalTurn;
    StringGrid_Game->SetRowCount(kGameRowCount);
    for (int row = 0; row < kGameRowCount; ++row)
        StringGrid_Game->SetCells(0, row, kGameRows[row].heading);

    StringGrid_Marcket->SetRowCount(weeks + 1); // the heading row, then one per week
    StringGrid_Marcket->SetCells(1, 0, "Week");
    for (int row = 1; row <= weeks; ++row)
        StringGrid_Marcket->SetCells(0, row, std::to_string(row - 1));

    StringGrid_First->SetRowCount(kFirstRowCount);
    for (int row = 0; row < kFirstRowCount; ++row)
        StringGrid_First->SetCells(0, row, kFirstRows[row].heading);

    for (int col = 1; col < StringGrid_Game->ColCount(); ++col)
        StringGrid_Game->SetCells(col, 0, std::to_string(col - 1));
    FitHeadingColumns();
    ShowInitialValues();
    AutoSizeGridColumns(StringGrid_Marcket);
}

void TTrovGameServerForm::ShowInitialValues() {
    const TTrovGame& g = *FGame;
    {
        THeldUpdate hold(StringGrid_Marcket);
        for (int row = 1; row <= g.FFinalTurn && row - 1 < static_cast<int>(g.Market.size()); ++row)
            StringGrid_Marcket->SetCells(1, row, std::to_string(g.Market[row - 1]));
    }
    THeldUpdate hold(StringGrid_First);
    for (int row = 0; row < kFirstRowCount; ++row)
        if (kFirstRows[row].history)
            StringGrid_First->SetCells(1, row, std::to_string((g.*kFirstRows[row].history)[0]));
}

void TTrovGameServerForm::ReadInitialValues() {
    TTrovGame& g = *FGame;
    for (int row = 1; row <= g.FFinalTurn && row - 1 < static_cast<int>(g.Market.size()); ++row)
        g.Market[row - 1] = CellByte(StringGrid_Marcket, 1, row, 8);
    for (int row = 0; row < kFirstRowCount; ++row)
        if (kFirstRows[row].history)
            (g.*kFirstRows[row].history)[0] =
                CellByte(StringGrid_First, 1, row, kFirstRows[row].fallback);
}

void TTrovGameServerForm::ShowHistory() {
    const TTrovGame& g = *FGame;
    const int weeks = g.FFinalTurn;
    TStringGrid* grid = StringGrid_Game;
    grid->SetColCount(weeks + 1);
    // Cells that something else wrote since, or another font: every week is written and measured
    // again.
    if (grid->ContentVersion() != FShownVersion || grid->font() != FShownFont ||
        FShownWeeks.size() != std::size_t(weeks) + 1)
        FShownWeeks.assign(std::size_t(weeks) + 1, TShownWeek{});
    THeldUpdate hold(grid);
    FitHeadingColumn(grid, "Delay");
    for (int col = 1; col <= weeks; ++col) {
        const int w = col - 1;
        std::string values(1, w < g.FTurn ? 'v' : '-'); // a week not played yet is empty
        if (w < g.FTurn)
            for (int row = 1; row < kGameRowCount; ++row) {
                const TGameRow& r = kGameRows[row];
                if (r.quantity) values += static_cast<char>((g.*r.quantity)[w]);
                if (r.money) values += std::to_string((g.*r.money)[w]) + ';';
            }
        TShownWeek& shown = FShownWeeks[std::size_t(col)];
        if (shown.Values != values) {
            int widest = grid->TextWidth(grid->Cells(col, 0)); // the week's number
            for (int row = 1; row < kGameRowCount; ++row) {
                const TGameRow& r = kGameRows[row];
                std::string text;
                if (w < g.FTurn) {
                    if (r.quantity)
                        text = std::to_string((g.*r.quantity)[w]);
                    else if (r.money)
                        text = MoneyToText((g.*r.money)[w]);
                }
                if (w >= g.FTurn || r.quantity || r.money) grid->SetCells(col, row, text);
                widest = std::max(widest, grid->TextWidth(grid->Cells(col, row)));
            }
            shown = {std::move(values), widest};
        }
        // The column is made as wide as its widest text needs, as every refresh does.
        FitValueColumn(grid, col, shown.Widest);
    }
    FShownVersion = grid->ContentVersion();
    FShownFont = grid->font();
}

void TTrovGameServerForm::ShowTotals() {
    const int weeks = FGame->FFinalTurn;
    if (FGame->FTurn < weeks) return;
    {
        THeldUpdate hold(StringGrid_Game);
        // After the heading column and the weeks' columns come "Average" and "Total  ".
        if (StringGrid_Game->ColCount() == weeks + 1) {
            StringGrid_Game->SetColCount(weeks + 3);
            StringGrid_Game->SetCells(weeks + 1, 0, "Average");
            StringGrid_Game->SetCells(weeks + 2, 0, "Total  ");
        }
        for (int row = 1; row < kGameRowCount; ++row) {
            TMoney sum = 0;
            bool skipped = false;
            for (int col = 1; col <= weeks && !skipped; ++col) {
                const std::string cell = StringGrid_Game->Cells(col, row);
                if (cell.empty()) {
                    skipped = true;
                    break;
                }
                TMoney value = 0;
                if (MoneyFromText(cell, value)) sum += value;
            }
            if (skipped) continue;
            StringGrid_Game->SetCells(weeks + 2, row, MoneyToText(sum));
            StringGrid_Game->SetCells(weeks + 1, row, MoneyToText(MoneyDivide(sum, weeks)));
        }
    }
    AutoSizeGridColumns(StringGrid_Game);
}

void TTrovGameServerForm::MItem_WriteClick(QObject*) {
    // The dialog's fixed settings; the name chosen last time stays preset.
    SaveDialog_Txt.DefaultExt = "txt";
    SaveDialog_Txt.Filter = "Text File(*.txt)|*.txt|All Files(*.*)|*.*";
    SaveDialog_Txt.Options = ofOverwritePrompt | ofHideReadOnly | ofEnableSizing;
    if (!Dialogs().ExecuteSave(SaveDialog_Txt)) return;
    std::string text;
    try {
        std::vector<std::string> items = {
            "[" + FGame->FGroupName + "] - " + std::to_string(FGame->FFinalTurn) +
                "Week: Game Result " + FormatDateTime("(yyyy-mm/dd hh:nn:ss)", Now()),
            ""};
        GridSelectAll(FPopupGrid, true);
        std::string table;
        CopyGridSelection(FPopupGrid, ColumnDiv, table, true);
        items.push_back(table);
        text = JoinLines(items);
    } catch (...) {
        // Not built: no file is written, and the old one stays as it was.
        SayFileWritingError();
        return;
    }
    // Nothing follows the save: a failure has been said, and there is no more to do.
    (void)WriteFileOrSay(SaveDialog_Txt.FileName, text);
}
