// The result report: the summary of a finished game (each cost summed, each role's inventory
// and backlog averaged) and the text that reports it to the players and the game master.
#include "server/TrovGCls.h"

#include "platform/DateTime.h"
#include "shared/Text.h"

// The report's labels line up their colons with full-width spaces ("\x81\x40"). One line per
// role for the averages.
// clang-format off
const std::array<TTrovGame::TSummaryField, 11> TTrovGame::kSummary = {{
    {&TTrovGame::FSumInvCost, nullptr, "Total Inventory Cost  : "},
    {&TTrovGame::FSumBacklogCost, nullptr, "Total Backlog Cost  \x81\x40: "},
    {&TTrovGame::FSumTotalCost, nullptr, "Total Cost        \x81\x40\x81\x40: "},
    {&TTrovGame::FAvgStockF, &TTrovGame::StockF}, {&TTrovGame::FAvgBacklogF, &TTrovGame::BacklogF},
    {&TTrovGame::FAvgStockD, &TTrovGame::StockD}, {&TTrovGame::FAvgBacklogD, &TTrovGame::BacklogD},
    {&TTrovGame::FAvgStockW, &TTrovGame::StockW}, {&TTrovGame::FAvgBacklogW, &TTrovGame::BacklogW},
    {&TTrovGame::FAvgStockR, &TTrovGame::StockR}, {&TTrovGame::FAvgBacklogR, &TTrovGame::BacklogR},
}};
// clang-format on

std::string TTrovGame::SummaryLabel(int index) {
    const TSummaryField& f = kSummary[static_cast<std::size_t>(index)];
    if (f.Label) return f.Label;
    // Each role's average inventory, then its average backlog, padded to one width.
    const int k = index - kSummaryCostCount;
    std::string head =
        std::string("Average ") + (k % 2 ? "Backlog" : "Inventory") + " of " + RoleWord(k / 2);
    head.resize(std::max<std::size_t>(head.size(), 33), ' ');
    return head + ": ";
}

TMoney TTrovGame::SummaryMost(int index) {
    // A sum runs over at most the weeks a week count holds; an average is of bytes.
    return index < kSummaryCostCount
               ? 128 * kMoneyHistories[static_cast<std::size_t>(index)].WeeklyMost
               : MoneyFromUnits(255);
}

void TTrovGame::CalcSummary(std::int8_t Last) {
    for (const auto& f : kSummary) this->*f.Field = 0;
    if (Last < 0) return;
    const int last = std::min<int>(Last, static_cast<int>(InvCost.size()) - 1);
    for (std::size_t k = 0; k < kSummary.size(); ++k) {
        TMoney& value = this->*kSummary[k].Field;
        const auto averaged = kSummary[k].Averaged;
        for (int i = 0; i <= last; ++i)
            value += averaged ? MoneyFromUnits((this->*averaged)[i])
                              : (this->*kMoneyHistories[k].Field)[i];
        // An average divides by the weeks asked for, even where the histories hold fewer.
        if (averaged) value = MoneyDivide(value, Last + 1);
    }
}

void TTrovGame::MakeResultText(std::string& S) const {
    S.clear();
    try {
        const std::string zen = "\x81\x40"; // full-width space
        auto money = [](TMoney value) { return MoneyToText(value) + " "; };
        std::vector<std::string> lines = {
            "*Result of [" + FGroupName + "]*",
            "",
            zen + " " + platform::FormatDateTime("(dd/mm/yyyy hh:nn:ss)", platform::Now()) + " ",
            "",
            "------   Group    ------",
            "Week      " + zen + zen + zen + "      : " + money(MoneyFromUnits(FTurn - 1)),
            "Unitcost of Inventory : " + money(FInvUnitCost),
            "Unitcost of Backlog" + zen + " : " + money(FBacklogUnitCost)};
        for (std::size_t k = 0; k < kSummary.size(); ++k) {
            if (k == kSummaryCostCount) lines.push_back("------ Eachmember ------");
            lines.push_back(SummaryLabel(static_cast<int>(k)) + money(this->*kSummary[k].Field));
        }
        S = Trim(JoinLines(lines));
    } catch (...) {
        // Not built (no memory for it): the report is left empty, which callers show as none.
        S.clear();
    }
}
