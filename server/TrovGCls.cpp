#include "server/TrovGCls.h"

#include "platform/Beep.h"
#include "platform/DateTime.h"
#include "shared/Protocol.h"
#include "shared/Wire.h"

std::uint32_t RandomSeed = 0;

const char* WishWord(std::uint8_t role) {
    return role == rlNone ? "UnKnown" : IsRoleNumber(role) ? RoleWord(RoleIndex(role)) : "";
}

int Random(int n) {
    RandomSeed = RandomSeed * 134775813u + 1u;
    return static_cast<int>(
        (static_cast<std::uint64_t>(RandomSeed) * static_cast<std::uint32_t>(n)) >> 32);
}

const std::array<TTrovGame::THistory TTrovGame::*, TTrovGame::kHistoryCount> TTrovGame::kHistories =
    {&TTrovGame::ProdF1, &TTrovGame::ProdF2,  &TTrovGame::StockF, &TTrovGame::BacklogF,
     &TTrovGame::ShipF,  &TTrovGame::TransD,  &TTrovGame::StockD, &TTrovGame::BacklogD,
     &TTrovGame::ShipD,  &TTrovGame::TransW,  &TTrovGame::StockW, &TTrovGame::BacklogW,
     &TTrovGame::ShipW,  &TTrovGame::TransR,  &TTrovGame::StockR, &TTrovGame::BacklogR,
     &TTrovGame::OrderR, &TTrovGame::OrderRd, &TTrovGame::OrderW, &TTrovGame::OrderWd,
     &TTrovGame::OrderD, &TTrovGame::OrderDd, &TTrovGame::OrderF, &TTrovGame::Market,
     &TTrovGame::ShipR};

const std::array<TTrovGame::TRoleHistoryFields, 4> TTrovGame::kRoleHistories = {
    {{&TTrovGame::StockF, &TTrovGame::BacklogF, &TTrovGame::OrderDd},
     {&TTrovGame::StockD, &TTrovGame::BacklogD, &TTrovGame::OrderWd},
     {&TTrovGame::StockW, &TTrovGame::BacklogW, &TTrovGame::OrderRd},
     {&TTrovGame::StockR, &TTrovGame::BacklogR, &TTrovGame::Market}}};

const std::array<TTrovGame::TMoneyHistoryField, 3> TTrovGame::kMoneyHistories = {
    {{&TTrovGame::InvCost, kMaxWeeklyCost},
     {&TTrovGame::BacklogCost, kMaxWeeklyCost},
     {&TTrovGame::TotalCost, 2 * kMaxWeeklyCost}}};

TPlayerData TPlayerData::ForClient(platform::TConnection* Socket) {
    TPlayerData p;
    p.Owner = owClient;
    p.TimeStamp = platform::Now();
    p.Socket = Socket;
    return p;
}

TPlayerData TPlayerData::ForServer(int Role) {
    static const std::array<const char*, kRoleCount> names = {
        "Factory(server operation)", "Distributor(server operation)",
        "Wholesaler(server operation)", "Retailer(server operation)"};
    TPlayerData p;
    p.Accepted = true;
    p.Name = names[static_cast<std::size_t>(RoleIndex(Role))];
    p.Role = static_cast<std::uint8_t>(Role);
    p.TimeStamp = platform::Now();
    return p;
}

TTrovGame::TTrovGame(platform::HWND AWnd) : FWnd(AWnd) {
    Init();
}

TTrovGame::~TTrovGame() {
    FFinalTurn = 1;
    Init();
}

void TTrovGame::Init() {
    FTurn = 0;
    FState = gsPreparing;
    FLeftAtEnd.fill(false);
    SetFinalTurn(FFinalTurn);
    for (auto history : kHistories) std::fill((this->*history).begin(), (this->*history).end(), 0);
    for (const auto& costs : kMoneyHistories)
        std::fill((this->*costs.Field).begin(), (this->*costs.Field).end(), 0);
    SetDefaultFirstValues();
    SetDefaultMarket(kDefaultMarketBase);
    for (int r : kRoleNumbers) FLocalPlayers[RoleIndex(r)] = TPlayerData::ForServer(r);
}

void TTrovGame::SetFinalTurn(std::int8_t N) {
    if (FFinalTurn < 1 || N < 1) return;
    // A game can be shortened at the soonest to the week it has reached, in every state: its
    // histories must still hold every week it has played, which a resumed game steps on from
    // and a finished game's file carries (a file whose week lies past its week count is
    // refused). Only a new game, back at week 0, can have fewer weeks.
    if (N < FTurn) N = FTurn;
    FFinalTurn = N;
    for (auto history : kHistories) (this->*history).resize(static_cast<std::size_t>(N), 0);
    for (const auto& costs : kMoneyHistories)
        (this->*costs.Field).resize(static_cast<std::size_t>(N), 0);
}

void TTrovGame::SetDefaultFirstValues() {
    if (StockF.empty()) return;
    for (int i = 0; i < kFirstValueCount; ++i) History(i)[0] = 4;
    for (const auto& role : kRoleHistories) {
        (this->*role.Stock)[0] = 12;
        (this->*role.Backlog)[0] = 0;
    }
}

namespace {

// The default demand of week t: Base in weeks 0 to 4, then 8.
std::uint8_t DefaultDemand(std::size_t t, std::uint8_t Base) {
    return t < 5 ? Base : 8;
}

} // namespace

void TTrovGame::SetDefaultMarket(std::uint8_t Base) {
    for (std::size_t t = 0; t < Market.size(); ++t) Market[t] = DefaultDemand(t, Base);
}

bool TTrovGame::IsDefaultMarket(std::uint8_t Base) const {
    for (std::size_t t = 0; t < Market.size(); ++t)
        if (Market[t] != DefaultDemand(t, Base)) return false;
    return true;
}

void TTrovGame::SetRandomMarket(std::uint8_t Lo, std::uint8_t Hi) {
    if (Market.empty()) return;
    if (Lo > Hi) Hi = Lo;
    for (auto& demand : Market)
        demand = Lo == Hi ? Lo : static_cast<std::uint8_t>(Random(Hi - Lo) + Lo);
}

void TTrovGame::SetRandomFirstValues(std::uint8_t Lo, std::uint8_t Hi) {
    if (FFinalTurn < 1 || StockF.empty()) return;
    if (Lo > Hi) Hi = Lo;
    for (int i = 0; i < kFirstValueCount; ++i)
        History(i)[0] = Lo == Hi ? Lo : static_cast<std::uint8_t>(Random(Hi - Lo) + Lo);
}

bool TTrovGame::CanStart() const {
    // Every role seated, admitted, with an owner (a client one still connected) and a
    // shipping mode that its owner can play.
    for (int r : kRoleNumbers) {
        const TPlayerData* p = FPlayers[r];
        if (!p || p->Role != r || !p->Accepted || p->Owner == owUnset ||
            (p->Owner == owClient && !p->Socket) || p->ShipMode == smUnset ||
            (p->Owner == owAuto && p->ShipMode == smManual))
            return false;
    }
    return FState != gsRunning;
}

bool TTrovGame::IsRoleFree(std::uint8_t Role) const {
    if (!IsRoleNumber(Role)) return false;
    return !FPlayers[Role] || FPlayers[Role]->Owner == owUnset;
}

bool TTrovGame::NeedsServerOrder(std::uint8_t Role) const {
    if (!IsRoleNumber(Role) || !FPlayers[Role]) return false;
    return FState == gsRunning && FPlayers[Role]->Owner == owServer && FPlayers[Role]->Order < 0;
}

void TTrovGame::Seat(int Role, TPlayerData* Player) {
    if (IsRoleNumber(Role)) FPlayers[Role] = Player;
}

void TTrovGame::Vacate(const TPlayerData* Player) {
    if (!Player) return;
    for (int r : kRoleNumbers)
        if (FPlayers[r] == Player) FPlayers[r] = nullptr;
}

bool TTrovGame::IsClientRole(int Role) const {
    return IsRoleNumber(Role) && FPlayers[Role] && FPlayers[Role]->Owner == owClient;
}

platform::TConnection* TTrovGame::ClientSocket(int Role) const {
    return IsClientRole(Role) ? FPlayers[Role]->Socket : nullptr;
}

void TTrovGame::SendToClientRoles(const std::string& message) const {
    ForEachClientSocket([&](platform::TConnection* socket) { socket->SendText(message); });
}

void TTrovGame::Start() {
    if (!CanStart()) return;
    FLeftAtEnd.fill(false); // every role is played again
    if (FState == gsFinished) {
        FTurn = 0;
        FState = gsPreparing;
        SetFinalTurn(FFinalTurn);
    }
    if (FState == gsPreparing) {
        // A new game waits for its own decisions: inputs left from an earlier game (the game
        // master's automatic last ones, a client's final answer) are dropped.
        for (int r : kRoleNumbers) {
            FPlayers[r]->Order = -1;
            FPlayers[r]->Shipment = -1;
        }
        CalcCosts(FTurn);
        SendToClientRoles(kStartMessage);
        ++FTurn;
    } else if (FState == gsPaused) {
        SendToClientRoles(kRestartMessage);
    }
    platform::Beep();
    FState = gsRunning;
    SendState();
}

void TTrovGame::Stop() {
    if (FState != gsRunning) return;
    FState = FTurn < FFinalTurn ? gsPaused : gsFinished;
    platform::Beep();
}

bool TTrovGame::HasDecided(int r) const {
    if (FTurn >= FFinalTurn && FLeftAtEnd[r]) return true;
    const TPlayerData* p = FPlayers[r];
    return p && p->Owner != owUnset && p->ShipMode != smUnset &&
           (p->Owner == owAuto || p->Order >= 0) && (p->ShipMode != smManual || p->Shipment >= 0);
}

int TTrovGame::ProceedTurn() {
    if (FState != gsRunning) return -1;
    for (int r : kRoleNumbers)
        if (!HasDecided(r)) return -1;

    platform::Beep();
    if (FTurn < FFinalTurn) {
        ProcessWeek();
        return 0;
    }
    FState = gsFinished;
    CalcSummary(static_cast<std::int8_t>(FTurn - 1));
    return 1;
}

bool TTrovGame::LeaveAtEnd(const TPlayerData* Player) {
    if (FState != gsRunning || FTurn < FFinalTurn || !Player || Player->Owner != owClient)
        return false;
    bool left = false;
    for (int r : kRoleNumbers) {
        if (FPlayers[r] != Player) continue;
        FPlayers[r] = nullptr;
        FLeftAtEnd[r] = left = true;
    }
    return left;
}

namespace {

// The wanted shipment of a role: with All shipping its incoming order plus its backlog (as
// a byte, stored into the signed field), with Auto shipping a draw, with Manual shipping
// what was entered.
std::int8_t WantedShipment(TPlayerData& player, std::uint8_t allSum) {
    if (player.ShipMode == smAll)
        player.Shipment = static_cast<std::int8_t>(allSum);
    else if (player.ShipMode == smAuto)
        player.Shipment = static_cast<std::int8_t>(Random(4) + 2);
    return player.Shipment;
}

// What a role ships and the backlog it carries, from its inventory after this week's
// arrival, its incoming order and the wanted shipment. The comparisons are signed: a wanted
// shipment of 128 or more (only possible as the All sum) counts as negative.
void Ship(std::uint8_t stock, std::uint8_t incoming, std::int8_t wanted, std::uint8_t& shipment,
          std::uint8_t& backlog) {
    int x = stock, i = incoming, s = wanted;
    if (x < s) {
        shipment = stock;
        backlog = static_cast<std::uint8_t>(s - x);
    } else if (i > s) {
        shipment = static_cast<std::uint8_t>(s);
        backlog = static_cast<std::uint8_t>(i - s);
    } else {
        shipment = static_cast<std::uint8_t>(s);
        backlog = 0;
    }
}

} // namespace

void TTrovGame::ProcessWeek() {
    const int t = FTurn;
    if (t < 1 || t >= FFinalTurn) return;
    const int w = t - 1;
    auto u8 = [](int v) { return static_cast<std::uint8_t>(v); };
    TPlayerData& factory = *FPlayers[rlFactory];
    TPlayerData& distributor = *FPlayers[rlDistributor];
    TPlayerData& wholesaler = *FPlayers[rlWholesaler];
    TPlayerData& retailer = *FPlayers[rlRetailer];

    for (int r : kRoleNumbers)
        if (FPlayers[r]->Owner == owAuto)
            FPlayers[r]->Order = static_cast<std::int8_t>(Random(4) + 2);

    // One role's week: last week's arrival joins its inventory, and it ships what it can of the
    // order it received last week and its backlog.
    auto serve = [&](THistory& stock, const THistory& arrival, const THistory& incoming,
                     TPlayerData& player, THistory& shipment, THistory& backlog) {
        stock[t] = u8(stock[w] + arrival[w]);
        Ship(stock[t], incoming[w], WantedShipment(player, u8(incoming[w] + backlog[w])),
             shipment[t], backlog[t]);
        stock[t] = u8(stock[t] - shipment[t]);
    };

    ProdF1[t] = OrderF[w];
    ProdF2[t] = ProdF1[w];
    serve(StockF, ProdF2, OrderDd, factory, ShipF, BacklogF);
    TransD[t] = ShipF[w];
    serve(StockD, TransD, OrderWd, distributor, ShipD, BacklogD);
    TransW[t] = ShipD[w];
    serve(StockW, TransW, OrderRd, wholesaler, ShipW, BacklogW);
    TransR[t] = ShipW[w];
    serve(StockR, TransR, Market, retailer, ShipR, BacklogR);

    OrderR[t] = u8(retailer.Order);
    OrderRd[t] = OrderR[w];
    OrderW[t] = u8(wholesaler.Order);
    OrderWd[t] = OrderW[w];
    OrderD[t] = u8(distributor.Order);
    OrderDd[t] = OrderD[w];
    OrderF[t] = u8(factory.Order);

    CalcCosts(t);

    for (int r : kRoleNumbers) FPlayers[r]->Order = -1;
    for (int r : kRoleNumbers) FPlayers[r]->Shipment = -1;
    FTurn = static_cast<std::int8_t>(t + 1);

    if (FTurn >= FFinalTurn) {
        for (int r : kRoleNumbers)
            if (FPlayers[r] && FPlayers[r]->Owner == owServer) FPlayers[r]->Order = 0;
        for (int r : kRoleNumbers)
            if (FPlayers[r] && FPlayers[r]->Owner == owServer) FPlayers[r]->Shipment = 0;
        platform::PostMessage(FWnd, WM_GAMEFINALWEEK, 0, 0);
    }
    SendState();
}

void TTrovGame::CalcCosts(int t) {
    if (t < 0 || t >= static_cast<int>(InvCost.size())) return;
    int stock = 0, backlog = 0;
    for (const auto& role : kRoleHistories) {
        stock += (this->*role.Stock)[t];
        backlog += (this->*role.Backlog)[t];
    }
    InvCost[t] = stock * FInvUnitCost;
    BacklogCost[t] = backlog * FBacklogUnitCost;
    TotalCost[t] = InvCost[t] + BacklogCost[t];
}

void TTrovGame::SendState() {
    std::string weekText = FTurn >= FFinalTurn ? std::string(kFinalWeekValue) : NumToHex(FTurn);
    ForEachClientSocket(
        [&](platform::TConnection* socket) { SendStateToSocket(socket, weekText); });
}

void TTrovGame::SendStateToSocket(platform::TConnection* socket,
                                  const std::string& weekText) const {
    if (!socket || !socket->Connected()) return;
    const int w = FTurn - 1;
    if (w < 0 || w >= static_cast<int>(StockF.size())) return;
    auto send = [socket](TStateItem item, int role, std::uint8_t value) {
        socket->SendText(StateValueMessage({item, role}, value));
    };
    socket->SendText(WeekMessage(weekText));
    for (int n = 0; n < 4; ++n) send(TStateItem::Stock, n, (this->*kRoleHistories[n].Stock)[w]);
    for (int n = 0; n < 4; ++n) {
        const TRoleHistoryFields& role = kRoleHistories[n];
        if (IsClientRole(RoleNumber(n))) send(TStateItem::Demand, n, (this->*role.Demand)[w]);
        send(TStateItem::Backlog, n, (this->*role.Backlog)[w]);
    }
}
