// The game alone: creation, starting values, generator, week step, summary, state block.
#include "server/TrovGCls.h"
#include "shared/Wire.h"
#include "support/RecordingConnection.h"

#include "platform/BeepTestHooks.h"
#include "platform/Messages.h"

#include <QCoreApplication>
#include <QObject>
#include <gtest/gtest.h>

using Lines = std::vector<std::string>;

namespace {

// Counts beeps while it lives.
struct BeepCounter {
    int count = 0;
    BeepCounter() {
        platform::SetBeepHandler([this] { ++count; });
    }
    ~BeepCounter() { platform::SetBeepHandler({}); }
};

// Puts the game's own record of each role into its slot with the given owner and shipping
// mode.
void SetRoles(TTrovGame& game, std::uint8_t owner, std::uint8_t shipMode) {
    for (int r = 1; r <= 4; ++r) {
        game.FPlayers[r] = &game.FLocalPlayers[r - 1];
        game.FPlayers[r]->Owner = owner;
        game.FPlayers[r]->ShipMode = shipMode;
    }
}

// Enters the same order and, for Manual shipping, shipment for every role.
void Decide(TTrovGame& game, std::int8_t order, std::int8_t shipment) {
    for (int r = 1; r <= 4; ++r) {
        game.FPlayers[r]->Order = order;
        if (game.FPlayers[r]->ShipMode == smManual) game.FPlayers[r]->Shipment = shipment;
    }
}

class MessageRecorder : public QObject, public platform::TMessageTarget {
public:
    void WndProc(platform::TMessage& msg) override { received.push_back(msg.Msg); }
    QObject* MessageObject() override { return this; }
    platform::HWND Handle() { return this; }
    std::vector<unsigned> received;
};

} // namespace

class GameTest : public ::testing::Test {
protected:
    void SetUp() override { RandomSeed = 0; }
    BeepCounter beeps;
    TTrovGame game{nullptr};
};

TEST_F(GameTest, NewGameHasThirtyWeeksOfDefaultValues) {
    EXPECT_EQ(game.FState, gsPreparing);
    EXPECT_EQ(game.FTurn, 0);
    EXPECT_EQ(game.FFinalTurn, 30);
    EXPECT_EQ(game.FInvUnitCost, 5000);
    EXPECT_EQ(game.FBacklogUnitCost, 10000);
    EXPECT_EQ(game.FGroupName, "");
    for (int i = 0; i < TTrovGame::kHistoryCount; ++i) {
        ASSERT_EQ(game.History(i).size(), 30u) << i;
        for (int t = 1; t < 30; ++t)
            if (&game.History(i) != &game.Market) {
                EXPECT_EQ(game.History(i)[t], 0) << i << "/" << t;
            }
    }
    for (auto* stock : {&game.StockF, &game.StockD, &game.StockW, &game.StockR})
        EXPECT_EQ((*stock)[0], 12);
    for (auto* backlog : {&game.BacklogF, &game.BacklogD, &game.BacklogW, &game.BacklogR})
        EXPECT_EQ((*backlog)[0], 0);
    for (auto* h : {&game.ProdF1, &game.ProdF2, &game.ShipF, &game.TransD, &game.ShipD,
                    &game.TransW, &game.ShipW, &game.TransR, &game.OrderR, &game.OrderRd,
                    &game.OrderW, &game.OrderWd, &game.OrderD, &game.OrderDd, &game.OrderF})
        EXPECT_EQ((*h)[0], 4);
    EXPECT_EQ(game.ShipR[0], 0);
    for (int t = 0; t < 30; ++t) EXPECT_EQ(game.Market[t], t < 5 ? 4 : 8) << t;
    EXPECT_EQ(game.InvCost.size(), 30u);
    const char* names[] = {"Factory(server operation)", "Distributor(server operation)",
                           "Wholesaler(server operation)", "Retailer(server operation)"};
    for (int i = 0; i < 4; ++i) {
        const TPlayerData& p = game.FLocalPlayers[i];
        EXPECT_EQ(p.Name, names[i]);
        EXPECT_EQ(p.Role, i + 1);
        EXPECT_TRUE(p.Accepted);
        EXPECT_FALSE(p.Entered);
        EXPECT_EQ(p.Order, -1);
        EXPECT_EQ(p.Shipment, -1);
        EXPECT_EQ(p.Owner, owUnset);
        EXPECT_GT(p.TimeStamp, 40000.0); // some day after 2009
    }
}

TEST_F(GameTest, GeneratorDrawsTheSameSequenceEveryRun) {
    std::vector<int> draws;
    for (int i = 0; i < 6; ++i) draws.push_back(Random(4));
    EXPECT_EQ(draws, (std::vector<int>{0, 0, 3, 0, 1, 2}));
    RandomSeed = 0;
    EXPECT_EQ(Random(4), 0);
    EXPECT_EQ(Random(4), 0);
    EXPECT_EQ(Random(4), 3);
}

TEST_F(GameTest, RandomDemandAndStartingValues) {
    game.SetRandomMarket(2, 7);
    bool varied = false;
    for (auto d : game.Market) {
        EXPECT_GE(d, 2);
        EXPECT_LE(d, 6);
        varied |= d != game.Market[0];
    }
    EXPECT_TRUE(varied);

    std::uint32_t seed = RandomSeed;
    game.SetRandomMarket(5, 5);
    for (auto d : game.Market) EXPECT_EQ(d, 5);
    game.SetRandomMarket(6, 5);
    for (auto d : game.Market) EXPECT_EQ(d, 6);
    EXPECT_EQ(RandomSeed, seed) << "equal bounds draw nothing";

    game.SetRandomFirstValues(3, 4);
    for (int i = 0; i < TTrovGame::kFirstValueCount; ++i) EXPECT_EQ(game.History(i)[0], 3);
    std::uint32_t expected = seed;
    for (int i = 0; i < 23; ++i) expected = expected * 134775813u + 1u;
    EXPECT_EQ(RandomSeed, expected) << "one draw per starting value";
}

TEST_F(GameTest, DefaultDemandWritesOnlyExistingWeeks) {
    game.SetFinalTurn(3);
    game.SetDefaultMarket(6);
    EXPECT_EQ(game.Market, (TTrovGame::THistory{6, 6, 6}));
    game.SetFinalTurn(7);
    game.SetDefaultMarket(4);
    EXPECT_EQ(game.Market, (TTrovGame::THistory{4, 4, 4, 4, 4, 8, 8}));
}

TEST_F(GameTest, ChangingTheWeekCountKeepsExistingWeeks) {
    game.SetFinalTurn(31);
    game.Market[30] = 9;
    game.InvCost[30] = 77;
    game.SetFinalTurn(41);
    EXPECT_EQ(game.Market.size(), 41u);
    EXPECT_EQ(game.Market[30], 9);
    for (int t = 31; t < 41; ++t) EXPECT_EQ(game.Market[t], 0);
    EXPECT_EQ(game.InvCost[30], 77);
    EXPECT_EQ(game.TotalCost.size(), 41u);
    game.SetFinalTurn(12);
    EXPECT_EQ(game.StockR.size(), 12u);
    EXPECT_EQ(game.BacklogCost.size(), 12u);
    EXPECT_EQ(game.Market[11], 8);
}

TEST_F(GameTest, RunningGameIsShortenedAtMostToItsWeek) {
    SetRoles(game, owServer, smAll);
    game.Start();
    for (int w = 1; w < 12; ++w) {
        Decide(game, 4, 0);
        ASSERT_EQ(game.ProceedTurn(), 0);
    }
    ASSERT_EQ(game.FTurn, 12);
    game.SetFinalTurn(8);
    EXPECT_EQ(game.FFinalTurn, 12);
    EXPECT_EQ(game.StockF.size(), 12u);

    // Paused, the same: the resumed game ends at once with a summary over its 12 weeks.
    game.SetFinalTurn(20);
    game.Stop();
    ASSERT_EQ(game.FState, gsPaused);
    game.SetFinalTurn(5);
    EXPECT_EQ(game.FFinalTurn, 12);
    game.Start();
    Decide(game, 4, 0);
    EXPECT_EQ(game.ProceedTurn(), 1);
    TMoney stocks = 0;
    for (int w = 0; w < 12; ++w) stocks += MoneyFromUnits(game.StockF[w]);
    EXPECT_EQ(game.FAvgStockF, MoneyDivide(stocks, 12));
}

TEST_F(GameTest, InitKeepsNamesCostsSummaryAndSlots) {
    SetRoles(game, owServer, smAll);
    game.FGroupName = "Benvik Group";
    game.FInvUnitCost = MoneyFromUnits(3);
    game.FAvgStockR = 1234;
    TPlayerData client;
    game.FPlayers[2] = &client;
    game.Start();
    game.Stop();
    game.Init();
    EXPECT_EQ(game.FState, gsPreparing);
    EXPECT_EQ(game.FTurn, 0);
    EXPECT_EQ(game.FGroupName, "Benvik Group");
    EXPECT_EQ(game.FInvUnitCost, MoneyFromUnits(3));
    EXPECT_EQ(game.FAvgStockR, 1234);
    EXPECT_EQ(game.FPlayers[2], &client);
    EXPECT_EQ(game.FPlayers[1], &game.FLocalPlayers[0]);
    EXPECT_EQ(game.InvCost[0], 0) << "histories are cleared";
    EXPECT_TRUE(game.IsRoleFree(1)) << "the game's own record is unset again";
}

TEST_F(GameTest, RoleQuestions) {
    EXPECT_FALSE(game.IsRoleFree(0));
    EXPECT_FALSE(game.IsRoleFree(5));
    EXPECT_TRUE(game.IsRoleFree(3));
    SetRoles(game, owServer, smAll);
    EXPECT_FALSE(game.IsRoleFree(3));
    EXPECT_FALSE(game.NeedsServerOrder(1)) << "not running";
    game.Start();
    EXPECT_TRUE(game.NeedsServerOrder(1));
    EXPECT_FALSE(game.NeedsServerOrder(0));
    EXPECT_FALSE(game.NeedsServerOrder(5));
    game.FPlayers[1]->Order = 0;
    EXPECT_FALSE(game.NeedsServerOrder(1));
    game.FPlayers[2]->Owner = owAuto;
    EXPECT_FALSE(game.NeedsServerOrder(2));
}

TEST_F(GameTest, SlotsAreSeatedAndVacatedByRecord) {
    SetRoles(game, owServer, smAll);
    TPlayerData client = TPlayerData::ForClient(nullptr);
    game.Seat(0, &client);
    game.Seat(5, &client);
    EXPECT_EQ(game.FPlayers[0], nullptr) << "no role number: nothing seated";
    game.Seat(2, &client);
    game.Seat(4, &client);
    game.Vacate(&client);
    EXPECT_EQ(game.FPlayers[2], nullptr);
    EXPECT_EQ(game.FPlayers[4], nullptr) << "every slot that held the record is emptied";
    EXPECT_EQ(game.FPlayers[3], &game.FLocalPlayers[2]) << "other records keep their slots";
}

TEST_F(GameTest, ClientRolesAreThoseOfClientRecordsWithAConnection) {
    SetRoles(game, owServer, smAll);
    RecordingConnection first, second;
    TPlayerData unconnected = TPlayerData::ForClient(nullptr);
    TPlayerData a = TPlayerData::ForClient(&first), b = TPlayerData::ForClient(&second);
    game.Seat(1, &a);
    game.Seat(2, &unconnected);
    game.Seat(4, &b);
    game.FLocalPlayers[2].Socket = &second; // the game master's role gets nothing
    EXPECT_TRUE(game.IsClientRole(2));
    EXPECT_EQ(game.ClientSocket(2), nullptr);
    game.SendToClientRoles("x");
    EXPECT_EQ(first.sends, Lines{"x"});
    EXPECT_EQ(second.sends, Lines{"x"});
}

TEST_F(GameTest, CanStartNeedsEveryRoleSetUp) {
    EXPECT_FALSE(game.CanStart()) << "empty slots";
    SetRoles(game, owAuto, smAll);
    EXPECT_TRUE(game.CanStart());

    game.FPlayers[2] = &game.FLocalPlayers[2]; // the Wholesaler's record in the Distributor's slot
    EXPECT_FALSE(game.CanStart());
    game.FPlayers[2] = &game.FLocalPlayers[1];

    game.FPlayers[4]->ShipMode = smManual; // the computer cannot ship by hand
    EXPECT_FALSE(game.CanStart());
    game.FPlayers[4]->ShipMode = smAuto;
    EXPECT_TRUE(game.CanStart());

    TPlayerData client;
    client.Role = 3;
    client.Accepted = true;
    client.Owner = owClient;
    client.ShipMode = smManual;
    game.FPlayers[3] = &client;
    EXPECT_FALSE(game.CanStart()) << "the client's connection is gone";
    RecordingConnection connection;
    client.Socket = &connection;
    EXPECT_TRUE(game.CanStart());
    client.Accepted = false;
    EXPECT_FALSE(game.CanStart());
    client.Accepted = true;

    game.FPlayers[1]->ShipMode = smUnset;
    EXPECT_FALSE(game.CanStart());
    game.FPlayers[1]->ShipMode = smAll;
    game.FPlayers[1]->Owner = owUnset;
    EXPECT_FALSE(game.CanStart());
    game.FPlayers[1]->Owner = owServer;

    game.Start();
    EXPECT_EQ(game.FState, gsRunning);
    EXPECT_FALSE(game.CanStart()) << "already running";
}

TEST_F(GameTest, StartNeedsCanStartAndBeeps) {
    game.Start();
    EXPECT_EQ(game.FState, gsPreparing);
    EXPECT_EQ(beeps.count, 0);
    SetRoles(game, owServer, smAll);
    game.Start();
    EXPECT_EQ(game.FState, gsRunning);
    EXPECT_EQ(game.FTurn, 1);
    EXPECT_EQ(beeps.count, 1);
    game.Stop();
    EXPECT_EQ(game.FState, gsPaused);
    EXPECT_EQ(beeps.count, 2);
    game.Stop();
    EXPECT_EQ(beeps.count, 2) << "stop outside a running game does nothing";
}

TEST_F(GameTest, WeekZeroCostsAreComputedAtTheStart) {
    SetRoles(game, owServer, smAll);
    game.BacklogW[0] = 1;
    game.FInvUnitCost = MoneyFromUnits(1);
    game.FBacklogUnitCost = MoneyFromUnits(2);
    game.Start();
    EXPECT_EQ(game.InvCost[0], MoneyFromUnits(48));
    EXPECT_EQ(game.BacklogCost[0], MoneyFromUnits(2));
    EXPECT_EQ(game.TotalCost[0], MoneyFromUnits(50));
}

TEST_F(GameTest, ComputerPlayedWeekDrawsOrdersThenShipments) {
    SetRoles(game, owAuto, smAuto);
    game.Start();
    ASSERT_EQ(game.ProceedTurn(), 0);
    // Draws 0, 0, 3, 0 are the orders (plus 2), then 1, 2, 1, 0 the wanted shipments.
    EXPECT_EQ(game.OrderF[1], 2);
    EXPECT_EQ(game.OrderD[1], 2);
    EXPECT_EQ(game.OrderW[1], 5);
    EXPECT_EQ(game.OrderR[1], 2);
    EXPECT_EQ(game.ShipF[1], 3);
    EXPECT_EQ(game.ShipD[1], 4);
    EXPECT_EQ(game.ShipW[1], 3);
    EXPECT_EQ(game.ShipR[1], 2);
    // Wanted 3 against an incoming order of 4 leaves a backlog of 1.
    EXPECT_EQ(game.BacklogF[1], 1);
    EXPECT_EQ(game.BacklogD[1], 0);
    EXPECT_EQ(game.BacklogR[1], 2);
}

// One Factory week with the given week-0 inventory, production arriving, incoming order,
// old backlog and shipping mode; returns {shipment, backlog, inventory}.
static std::array<int, 3> FactoryWeek(std::uint8_t stock, std::uint8_t arriving,
                                      std::uint8_t incoming, std::uint8_t oldBacklog,
                                      std::uint8_t shipMode, std::int8_t wanted) {
    TTrovGame game(nullptr);
    SetRoles(game, owServer, smAll);
    game.FPlayers[1]->ShipMode = shipMode;
    game.StockF[0] = stock;
    game.ProdF2[0] = arriving;
    game.OrderDd[0] = incoming;
    game.BacklogF[0] = oldBacklog;
    game.Start();
    Decide(game, 4, 4);
    game.FPlayers[1]->Shipment = wanted;
    EXPECT_EQ(game.ProceedTurn(), 0);
    return {game.ShipF[1], game.BacklogF[1], game.StockF[1]};
}

TEST(ShippingRule, FollowsInventoryOrderAndWantedShipment) {
    // Default week: 12 + 4 arriving, order 4, All shipping.
    EXPECT_EQ(FactoryWeek(12, 4, 4, 0, smAll, -1), (std::array<int, 3>{4, 0, 12}));
    // Too little inventory: ship it all, the backlog is measured against the wanted 5.
    EXPECT_EQ(FactoryWeek(0, 3, 8, 0, smManual, 5), (std::array<int, 3>{3, 2, 0}));
    // Manual shipping drops the old backlog.
    EXPECT_EQ(FactoryWeek(6, 4, 8, 6, smManual, 5), (std::array<int, 3>{5, 3, 5}));
    // Shipping more than ordered leaves no backlog.
    EXPECT_EQ(FactoryWeek(6, 4, 5, 0, smManual, 7), (std::array<int, 3>{7, 0, 3}));
    // The All sum 150 counts as -106: shipped as the byte 150, backlog 100 + 106 = 206.
    EXPECT_EQ(FactoryWeek(12, 4, 100, 50, smAll, -1), (std::array<int, 3>{150, 206, 122}));
}

TEST_F(GameTest, ProceedTurnWaitsForEveryNeededDecision) {
    SetRoles(game, owServer, smManual);
    game.FPlayers[3]->Owner = owAuto;
    game.FPlayers[3]->ShipMode = smAll;
    EXPECT_EQ(game.ProceedTurn(), -1) << "not running";
    game.Start();
    EXPECT_EQ(game.ProceedTurn(), -1);
    for (int r : {1, 2, 4}) game.FPlayers[r]->Order = 3;
    EXPECT_EQ(game.ProceedTurn(), -1) << "manual shipments missing";
    game.FPlayers[1]->Shipment = 2;
    game.FPlayers[2]->Shipment = 2;
    EXPECT_EQ(game.ProceedTurn(), -1) << "the Retailer's shipment is missing";
    int before = beeps.count;
    game.FPlayers[4]->Shipment = 0;
    EXPECT_EQ(game.ProceedTurn(), 0) << "the computer-played Wholesaler never blocks";
    EXPECT_EQ(beeps.count, before + 1);
    EXPECT_EQ(game.FTurn, 2);
    for (int r = 1; r <= 4; ++r) {
        EXPECT_EQ(game.FPlayers[r]->Order, -1);
        EXPECT_EQ(game.FPlayers[r]->Shipment, -1);
    }
}

// A four-week game (weeks 1 to 3 played) computed by hand: every role computer-played with
// All shipping, demand 8 except 20 in week 2. The generator's orders are 2,2,5,2 in week 1,
// 3,4,3,2 in week 2 and 3,3,2,3 in week 3 (Factory first).
TEST_F(GameTest, ShortComputerGameMatchesHandComputation) {
    game.SetFinalTurn(4);
    game.Init();
    game.Market = {8, 8, 20, 8};
    SetRoles(game, owAuto, smAll);
    MessageRecorder window;
    game.FWnd = window.Handle();

    game.Start();
    EXPECT_EQ(game.ProceedTurn(), 0);
    EXPECT_EQ(game.ProceedTurn(), 0);
    EXPECT_EQ(game.ProceedTurn(), 0);
    EXPECT_TRUE(window.received.empty()) << "the end notice is posted, not sent";
    EXPECT_EQ(game.FState, gsRunning);
    EXPECT_EQ(game.ProceedTurn(), 1);
    EXPECT_EQ(game.FState, gsFinished);
    EXPECT_EQ(game.ProceedTurn(), -1);
    QCoreApplication::processEvents();
    EXPECT_EQ(window.received, (std::vector<unsigned>{WM_GAMEFINALWEEK}));

    EXPECT_EQ(game.StockF, (TTrovGame::THistory{12, 12, 12, 14}));
    EXPECT_EQ(game.StockD, (TTrovGame::THistory{12, 12, 12, 11}));
    EXPECT_EQ(game.StockW, (TTrovGame::THistory{12, 12, 12, 14}));
    EXPECT_EQ(game.StockR, (TTrovGame::THistory{12, 8, 4, 0}));
    EXPECT_EQ(game.BacklogR, (TTrovGame::THistory{0, 0, 0, 12}));
    EXPECT_EQ(game.ShipR, (TTrovGame::THistory{0, 8, 8, 8}));
    EXPECT_EQ(game.ShipF, (TTrovGame::THistory{4, 4, 4, 2}));
    EXPECT_EQ(game.ProdF1, (TTrovGame::THistory{4, 4, 2, 3}));
    EXPECT_EQ(game.OrderF, (TTrovGame::THistory{4, 2, 3, 3}));
    EXPECT_EQ(game.OrderDd, (TTrovGame::THistory{4, 4, 2, 4}));
    EXPECT_EQ(game.OrderWd, (TTrovGame::THistory{4, 4, 5, 3}));
    EXPECT_EQ(game.InvCost, (TTrovGame::TMoneyHistory{240000, 220000, 200000, 195000}));
    EXPECT_EQ(game.TotalCost[3], 315000);

    EXPECT_EQ(game.FSumInvCost, 855000);
    EXPECT_EQ(game.FSumBacklogCost, 120000);
    EXPECT_EQ(game.FSumTotalCost, 975000);
    EXPECT_EQ(game.FAvgStockF, 125000);
    EXPECT_EQ(game.FAvgStockD, 117500);
    EXPECT_EQ(game.FAvgStockW, 125000);
    EXPECT_EQ(game.FAvgStockR, 60000);
    EXPECT_EQ(game.FAvgBacklogR, 30000);
    EXPECT_EQ(game.FAvgBacklogF, 0);
}

TEST_F(GameTest, SummaryAverageRoundsToFourDecimals) {
    game.SetFinalTurn(3);
    game.Init();
    SetRoles(game, owServer, smAll);
    game.Start();
    game.StockF[0] = 12; // the game master orders nothing; set the inventories by hand
    Decide(game, 0, 0);
    ASSERT_EQ(game.ProceedTurn(), 0);
    Decide(game, 0, 0);
    ASSERT_EQ(game.ProceedTurn(), 0);
    game.StockF = {12, 12, 13};
    ASSERT_EQ(game.ProceedTurn(), 1) << "the game master's last inputs are set to 0";
    EXPECT_EQ(game.FAvgStockF, 123333);
}

TEST_F(GameTest, ThirtyWeekComputerGameEnds) {
    SetRoles(game, owAuto, smAll);
    game.Start();
    int weeks = 0;
    int result;
    while ((result = game.ProceedTurn()) == 0) ++weeks;
    EXPECT_EQ(result, 1);
    EXPECT_EQ(weeks, 29);
    EXPECT_EQ(game.FTurn, 30);
    EXPECT_EQ(game.FState, gsFinished);
    TMoney total = 0;
    for (TMoney c : game.TotalCost) total += c;
    EXPECT_EQ(game.FSumTotalCost, total);
    EXPECT_EQ(game.FSumTotalCost, game.FSumInvCost + game.FSumBacklogCost);
    EXPECT_GT(game.FSumBacklogCost, 0) << "demand 8 against orders of 2 to 5 builds a backlog";
}

TEST_F(GameTest, StopAtTheLastWeekFinishesWithoutSummary) {
    game.SetFinalTurn(2);
    game.Init();
    SetRoles(game, owServer, smAll);
    TPlayerData client = game.FLocalPlayers[3];
    RecordingConnection connection;
    client.Owner = owClient;
    client.Socket = &connection;
    game.FPlayers[4] = &client;
    game.Start();
    Decide(game, 4, 0);
    ASSERT_EQ(game.ProceedTurn(), 0);
    EXPECT_EQ(game.FTurn, 2);
    EXPECT_EQ(game.ProceedTurn(), -1) << "waiting for the client's final answer";
    game.Stop();
    EXPECT_EQ(game.FState, gsFinished);
    EXPECT_EQ(game.FSumTotalCost, 0);
}

TEST_F(GameTest, RestartFromFinishedRepeatsTheFirstGame) {
    game.SetFinalTurn(8);
    game.Init();
    SetRoles(game, owServer, smManual);
    auto play = [&] {
        game.Start();
        for (int w = 1; w < 8; ++w) {
            for (int r = 1; r <= 4; ++r) {
                game.FPlayers[r]->Order = static_cast<std::int8_t>((w * r) % 7);
                game.FPlayers[r]->Shipment = static_cast<std::int8_t>((w + r) % 9);
            }
            EXPECT_EQ(game.ProceedTurn(), 0);
        }
        EXPECT_EQ(game.ProceedTurn(), 1);
    };
    play();
    std::vector<TTrovGame::THistory> first;
    for (int i = 0; i < TTrovGame::kHistoryCount; ++i) first.push_back(game.History(i));
    TMoney firstTotal = game.FSumTotalCost;
    EXPECT_GT(game.FSumBacklogCost, 0);

    play();
    for (int i = 0; i < TTrovGame::kHistoryCount; ++i) EXPECT_EQ(game.History(i), first[i]) << i;
    EXPECT_EQ(game.FSumTotalCost, firstTotal);
}

TEST_F(GameTest, StateBlockAfterStartWithTheFactoryClientPlayed) {
    SetRoles(game, owAuto, smAll);
    TPlayerData client = game.FLocalPlayers[0];
    RecordingConnection connection;
    client.Owner = owClient;
    client.ShipMode = smManual;
    client.Socket = &connection;
    game.FPlayers[1] = &client;
    game.Start();
    EXPECT_EQ(connection.sends, (Lines{"TS_Gm:Start!\t", "TS_Tn:01\t", "TS_Ft:0C\t", "TS_W1:0C\t",
                                       "TS_W2:0C\t", "TS_Rt:0C\t", "TS_Dm0:04\t", "TS_BC0:00\t",
                                       "TS_BC1:00\t", "TS_BC2:00\t", "TS_BC3:00\t"}));

    connection.sends.clear();
    game.Stop();
    game.Start();
    ASSERT_FALSE(connection.sends.empty());
    EXPECT_EQ(connection.sends[0], "TS_Gm:ReStart!\t");
    EXPECT_EQ(connection.sends[1], "TS_Tn:01\t") << "the same week again";
    EXPECT_EQ(connection.sends.size(), 11u);
}

TEST_F(GameTest, StateBlockOnlyToClientRolesWithTheirDemands) {
    game.SetFinalTurn(2);
    game.Init();
    SetRoles(game, owServer, smAll);
    TPlayerData retailer = game.FLocalPlayers[3];
    RecordingConnection connection, unused;
    retailer.Owner = owClient;
    retailer.Socket = &connection;
    game.FPlayers[4] = &retailer;
    game.Market[0] = 0xAB;
    game.Start();
    EXPECT_EQ(connection.sends, (Lines{"TS_Gm:Start!\t", "TS_Tn:01\t", "TS_Ft:0C\t", "TS_W1:0C\t",
                                       "TS_W2:0C\t", "TS_Rt:0C\t", "TS_BC0:00\t", "TS_BC1:00\t",
                                       "TS_BC2:00\t", "TS_Dm3:AB\t", "TS_BC3:00\t"}));

    connection.sends.clear();
    Decide(game, 4, 0);
    ASSERT_EQ(game.ProceedTurn(), 0);
    ASSERT_EQ(connection.sends.size(), 10u) << "week, four stocks, four backlogs, one demand";
    EXPECT_EQ(connection.sends[0], "TS_Tn:Fn\t") << "the last week has been processed";
    EXPECT_EQ(connection.sends[4], "TS_Rt:" + NumToHex(game.StockR[1]) + "\t");
    EXPECT_EQ(connection.sends[8], "TS_Dm3:" + NumToHex(game.Market[1]) + "\t");
    EXPECT_EQ(connection.sends[9], "TS_BC3:" + NumToHex(game.BacklogR[1]) + "\t");
}

TEST_F(GameTest, StateBlockSkipsMissingAndClosedConnections) {
    SetRoles(game, owClient, smAll);
    RecordingConnection closed;
    closed.connected = false;
    game.FPlayers[2]->Socket = &closed;
    game.FPlayers[1]->Socket = nullptr;
    EXPECT_NO_THROW(game.SendState()); // not started: week -1 is not sent
    game.FTurn = 1;
    EXPECT_NO_THROW(game.SendState());
    EXPECT_TRUE(closed.sends.empty());
}

TEST_F(GameTest, ResultReportOfAFinishedGame) {
    game.SetFinalTurn(4);
    game.Init();
    game.Market = {8, 8, 20, 8};
    game.FGroupName = "Benvik Group";
    SetRoles(game, owAuto, smAll);
    game.Start();
    while (game.ProceedTurn() == 0) {}
    ASSERT_EQ(game.FState, gsFinished);

    std::string report;
    game.MakeResultText(report);
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t brk; (brk = report.find("\r\n", start)) != std::string::npos; start = brk + 2)
        lines.push_back(report.substr(start, brk - start));
    lines.push_back(report.substr(start));

    const std::string zen = "\x81\x40";
    ASSERT_EQ(lines.size(), 20u);
    EXPECT_EQ(lines[0], "*Result of [Benvik Group]*");
    EXPECT_EQ(lines[1], "");
    // "　 (dd/mm/yyyy hh:nn:ss) "
    ASSERT_EQ(lines[2].size(), 25u);
    EXPECT_EQ(lines[2].substr(0, 4), zen + " (");
    for (std::size_t i : {6u, 9u, 14u})
        EXPECT_TRUE(lines[2][i] == '/' || lines[2][i] == ':' || lines[2][i] == ' ') << lines[2];
    EXPECT_EQ(lines[2].substr(23), ") ");
    EXPECT_EQ(lines[3], "");
    EXPECT_EQ(lines[4], "------   Group    ------");
    EXPECT_EQ(lines[5], "Week      " + zen + zen + zen + "      : 3 ");
    EXPECT_EQ(lines[6], "Unitcost of Inventory : 0.5 ");
    EXPECT_EQ(lines[7], "Unitcost of Backlog" + zen + " : 1 ");
    EXPECT_EQ(lines[8], "Total Inventory Cost  : 85.5 ");
    EXPECT_EQ(lines[9], "Total Backlog Cost  " + zen + ": 12 ");
    EXPECT_EQ(lines[10], "Total Cost        " + zen + zen + ": 97.5 ");
    EXPECT_EQ(lines[11], "------ Eachmember ------");
    EXPECT_EQ(lines[12], "Average Inventory of Factory     : 12.5 ");
    EXPECT_EQ(lines[13], "Average Backlog of Factory       : 0 ");
    EXPECT_EQ(lines[14], "Average Inventory of Distributor : 11.75 ");
    EXPECT_EQ(lines[15], "Average Backlog of Distributor   : 0 ");
    EXPECT_EQ(lines[16], "Average Inventory of Wholesaler  : 12.5 ");
    EXPECT_EQ(lines[17], "Average Backlog of Wholesaler    : 0 ");
    EXPECT_EQ(lines[18], "Average Inventory of Retailer    : 6 ");
    EXPECT_EQ(lines[19], "Average Backlog of Retailer      : 3") << "trimmed at the end";
    for (int i = 5; i <= 10; ++i) EXPECT_EQ(lines[i].find(": "), 22u) << i;
    for (int i = 12; i <= 19; ++i) EXPECT_EQ(lines[i].find(": "), 33u) << i;
}
