#pragma once
// The one simulation of the supply-chain game that the server holds: week counters and
// state, unit costs, the week-by-week histories, the summary, and the four role slots.
#include "platform/Connection.h"
#include "platform/Messages.h"
#include "shared/Money.h"
#include "shared/Role.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// Roles, numbered as in the role slots. A record holds these as plain bytes (as the game data
// file and the wire carry them), so a record may hold a byte no name stands for.
enum TRole : std::uint8_t {
    rlNone = 0,
    rlFactory = 1,
    rlDistributor = 2,
    rlWholesaler = 3,
    rlRetailer = 4
};
// Who plays a role.
enum TOwner : std::uint8_t { owUnset = 0, owClient = 1, owServer = 2, owAuto = 3 };
// How a role's shipment is set.
enum TShipMode : std::uint8_t { smUnset = 0, smAll = 1, smManual = 2, smAuto = 3 };
// Game states (one byte, as the game data file holds them).
enum TGameState : std::uint8_t { gsPreparing = 1, gsRunning = 2, gsPaused = 3, gsFinished = 4 };

// Posted to the game's window when the last week has been processed.
constexpr unsigned WM_GAMEFINALWEEK = platform::WM_USER + 187;

// One player or role slot: a connected client's record, or one of the game's own four.
struct TPlayerData {
    bool Entered = false;  // the client's name was accepted
    bool Accepted = false; // admitted to play
    std::string Name = "UnKnown";
    std::uint8_t Role = rlNone;
    std::uint8_t Owner = owUnset;
    std::uint8_t ShipMode = smUnset;
    std::int8_t Order = -1;    // this week's order; -1 = not entered
    std::int8_t Shipment = -1; // this week's shipment; -1 = not entered
    double TimeStamp = 0;      // days since 1899-12-30
    platform::TConnection* Socket = nullptr;

    // A new connection's record, stamped now: played by a client, not yet named or admitted.
    static TPlayerData ForClient(platform::TConnection* Socket);
    // The game's own record of a role (1 to 4), stamped now: admitted, nobody owns it yet.
    static TPlayerData ForServer(int Role);
};

// The program-wide generator: never seeded from the clock, so every run draws the same
// sequence.
extern std::uint32_t RandomSeed;
// A number from 0 to n-1.
int Random(int n);
// The word for a record's role number: the role's word, "UnKnown" while none is chosen.
const char* WishWord(std::uint8_t role);

// The largest unit cost a game takes (the window's unit cost edits go from 1 to 99; files
// also hold fractions, as the game's own defaults of 0.5 and 1.0).
constexpr TMoney kMaxUnitCost = MoneyFromUnits(99);
// The largest weekly inventory or backlog cost: the four roles' quantities are bytes.
constexpr TMoney kMaxWeeklyCost = 4 * 255 * kMaxUnitCost;

// The longest name a game holds, in bytes: the group name's edit takes 32767 characters of at
// most two bytes each. The loader takes no longer name, so every game it holds saves into a
// file it loads back.
constexpr std::size_t kMaxNameBytes = 2 * 32767;
// The largest game data file: the group name and the four player names at their longest and
// the most weeks a week count (signed 8-bit) holds.
constexpr std::size_t kMaxGameFileSize = 258 + 5 * kMaxNameBytes + 49 * 127;

class TTrovGame {
public:
    using THistory = std::vector<std::uint8_t>;
    using TMoneyHistory = std::vector<TMoney>;

    explicit TTrovGame(platform::HWND AWnd);
    ~TTrovGame();
    TTrovGame(const TTrovGame&) = delete;
    TTrovGame& operator=(const TTrovGame&) = delete;

    void Init();
    void SetFinalTurn(std::int8_t N);
    void SetDefaultFirstValues();
    void SetDefaultMarket(std::uint8_t Base);
    // Whether every week's demand is the one SetDefaultMarket(Base) gives.
    bool IsDefaultMarket(std::uint8_t Base) const;
    void SetRandomMarket(std::uint8_t Lo, std::uint8_t Hi);
    void SetRandomFirstValues(std::uint8_t Lo, std::uint8_t Hi);
    bool CanStart() const;
    bool IsRoleFree(std::uint8_t Role) const;
    bool NeedsServerOrder(std::uint8_t Role) const;

    // The role slots. Seat puts a record (or nobody) into a role's slot (1 to 4; other numbers
    // change nothing). Vacate empties every slot that holds the record: a record that goes
    // away, or loses its role, must leave no slot pointing at it.
    void Seat(int Role, TPlayerData* Player);
    void Vacate(const TPlayerData* Player);
    // Whether a connected client's record plays the role, and that record's connection (null
    // when the role is not played by a client or its record has no connection).
    bool IsClientRole(int Role) const;
    platform::TConnection* ClientSocket(int Role) const;
    // Calls `send` with the connection of every client-played role, Factory first; each slot
    // is read when its turn comes, so a send that ends another connection skips it.
    template <class F> void ForEachClientSocket(F&& send) const {
        for (int role : kRoleNumbers)
            if (platform::TConnection* socket = ClientSocket(role)) send(socket);
    }
    // The message to every client-played role.
    void SendToClientRoles(const std::string& message) const;

    // The week step.
    void Start();
    void Stop();
    // -1: not running or a decision is missing; 0: a week was processed; 1: game over.
    [[nodiscard]] int ProceedTurn();
    // A client-played role's player lost after the last week has been played: the role is
    // emptied and its final answers (never used) are no longer waited for, so ProceedTurn ends
    // the game with the others' answers. Whether it was so; otherwise nothing changes.
    [[nodiscard]] bool LeaveAtEnd(const TPlayerData* Player);

    // The state block to every client-played role.
    void SendState();

    // The game data file. SaveToStream appends the file's bytes to `Stream`; LoadFromStream
    // replaces the game's data by the file held in `Stream` (nothing while running) and says
    // whether it did; a file it refuses changes nothing.
    void SaveToStream(std::string* Stream) const;
    [[nodiscard]] bool LoadFromStream(const std::string* Stream);
    void SaveToFile(const std::string& FileName) const;
    void LoadFromFile(const std::string& FileName);
    // Copies another game's data through the data file (nothing while running); null: Init.
    // Whether this game now holds the other's data (or was reset).
    [[nodiscard]] bool Assign(const TTrovGame* Source);

    // The result report: 20 lines of totals and averages, each followed by CR LF, then
    // trimmed. Left empty when it cannot be built.
    void MakeResultText(std::string& S) const;

    // The 25 quantity histories in their fixed order (also the order of the data file and
    // of the random starting values); the first 23 hold the starting values in week 0.
    static constexpr int kHistoryCount = 25;
    static constexpr int kFirstValueCount = 23;
    // The base of the default demand (weeks 0 to 4; 8 after them).
    static constexpr std::uint8_t kDefaultMarketBase = 4;
    THistory& History(int index) { return this->*kHistories[index]; }
    const THistory& History(int index) const { return this->*kHistories[index]; }

    // Each role's inventory, backlog and the demand it receives (the next role's orders; the
    // market's for the Retailer), Factory first.
    struct TRoleHistoryFields {
        THistory TTrovGame::*Stock;
        THistory TTrovGame::*Backlog;
        THistory TTrovGame::*Demand;
    };
    static const std::array<TRoleHistoryFields, 4> kRoleHistories;

    // The three weekly group costs in their fixed order (the data file's), each with the most
    // one week can cost.
    struct TMoneyHistoryField {
        TMoneyHistory TTrovGame::*Field;
        TMoney WeeklyMost;
    };
    static const std::array<TMoneyHistoryField, 3> kMoneyHistories;
    // The eleven summary values in their fixed order (the data file's and the result report's):
    // the sums of the three weekly costs (in kMoneyHistories' order), then the average
    // inventory and average backlog of each role, Factory first.
    struct TSummaryField {
        TMoney TTrovGame::*Field;
        const THistory TTrovGame::*Averaged; // null for a sum
        const char* Label = nullptr;         // the report's line head where it is not derived
    };
    static constexpr int kSummaryCostCount = 3;
    static const std::array<TSummaryField, 11> kSummary;
    // A summary value's line head in the result report, and the most a game can reach.
    static std::string SummaryLabel(int index);
    static TMoney SummaryMost(int index);

    platform::HWND FWnd;
    std::int8_t FTurn = 0;
    std::int8_t FFinalTurn = 30;
    TGameState FState = gsPreparing;
    TMoney FSumInvCost = 0, FSumBacklogCost = 0, FSumTotalCost = 0;
    TMoney FAvgStockF = 0, FAvgBacklogF = 0, FAvgStockD = 0, FAvgBacklogD = 0;
    TMoney FAvgStockW = 0, FAvgBacklogW = 0, FAvgStockR = 0, FAvgBacklogR = 0;
    std::string FGroupName;
    // Role slots, index = role number 1 to 4 (index 0 unused); empty = nobody.
    std::array<TPlayerData*, 5> FPlayers{};
    // The game's own records for roles played at the server or by the computer.
    std::array<TPlayerData, 4> FLocalPlayers;

    THistory ProdF1, ProdF2, StockF, BacklogF, ShipF;
    THistory TransD, StockD, BacklogD, ShipD;
    THistory TransW, StockW, BacklogW, ShipW;
    THistory TransR, StockR, BacklogR;
    THistory OrderR, OrderRd, OrderW, OrderWd, OrderD, OrderDd, OrderF;
    THistory Market, ShipR;

    TMoney FInvUnitCost = MoneyFromUnits(1) / 2;
    TMoney FBacklogUnitCost = MoneyFromUnits(1);
    TMoneyHistory InvCost, BacklogCost, TotalCost;

private:
    static const std::array<THistory TTrovGame::*, kHistoryCount> kHistories;

    // Roles left by a player lost after the last week (index = role number), until the game
    // starts again.
    std::array<bool, 5> FLeftAtEnd{};

    // Whether the game waits for nothing more of role r this week.
    bool HasDecided(int r) const;
    void ProcessWeek();
    void CalcSummary(std::int8_t Last);
    void CalcCosts(int t);
    void SendStateToSocket(platform::TConnection* socket, const std::string& weekText) const;
};
