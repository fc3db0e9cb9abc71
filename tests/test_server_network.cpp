// The server window on the network: test peers connect over TCP on 127.0.0.1 to the
// listening window and check the exact bytes in both directions.
#include "server/TS_Main.h"
#include "support/Ports.h"
#include "support/ScriptedDialogs.h"
#include "support/TestPeer.h"

#include "platform/ListView.h"
#include "platform/RadioGroup.h"
#include "platform/SocketsTestHooks.h"
#include "platform/SpinEdit.h"
#include "platform/StatusBar.h"
#include "shared/Role.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <numeric>
#include <sys/socket.h>
#include <utility>

using namespace platform;

namespace {

const std::string kPause = "Pause\x81\x40\x81\x47\x81\x40"
                           "disconnected from a client.";

// Messages that the refreshes repeat between the main ones.
bool IsRepetition(const std::string& m) {
    for (const char* prefix : {"TS_Pl:", "TS_GN:", "TS_MS:", "TS_Jn:", "TS_Od:"})
        if (m.rfind(prefix, 0) == 0) return true;
    return false;
}

// Checks that `got` is `expected` in order, with only repetitions in between.
::testing::AssertionResult InOrder(const Lines& got, const Lines& expected) {
    std::size_t j = 0;
    for (const std::string& m : got) {
        if (j == expected.size()) break; // what follows is not checked
        if (m == expected[j]) {
            ++j;
        } else if (!IsRepetition(m)) {
            return ::testing::AssertionFailure()
                   << "unexpected \"" << m << "\" while waiting for \""
                   << (j < expected.size() ? expected[j] : "nothing") << "\"";
        }
    }
    if (j < expected.size())
        return ::testing::AssertionFailure() << "missing \"" << expected[j] << "\"";
    return ::testing::AssertionSuccess();
}

} // namespace

class ServerNetwork : public ::testing::Test {
protected:
    void SetUp() override {
        RandomSeed = 0;
        UseAnyFreePort(form);
        form.CheckBox_Server->setChecked(true);
        ASSERT_TRUE(form.ServerSocket->Active());
        port = static_cast<quint16>(form.ServerSocket->LocalPort());
        // The loop-back connection to the machine's own name.
        ASSERT_TRUE(WaitUntil([&] { return form.ServerSocket->ActiveConnections() == 1; }));
        dialogs.Clear();
    }

    // A peer that has connected and named itself (and wished a role when given one).
    std::unique_ptr<TestPeer> Join(const std::string& name, const std::string& role = "") {
        auto peer = std::make_unique<TestPeer>();
        EXPECT_TRUE(peer->Connect(port));
        peer->Send("TC_PN:" + name + "\t");
        if (!role.empty()) peer->Send("TC_PT:" + role + "\t");
        EXPECT_TRUE(peer->WaitForMessage("TS_Cn:Welcome!\t"));
        // A role code is taken when the row shows its word.
        if (const int wish = RoleIndexOfCode(role); wish >= 0) {
            EXPECT_TRUE(WaitUntil([&] { return WishOf(name) == RoleWord(wish); }));
        } else if (!role.empty()) {
            EXPECT_TRUE(peer->SyncWithServer()); // an unknown code shows nothing to wait for
        }
        return peer;
    }

    // The wish column of a player's row; empty without a row.
    std::string WishOf(const std::string& name) {
        TListItem* row = Row(name);
        return row && !row->SubItems().empty() ? row->SubItems()[0] : std::string();
    }

    // The list row of a player.
    TListItem* Row(const std::string& name) {
        for (int i = 0; i < form.ListView_Connect->Count(); ++i)
            if (form.ListView_Connect->Item(i)->Caption() == name)
                return form.ListView_Connect->Item(i);
        return nullptr;
    }

    void Admit(const std::string& name) {
        TListItem* row = Row(name);
        ASSERT_NE(row, nullptr) << name;
        row->SetChecked(true);
    }

    // Every role not played by a peer goes to the computer with the given shipping.
    void ComputerPlays(std::initializer_list<int> roles, int shipItem = 1) {
        for (int r : roles) {
            form.Roles[r - 1].ShipM->SetItemIndex(shipItem);
            form.Roles[r - 1].Owner->SetItemIndex(2);
        }
    }

    // The shortest game (ten weeks played, then the final answers), in which Anna plays the
    // Factory and Bert the Distributor (both joined and admitted), the computer the other roles.
    std::pair<std::unique_ptr<TestPeer>, std::unique_ptr<TestPeer>> GameOfTwo() {
        form.SpinEdit_FinalTurn->SetText("10");
        form.SpinEdit_Exit(form.SpinEdit_FinalTurn);
        ComputerPlays({3, 4});
        auto anna = Join("Anna", "Ft");
        auto bert = Join("Bert", "W1");
        Admit("Anna");
        Admit("Bert");
        return {std::move(anna), std::move(bert)};
    }
    static std::string Decision(const std::string& code, const std::string& role, int week,
                                int amount) {
        return "TC_" + code + ":" + role + ":T" + NumToHex(week) + ":" + NumToHex(amount) + "\t";
    }
    // Starts the game from the generator's first draw; the Factory and the Distributor order
    // in every week up to `last` (0: every week, after which the end is announced).
    void PlayWeeks(TestPeer& factory, TestPeer& distributor, int last = 0) {
        RandomSeed = 0;
        form.Button_StartClick(nullptr);
        ASSERT_EQ(form.Game()->FState, gsRunning);
        const int n = form.Game()->FFinalTurn;
        for (int week = 1; week < (last ? last + 1 : n); ++week) {
            const std::string next =
                week + 1 < n ? "TS_Tn:" + NumToHex(week + 1) + "\t" : std::string("TS_Tn:Fn\t");
            factory.Clear();
            distributor.Clear();
            factory.Send(Decision("PO", "Ft", week, week + 2));
            distributor.Send(Decision("PO", "W1", week, 5));
            ASSERT_TRUE(factory.WaitForMessage(next));
            ASSERT_TRUE(distributor.WaitForMessage(next));
        }
    }
    // The final answers a client sends on the end's announcement.
    void AnswerTheEnd(TestPeer& peer, const std::string& role) {
        const int n = form.Game()->FFinalTurn;
        peer.Send(Decision("PO", role, n, 0) + Decision("PS", role, n, 0));
    }
    // Waits for the end of the game at a player's station: the report, then "TS_Gm:Over!", and
    // no pause before them.
    static ::testing::AssertionResult GetsTheResult(TestPeer& peer) {
        if (!peer.WaitForMessage("TS_Gm:Over!\t"))
            return ::testing::AssertionFailure() << "no \"TS_Gm:Over!\"";
        const Lines m = peer.Messages();
        const auto over = std::find(m.begin(), m.end(), "TS_Gm:Over!\t");
        if (std::find(m.begin(), over, "TS_Gm:Pause!\t") != over)
            return ::testing::AssertionFailure() << "paused before the end";
        if (over == m.begin() || (over - 1)->rfind("TS_SM:*Result of [", 0) != 0)
            return ::testing::AssertionFailure() << "no report before \"TS_Gm:Over!\"";
        return ::testing::AssertionSuccess();
    }
    // The first line of the result report.
    std::string ResultHead() const { return "*Result of [" + form.Game()->FGroupName + "]*"; }
    // The texts of the boxes shown, each cut to its first line.
    Lines BoxHeads() const {
        Lines heads;
        for (const auto& box : dialogs.Boxes())
            heads.push_back(box.text.substr(0, box.text.find('\r')));
        return heads;
    }

    ScriptedDialogs dialogs;
    TTrovGameServerForm form;
    quint16 port = 0;
};

TEST_F(ServerNetwork, ExampleExchangeWithOneFactoryPlayer) {
    form.Edit_GroupName->setText("Benvik Group");
    form.Edit_GroupNameExit(form.Edit_GroupName);
    form.RadioGroup_FtShipM->SetItemIndex(0); // Manual
    ComputerPlays({2, 3, 4}, 2);

    auto peer = std::make_unique<TestPeer>();
    ASSERT_TRUE(peer->Connect(port));
    peer->Send("TC_PN:Client A\t");
    peer->Send("TC_PT:Ft\t");
    ASSERT_TRUE(peer->WaitForMessage("TS_Cn:Welcome!\t"));
    // Admitting below seats the player in the role its wish shows.
    ASSERT_TRUE(WaitUntil([&] { return WishOf("Client A") == "Factory"; }));
    EXPECT_EQ(peer->Messages().front(), "TS_Cn:Welcome!\t");

    Admit("Client A");
    EXPECT_EQ(form.Game()->FPlayers[1]->Name, "Client A");
    EXPECT_EQ(form.Game()->FPlayers[1]->ShipMode, smManual);
    ASSERT_TRUE(peer->WaitForMessage("TS_Jn:Rt:T\t"));

    form.Button_StartClick(form.Button_Start);
    EXPECT_EQ(form.Game()->FState, gsRunning);
    ASSERT_TRUE(peer->WaitForMessage("TS_BC3:00\t"));

    peer->Send("TC_PO:Ft:T01:06\t");
    ASSERT_TRUE(peer->WaitForMessage("TS_PO:Received!:06\t"));
    peer->Send("TC_PS:Ft:T01:04\t");
    ASSERT_TRUE(peer->WaitForMessage("TS_Tn:02\t"));
    // The order status of the new week follows its state block.
    ASSERT_TRUE(WaitUntil([&] {
        const Lines m = peer->Messages();
        return std::find(std::find(m.begin(), m.end(), "TS_Tn:02\t"), m.end(), "TS_Od:Rt:F\t") !=
               m.end();
    }));

    EXPECT_TRUE(InOrder(peer->Messages(), {"TS_Cn:Welcome!\t",     "TS_Pl:Let's Play!\t",
                                           "TS_GN:Benvik Group\t", "TS_MS:T\t",
                                           "TS_Jn:Ft:T\t",         "TS_Jn:W1:T\t",
                                           "TS_Jn:W2:T\t",         "TS_Jn:Rt:T\t",
                                           "TS_Gm:Start!\t",       "TS_Tn:01\t",
                                           "TS_Ft:0C\t",           "TS_W1:0C\t",
                                           "TS_W2:0C\t",           "TS_Rt:0C\t",
                                           "TS_Dm0:04\t",          "TS_BC0:00\t",
                                           "TS_BC1:00\t",          "TS_BC2:00\t",
                                           "TS_BC3:00\t",          "TS_PO:Received!:06\t",
                                           "TS_Od:Ft:T\t",         "TS_Od:W1:F\t",
                                           "TS_Od:W2:F\t",         "TS_Od:Rt:F\t",
                                           "TS_PS:Received!:04\t", "TS_Tn:02\t"}));
    EXPECT_EQ(form.Game()->FTurn, 2);
    EXPECT_EQ(form.Game()->OrderF[1], 6);
    EXPECT_EQ(form.Game()->ShipF[1], 4);

    peer->Clear();
    peer->Send("TC_SM:Ft:Sv:Hello\r\t");
    ASSERT_TRUE(WaitUntil([&] { return dialogs.Boxes().size() == 1; }));
    EXPECT_EQ(dialogs.Trace().back(), "information(OK): FactoryMessage\r\rHello");
}

TEST_F(ServerNetwork, AStationThatNamesItselfIsToldWhichRolesAreTaken) {
    form.RadioGroup_FtShipM->SetItemIndex(1);
    form.RadioGroup_FtOwner->SetItemIndex(1); // the game master plays the Factory
    auto peer = Join("Anna");
    ASSERT_TRUE(peer->WaitForMessages(5));
    EXPECT_EQ(peer->Messages(), (Lines{"TS_Cn:Welcome!\t", "TS_Jn:Ft:T\t", "TS_Jn:W1:F\t",
                                       "TS_Jn:W2:F\t", "TS_Jn:Rt:F\t"}));
}

TEST_F(ServerNetwork, NamesAreUniqueWithRegardToCase) {
    auto first = Join("Anna");
    auto second = std::make_unique<TestPeer>();
    ASSERT_TRUE(second->Connect(port));
    second->Send("TC_PN:Anna\t");
    ASSERT_TRUE(second->WaitClosed());
    EXPECT_EQ(second->Received(), "TS_Du:Name\t");

    auto third = Join("anna");
    EXPECT_TRUE(third->Connected());
    EXPECT_NE(Row("Anna"), nullptr);
    EXPECT_NE(Row("anna"), nullptr);

    // Repeating one's own name counts as taken.
    first->Clear();
    first->Send("TC_PN:Anna\t");
    ASSERT_TRUE(first->WaitClosed());
    EXPECT_EQ(first->Received(), "TS_Du:Name\t");
}

TEST_F(ServerNetwork, MalformedLinesCloseTheConnectionWithoutReply) {
    for (std::string bad : {"tc_PN:Anna\t", "TC_PN;Anna\t", "TC_PN:\t", "TC_PN:Bob\t\t"}) {
        TestPeer peer;
        ASSERT_TRUE(peer.Connect(port));
        peer.Send(bad);
        EXPECT_TRUE(peer.WaitClosed()) << bad;
        // The good name before the empty line is still answered, with the roles taken.
        EXPECT_EQ(peer.Received(), bad == "TC_PN:Bob\t\t" ? "TS_Cn:Welcome!\tTS_Jn:Ft:F\t"
                                                            "TS_Jn:W1:F\tTS_Jn:W2:F\tTS_Jn:Rt:F\t"
                                                          : "")
            << bad;
    }
    // A flush that is only NUL has no line at all.
    TestPeer nul;
    ASSERT_TRUE(nul.Connect(port));
    nul.Send(std::string("\0\t", 2));
    EXPECT_TRUE(nul.WaitClosed());
}

TEST_F(ServerNetwork, AStationTheServerClosedIsNotHeardAnyMore) {
    auto anna = Join("Anna");
    // Closed for a bad line, and for a taken name: what follows in the same send is not acted
    // on, though it would name the station and reach the game master.
    for (std::string first : {"TC_PN;Eve\t", "TC_PN:Anna\t"}) {
        TestPeer eve;
        ASSERT_TRUE(eve.Connect(port));
        eve.Send(first + "TC_PN:Eve\tTC_SM:Ft:Sv:heard after the close\t");
        EXPECT_TRUE(eve.WaitClosed()) << first;
    }
    ASSERT_TRUE(anna->SyncWithServer());
    EXPECT_EQ(Row("Eve"), nullptr);
    EXPECT_TRUE(dialogs.Boxes().empty());
}

TEST_F(ServerNetwork, RoleWishKeepsTheLastKnownRole) {
    auto peer = Join("Anna", "Ft");
    peer->Send("TC_PT:UK\t");
    ASSERT_TRUE(peer->SyncWithServer());
    ASSERT_NE(Row("Anna"), nullptr);
    EXPECT_EQ(Row("Anna")->SubItems()[0], "Factory");
    peer->Send("TC_PT:rt\t"); // role codes are compared with regard to case
    ASSERT_TRUE(peer->SyncWithServer());
    EXPECT_EQ(Row("Anna")->SubItems()[0], "Factory");
    peer->Send("TC_PT:Rt\t");
    ASSERT_TRUE(WaitUntil([&] { return WishOf("Anna") == "Retailer"; }));
    EXPECT_EQ(Row("Anna")->SubItems()[2], "127.0.0.1");
    EXPECT_EQ(Row("Anna")->SubItems()[3], std::to_string(peer->Socket()->localPort()));
}

TEST_F(ServerNetwork, AnAdmittedPlayerCannotWishItselfIntoAnotherRole) {
    auto anna = Join("Anna", "Ft");
    auto bert = Join("Bert", "W1");
    Admit("Anna");
    Admit("Bert");
    anna->Send("TC_PT:W1\t");
    ASSERT_TRUE(anna->SyncWithServer());
    EXPECT_EQ(form.Game()->FPlayers[1]->Name, "Anna");
    EXPECT_EQ(form.Game()->FPlayers[2]->Name, "Bert");
    EXPECT_EQ(Row("Anna")->SubItems()[0], "Factory");

    // Once refused, the player may wish again.
    Row("Anna")->SetChecked(false);
    anna->Send("TC_PT:W2\t");
    EXPECT_TRUE(WaitUntil([&] { return WishOf("Anna") == "Wholesaler"; }));
}

TEST_F(ServerNetwork, OrdersAreCheckedBeforeTheyAreTaken) {
    ComputerPlays({2, 3, 4});
    form.RadioGroup_FtShipM->SetItemIndex(0); // the week waits for the Factory's shipment
    auto peer = Join("Anna", "Ft");
    Admit("Anna");
    peer->Send("TC_PO:Ft:T01:05\t");
    ASSERT_TRUE(peer->SyncWithServer());
    TPlayerData* anna = form.Game()->FPlayers[1];
    ASSERT_NE(anna, nullptr);
    EXPECT_EQ(anna->Order, -1) << "not running yet";

    form.Button_StartClick(nullptr);
    ASSERT_TRUE(peer->WaitForMessage("TS_BC3:00\t"));
    peer->Clear();
    for (const char* bad : {"TC_PO:Ft:T02:05\t", "TC_PO:ft:T01:05\t", "TC_PO:Ft:T01:005\t",
                            "TC_PO:Ft-T01:05\t", "TC_PO:W1:T01:05\t"}) {
        peer->Send(bad);
        ASSERT_TRUE(peer->SyncWithServer());
        EXPECT_EQ(anna->Order, -1) << bad;
    }
    EXPECT_EQ(peer->Received(), "");

    peer->Send("TC_PO:Ft:T01:0a\t");
    ASSERT_TRUE(peer->WaitForMessage("TS_PO:Received!:0A\t"));
    EXPECT_EQ(anna->Order, 10);
    peer->Clear();
    peer->Send("TC_PO:Ft:T01:80\t"); // stored as -128: the order is cancelled, no reply
    ASSERT_TRUE(peer->SyncWithServer());
    EXPECT_EQ(anna->Order, -128);
    EXPECT_EQ(peer->Received(), "");

    form.Button_StopClick(nullptr);
    ASSERT_TRUE(peer->WaitForMessage("TS_Gm:Pause!\t"));
    peer->Clear();
    peer->Send("TC_PO:Ft:T01:05\t");
    ASSERT_TRUE(peer->SyncWithServer());
    EXPECT_EQ(anna->Order, -128) << "nothing is taken while paused";
    EXPECT_EQ(peer->Received(), "");
}

TEST_F(ServerNetwork, ChatGoesToTheTargetRoleTheSenderOrTheServer) {
    auto anna = Join("Anna", "Ft");
    auto bert = Join("Bert", "W2");
    Admit("Anna");
    Admit("Bert");
    anna->Clear();
    bert->Clear();

    anna->Send("TC_SM:Ft:Ft:hello\r\t");
    ASSERT_TRUE(anna->WaitForMessage("TS_SM:FactoryMessage\r\rhello\r\t"));
    // Pieces of ten bytes each, CR after each line.
    anna->Clear();
    anna->Send("TC_SM:Ft:W2:two\rlines\r\t");
    ASSERT_TRUE(bert->WaitForMessage("TS_SM:FactoryMessage\r\rtwo\rlines\r\t"));
    ASSERT_TRUE(anna->SyncWithServer());
    EXPECT_EQ(anna->Received().find("TS_SM"), std::string::npos);

    bert->Clear();
    anna->Send("TC_SM:Ft:W1:nobody plays\r\t"); // the role is free: dropped
    anna->Send("TC_SM:Xx:Sv:odd sender\r\t");   // shown with the sender's own role
    ASSERT_TRUE(WaitUntil([&] { return dialogs.Boxes().size() == 1; }));
    EXPECT_EQ(dialogs.Trace(), (Lines{"beep", "information(OK): FactoryMessage\r\rodd sender"}));
    EXPECT_EQ(bert->Received().find("TS_SM"), std::string::npos);

    // A text longer than a box can show is cut for the box, with a note.
    dialogs.Clear();
    anna->Send("TC_SM:Ft:Sv:" + std::string(60000, 'x') + "\t");
    ASSERT_TRUE(WaitUntil([&] { return dialogs.Boxes().size() == 1; }));
    const std::string shown = dialogs.Trace().back();
    EXPECT_LT(shown.size(), 2200u);
    EXPECT_NE(shown.find("\r\n(The message was too long and has been cut.)"), std::string::npos);
}

TEST_F(ServerNetwork, NoStationSpeaksForAnotherOrForTheGameMaster) {
    auto anna = Join("Anna", "Ft");
    auto bert = Join("Bert", "W2");
    auto mallory = Join("Mallory", "W1"); // named, never admitted
    Admit("Anna");
    Admit("Bert");
    TestPeer stranger; // never names itself
    ASSERT_TRUE(stranger.Connect(port));
    anna->Clear();

    stranger.Send("TC_SM:Sv:Ft:You have been disconnected by the game master\t");
    stranger.Send("TC_SM:Ft:Sv:from nobody\t");
    stranger.Send("TC_SM:Sv:Sv:to myself\t"); // a station may write to itself, as itself
    ASSERT_TRUE(stranger.WaitForMessage("TS_SM:UnKnownMessage\r\rto myself\r\t"));
    mallory->Send("TC_SM:W1:Ft:not admitted\t");
    mallory->Send("TC_SM:Rt:Sv:hello\t"); // to the game master, with its own role
    ASSERT_TRUE(WaitUntil([&] { return dialogs.Boxes().size() == 1; }));
    bert->Send("TC_SM:Sv:Ft:as the game master\t");
    bert->Send("TC_SM:W2:Ft:last\t");
    ASSERT_TRUE(anna->WaitForMessage("TS_SM:WholesalerMessage\r\rlast\r\t"));

    Lines texts;
    for (const std::string& m : anna->Messages())
        if (m.rfind("TS_SM:", 0) == 0) texts.push_back(m);
    EXPECT_EQ(texts, (Lines{"TS_SM:WholesalerMessage\r\ras the game master\r\t",
                            "TS_SM:WholesalerMessage\r\rlast\r\t"}));
    EXPECT_EQ(dialogs.Boxes().size(), 1u);
    // Named and wishing the Distributor, but not admitted: no role of its own yet.
    EXPECT_EQ(dialogs.Boxes().front().text, "UnKnownMessage\r\rhello");
}

TEST_F(ServerNetwork, InterleavedPartialMessagesAreFramedPerConnection) {
    TestPeer a, b;
    ASSERT_TRUE(a.Connect(port));
    ASSERT_TRUE(b.Connect(port));
    // The pauses make each piece arrive as a read of its own.
    a.Send("TC_PN:Al");
    Settle(30);
    b.Send("TC_PN:Bo");
    Settle(30);
    a.Send("pha\tTC_PT:W");
    Settle(30);
    b.Send("b\t");
    Settle(30);
    a.Send("1\t");
    ASSERT_TRUE(a.WaitForMessage("TS_Cn:Welcome!\t"));
    ASSERT_TRUE(b.WaitForMessage("TS_Cn:Welcome!\t"));
    EXPECT_TRUE(WaitUntil([&] { return WishOf("Alpha") == "Distributor"; }));
    ASSERT_NE(Row("Bob"), nullptr);
}

TEST_F(ServerNetwork, LosingAnAdmittedPlayerPausesTheGame) {
    ComputerPlays({3, 4});
    auto anna = Join("Anna", "Ft");
    auto bert = Join("Bert", "W1");
    Admit("Anna");
    Admit("Bert");
    form.Button_StartClick(nullptr);
    ASSERT_EQ(form.Game()->FState, gsRunning);
    bert->Clear();
    dialogs.Clear();

    bool runningWhileOpen = false;
    dialogs.Answer(mrOk, [&] { runningWhileOpen = form.Game()->FState == gsRunning; });
    anna->Close();
    ASSERT_TRUE(WaitUntil([&] { return form.Game()->FState == gsPaused; }));
    EXPECT_TRUE(runningWhileOpen) << "the game pauses once the box is closed";
    EXPECT_EQ(dialogs.Trace(), (Lines{"beep", "box(Information; OK): " + kPause, "beep"}));
    ASSERT_TRUE(bert->WaitForMessage("TS_Gm:Pause!\t"));
    EXPECT_EQ(form.Game()->FPlayers[1], nullptr);
    EXPECT_EQ(Row("Anna"), nullptr);
}

TEST_F(ServerNetwork, APlayerLostWhileThePauseBoxIsOpenIsLeftToThatBox) {
    ComputerPlays({4});
    auto anna = Join("Anna", "Ft");
    auto bert = Join("Bert", "W1");
    auto cara = Join("Cara", "W2");
    for (const char* name : {"Anna", "Bert", "Cara"}) Admit(name);
    form.Button_StartClick(nullptr);
    ASSERT_EQ(form.Game()->FState, gsRunning);
    ASSERT_TRUE(cara->WaitForMessage("TS_BC3:00\t"));
    dialogs.Clear();

    bool runningAfterSecondLoss = false, receipt = false;
    dialogs.Answer(mrOk, [&] {
        bert->Close();
        WaitUntil([&] { return form.Game()->FPlayers[2] == nullptr; });
        runningAfterSecondLoss = form.Game()->FState == gsRunning;
        cara->Send("TC_PO:W2:T01:05\t");
        receipt = cara->WaitForMessage("TS_PO:Received!:05\t");
    });
    anna->Close();
    ASSERT_TRUE(WaitUntil([&] { return form.Game()->FState == gsPaused; }));
    EXPECT_TRUE(runningAfterSecondLoss) << "the game runs on while the first box is open";
    EXPECT_TRUE(receipt);
    int pauseBoxes = 0;
    for (const auto& box : dialogs.Boxes()) pauseBoxes += box.text == kPause;
    EXPECT_EQ(pauseBoxes, 1);
    EXPECT_TRUE(cara->WaitForMessage("TS_Gm:Pause!\t"));
    EXPECT_EQ(form.Game()->FPlayers[1], nullptr);
    EXPECT_EQ(form.Game()->FPlayers[2], nullptr);
}

TEST_F(ServerNetwork, APlayerLostAfterAnsweringTheEndLeavesTheGameItsResult) {
    auto [anna, bert] = GameOfTwo();
    PlayWeeks(*anna, *bert);
    dialogs.Clear();
    AnswerTheEnd(*anna, "Ft");
    ASSERT_TRUE(anna->WaitForMessage("TS_PS:Received!:00\t"));
    anna->Close();
    ASSERT_TRUE(WaitUntil([&] { return form.Game()->FPlayers[1] == nullptr; }));
    EXPECT_EQ(form.Game()->FState, gsRunning) << "the game waits for the other player";
    EXPECT_TRUE(dialogs.Boxes().empty());

    bert->Clear();
    AnswerTheEnd(*bert, "W1");
    EXPECT_TRUE(GetsTheResult(*bert));
    EXPECT_EQ(BoxHeads(), (Lines{ResultHead()}));
    EXPECT_EQ(form.Game()->FState, gsFinished);
    std::string lost;
    form.Game()->SaveToStream(&lost);

    // The same decisions, nobody lost: the game's file holds the same.
    anna = Join("Anna", "Ft");
    Admit("Anna");
    PlayWeeks(*anna, *bert);
    AnswerTheEnd(*anna, "Ft");
    ASSERT_TRUE(anna->WaitForMessage("TS_PS:Received!:00\t"));
    AnswerTheEnd(*bert, "W1");
    ASSERT_TRUE(GetsTheResult(*bert));
    std::string played;
    form.Game()->SaveToStream(&played);
    EXPECT_EQ(lost, played);
}

TEST_F(ServerNetwork, APlayerLostBeforeAnsweringTheEndIsNotWaitedFor) {
    auto [anna, bert] = GameOfTwo();
    PlayWeeks(*anna, *bert);
    dialogs.Clear();
    bert->Clear();
    AnswerTheEnd(*bert, "W1");
    ASSERT_TRUE(bert->WaitForMessage("TS_PS:Received!:00\t"));
    anna->Close();
    EXPECT_TRUE(GetsTheResult(*bert));
    EXPECT_EQ(BoxHeads(), (Lines{ResultHead()}));
    const TTrovGame& game = *form.Game();
    EXPECT_EQ(game.FState, gsFinished);
    EXPECT_EQ(game.FSumTotalCost,
              std::accumulate(game.TotalCost.begin(), game.TotalCost.end(), TMoney{0}));
}

TEST_F(ServerNetwork, AGameThatReachesItsEndWhileThePauseBoxIsOpenEndsWithItsResult) {
    auto [anna, bert] = GameOfTwo();
    const int last = form.Game()->FFinalTurn - 1;
    PlayWeeks(*anna, *bert, last - 1);
    dialogs.Clear();
    // Anna orders in the last week and is lost; the game runs on while the box is open.
    anna->Send(Decision("PO", "Ft", last, 4));
    ASSERT_TRUE(anna->WaitForMessage("TS_PO:Received!:04\t"));
    bool answered = false;
    dialogs.Answer(mrOk, [&] {
        bert->Send(Decision("PO", "W1", last, 5));
        answered = bert->WaitForMessage("TS_Tn:Fn\t");
        bert->Clear();
        AnswerTheEnd(*bert, "W1");
        answered = answered && bert->WaitForMessage("TS_PS:Received!:00\t");
    });
    anna->Close();
    EXPECT_TRUE(GetsTheResult(*bert));
    EXPECT_TRUE(answered);
    EXPECT_EQ(BoxHeads(), (Lines{kPause, ResultHead()}));
    EXPECT_EQ(form.Game()->FState, gsFinished);
}

TEST_F(ServerNetwork, SwitchingTheServerOffWhileRunningShowsTheBoxOnce) {
    ComputerPlays({3, 4});
    auto anna = Join("Anna", "Ft");
    auto bert = Join("Bert", "W1");
    Admit("Anna");
    Admit("Bert");
    form.Button_StartClick(nullptr);
    ASSERT_EQ(form.Game()->FState, gsRunning);
    dialogs.Clear();

    form.CheckBox_Server->setChecked(false);
    EXPECT_FALSE(form.ServerSocket->Active());
    EXPECT_EQ(form.ServerSocket->ActiveConnections(), 0);
    int pauseBoxes = 0;
    for (const auto& box : dialogs.Boxes()) pauseBoxes += box.text == kPause;
    EXPECT_EQ(pauseBoxes, 1);
    EXPECT_EQ(form.Game()->FState, gsPaused);
    EXPECT_EQ(form.Game()->FPlayers[1], nullptr);
    EXPECT_EQ(form.Game()->FPlayers[2], nullptr);
    EXPECT_EQ(form.ListView_Connect->Count(), 0);
    EXPECT_TRUE(anna->WaitClosed());
    EXPECT_TRUE(bert->WaitClosed());
    EXPECT_TRUE(form.SpinEdit_Port->isEnabled());
    EXPECT_FALSE(form.Button_Refresh->isEnabled());
}

TEST_F(ServerNetwork, DisconnectClosesEverySelectedPlayerAfterTellingIt) {
    auto a = Join("A", "Ft");
    auto b = Join("B", "W1");
    auto c = Join("C", "W2");
    auto d = Join("D", "Rt");
    for (const char* name : {"A", "B", "C"}) Row(name)->SetSelected(true);
    EXPECT_TRUE(form.Button_Disconnect->isEnabled());
    for (auto* p : {a.get(), b.get(), c.get()}) p->Clear();
    form.Button_DisconnectClick(form.Button_Disconnect);
    for (auto* p : {a.get(), b.get(), c.get()}) {
        EXPECT_TRUE(p->WaitClosed());
        EXPECT_EQ(p->Messages().back(), "TS_Cl:Close\t");
    }
    EXPECT_TRUE(d->Connected());
    EXPECT_EQ(form.ListView_Connect->Count(), 1);
}

TEST_F(ServerNetwork, GameMastersMessageGoesToTheSelectedPlayersInPiecesOfEight) {
    auto a = Join("A", "Ft");
    auto b = Join("B", "W1");
    Row("B")->SetSelected(true);
    a->Clear();
    b->Clear();
    form.Memo_SendMsg->setPlainText("   ");
    form.Button_SendMsgClick(nullptr);
    ASSERT_TRUE(b->SyncWithServer());
    EXPECT_EQ(b->Received().find("TS_SM"), std::string::npos);
    EXPECT_EQ(dialogs.Beeps(), 0);

    form.Memo_SendMsg->setPlainText("line 1\nline 2");
    form.Button_SendMsgClick(nullptr);
    ASSERT_TRUE(b->WaitForMessage("TS_SM:Message from Server\r\rline 1\rline 2\r\t"));
    EXPECT_EQ(form.StatusBar->SimpleText(), "Message has been sent.");
    ASSERT_TRUE(a->SyncWithServer());
    EXPECT_EQ(a->Received().find("TS_SM"), std::string::npos);
}

TEST_F(ServerNetwork, TheGameMastersMessageCarriesNoTab) {
    auto a = Join("A", "Ft");
    Row("A")->SetSelected(true);
    a->Clear();
    // Tab moves the focus on, as in the other fields.
    form.show();
    form.Memo_SendMsg->setFocus();
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier, "\t");
    QApplication::sendEvent(form.Memo_SendMsg, &tab);
    EXPECT_TRUE(form.Memo_SendMsg->toPlainText().isEmpty());
    EXPECT_NE(form.focusWidget(), form.Memo_SendMsg);
    // A pasted TAB (it would end the message on the wire) goes as a blank.
    QApplication::clipboard()->setText("x\ty\t\nz");
    form.Memo_SendMsg->paste();
    ASSERT_EQ(form.Memo_SendMsg->toPlainText(), "x\ty\t\nz");
    form.Button_SendMsgClick(nullptr);
    ASSERT_TRUE(a->WaitForMessage("TS_SM:Message from Server\r\rx y \rz\r\t"));
}

TEST_F(ServerNetwork, PeersThatHoldTooMuchAreClosed) {
    TestPeer talker;
    ASSERT_TRUE(talker.Connect(port));
    talker.Send(std::string(TStation::MaxUnterminated + 1, 'x'));
    EXPECT_TRUE(talker.WaitClosed());

    // A peer that never reads while its echoed chat piles up at the server: closed once the
    // output it does not take stays past the bound.
    form.ServerSocket->StallMs = 200;
    auto reader = Join("Reader", "Ft");
    reader->StopReading();
    const std::string chat = "TC_SM:Ft:Ft:" + std::string(60000, 'y') + "\t";
    bool closed = false;
    for (int i = 0; i < 600 && !closed; ++i) {
        reader->Send(chat);
        closed = reader->WaitClosed(20);
    }
    EXPECT_TRUE(closed);
    EXPECT_EQ(Row("Reader"), nullptr);
}

TEST_F(ServerNetwork, MessagesToTheServerOpenOneBoxAtATimeAndWaitTheirTurn) {
    const std::size_t limit = TTrovGameServerForm::kWaitingServerMessages;
    auto peer = Join("Flood", "Ft");
    Admit("Flood");
    int depth = 0, deepest = 0;
    std::string flood;
    for (std::size_t i = 0; i < limit + 3; ++i) flood += "TC_SM:Ft:Sv:m" + std::to_string(i) + "\t";
    // While the first box is open the others arrive, and are handled meanwhile.
    dialogs.Answer(mrOk, [&] {
        deepest = std::max(deepest, ++depth);
        peer->Send(flood);
        WaitUntil([&] { return form.FServerMessages.Waiting() == limit; });
        // The rest, dropped past the limit, leaves no sign to wait for.
        EXPECT_TRUE(peer->SyncWithServer());
        --depth;
    });
    for (int i = 0; i < 200; ++i)
        dialogs.Answer(mrOk, [&] { deepest = std::max(deepest, ++depth), --depth; });
    peer->Send("TC_SM:Ft:Sv:first\t");
    ASSERT_TRUE(WaitUntil([&] { return dialogs.Boxes().size() == limit + 2; }));
    ASSERT_TRUE(peer->SyncWithServer());
    const auto boxes = dialogs.Boxes();
    ASSERT_EQ(boxes.size(), limit + 2);
    EXPECT_EQ(deepest, 1);
    EXPECT_EQ(boxes[0].text, "FactoryMessage\r\rfirst");
    EXPECT_EQ(boxes[1].text, "FactoryMessage\r\rm0");
    EXPECT_EQ(boxes[limit].text, "FactoryMessage\r\rm" + std::to_string(limit - 1));
    EXPECT_EQ(boxes[limit + 1].text, "3 more messages to the server were not shown.");
    EXPECT_TRUE(peer->Connected());
}

TEST_F(ServerNetwork, OneStationsBurstCostsNoReadingPlayerItsConnection) {
    form.ServerSocket->MaxUnsentBytes = 32 * 1024;
    std::vector<std::unique_ptr<TestPeer>> players;
    const char* codes[] = {"Ft", "W1", "W2", "Rt"};
    for (const char* code : codes) {
        players.push_back(Join(std::string("P") + code, code));
        Admit(std::string("P") + code);
    }
    form.Button_StartClick(form.Button_Start);
    ASSERT_EQ(form.Game()->FState, gsRunning);

    // Every handled line sends each player its status messages again: far more, in all,
    // than the bound on output not taken.
    TestPeer burst;
    ASSERT_TRUE(burst.Connect(port));
    std::string lines;
    for (int i = 0; i < 1000; ++i) lines += "TC_XX:a\t";
    burst.Send(lines + "TC_PN:Burst\t");
    const bool done = WaitUntil(
        [&] {
            for (auto& p : players) p->Received(); // the players read as they go
            return burst.Received().find("TS_Cn:Welcome!\t") != std::string::npos;
        },
        30000);
    ASSERT_TRUE(done);
    for (auto& p : players) EXPECT_TRUE(p->Connected());
    EXPECT_EQ(form.Game()->FState, gsRunning);
    EXPECT_EQ(dialogs.Boxes().size(), 0u);
}

TEST_F(ServerNetwork, LinesThatChangeNothingSendThePlayersNothing) {
    // The game master plays the Retailer and has not decided: the first week waits.
    form.Roles[3].ShipM->SetItemIndex(1);
    form.Roles[3].Owner->SetItemIndex(1);
    std::vector<std::unique_ptr<TestPeer>> players;
    const char* codes[] = {"Ft", "W1", "W2"};
    for (const char* code : codes) {
        players.push_back(Join(std::string("P") + code, code));
        Admit(std::string("P") + code);
    }
    form.Button_StartClick(form.Button_Start);
    ASSERT_EQ(form.Game()->FState, gsRunning);
    auto order = [&](std::size_t i) { return std::string("TC_PO:") + codes[i] + ":T01:05\t"; };
    for (std::size_t i = 0; i < players.size(); ++i) {
        players[i]->Send(order(i));
        ASSERT_TRUE(players[i]->WaitForMessage("TS_PO:Received!:05\t"));
    }
    for (auto& p : players) {
        ASSERT_TRUE(p->SyncWithServer()); // all the orders sent it
        p->Clear();
    }

    // An unknown code, a wish that changes nothing, chat (refused, and delivered to itself)
    // and an order the station may not send; then a wish and a name, each a change that runs
    // one refresh.
    TestPeer burst;
    ASSERT_TRUE(burst.Connect(port));
    std::string lines;
    for (int i = 0; i < 500; ++i)
        lines += "TC_XX:a\tTC_PT:UK\tTC_SM:Sv:Ft:x\tTC_SM:Sv:Sv:x\tTC_PO:Ft:T01:05\t";
    burst.Send(lines + "TC_PT:Ft\tTC_PN:Burst\t");
    ASSERT_TRUE(burst.WaitForMessage("TS_Cn:Welcome!\t", 30000));

    for (std::size_t i = 0; i < players.size(); ++i) {
        // The same order again is answered and changes nothing: what came before its receipt
        // is all that the burst made the server send.
        players[i]->Send(order(i));
        ASSERT_TRUE(players[i]->WaitForMessage("TS_PO:Received!:05\t"));
        std::map<std::string, int> copies;
        for (const std::string& m : players[i]->Messages()) {
            if (m == "TS_PO:Received!:05\t") break;
            ++copies[m];
        }
        for (const auto& [m, n] : copies) {
            EXPECT_TRUE(m.rfind("TS_Jn:", 0) == 0 || m.rfind("TS_Od:", 0) == 0) << m;
            EXPECT_LE(n, 2) << m; // once for each of the two refreshes at most
        }
    }
}

TEST_F(ServerNetwork, RefusingAnAdmittedPlayer) {
    auto anna = Join("Anna", "Ft");
    auto bert = Join("Bert", "Ft");
    Admit("Anna");
    EXPECT_EQ(form.RadioGroup_FtOwner->ItemIndex(), 0);
    bert->Clear();
    Admit("Bert"); // the role is taken
    EXPECT_FALSE(Row("Bert")->Checked());
    EXPECT_EQ(dialogs.Trace(), (Lines{"beep"}));
    ASSERT_TRUE(bert->WaitForMessage("TS_Jn:Ft:T\t"));
    EXPECT_EQ(bert->Received().find("TS_Pl:"), std::string::npos);

    anna->Clear();
    Row("Anna")->SetChecked(false);
    ASSERT_TRUE(anna->WaitForMessage("TS_Pl:Deny\t"));
    EXPECT_EQ(form.Game()->FPlayers[1], nullptr);
    EXPECT_EQ(form.RadioGroup_FtOwner->ItemIndex(), -1);
    EXPECT_EQ(dialogs.Boxes().size(), 0u) << "no box outside a running game";
}

TEST_F(ServerNetwork, ListSortsByTextAndCopiesSelectedRows) {
    auto a = Join("b-second", "Ft");
    auto b = Join("a-first", "W1");
    auto c = Join("c-third", "W2");
    TListView* list = form.ListView_Connect;
    form.ListView_ColumnClick(list, list->Column(0));
    EXPECT_EQ(list->Item(0)->Caption(), "a-first");
    EXPECT_EQ(list->Item(2)->Caption(), "c-third");
    form.ListView_ColumnClick(list, list->Column(0));
    EXPECT_EQ(list->Item(0)->Caption(), "c-third");
    form.ListView_ColumnClick(list, list->Column(1)); // "Wish": Distributor, Factory, Wholesaler
    EXPECT_EQ(list->Item(0)->Caption(), "a-first");

    list->Item(0)->SetSelected(true);
    list->Item(2)->SetSelected(true);
    form.ColumnDiv = ";";
    std::string text;
    form.CopyListViewSelection(list, form.ColumnDiv, true, text);
    const std::string host = list->Item(0)->SubItems()[1];
    EXPECT_EQ(text.substr(0, text.find("\r\n") + 2).substr(0, 23 + host.size()),
              "a-first;Distributor;" + host + ";12");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2);
    EXPECT_EQ(std::count(text.begin(), text.end(), ';'), 10);
}

// Four peers play a whole short game as the client program would.
TEST_F(ServerNetwork, WholeGameWithFourPlayers) {
    form.SpinEdit_FinalTurn->SetText("10");
    form.SpinEdit_Exit(form.SpinEdit_FinalTurn);
    form.Edit_GroupName->setText("Net Group");
    form.Edit_GroupNameExit(form.Edit_GroupName);
    const char* codes[] = {"Ft", "W1", "W2", "Rt"};
    std::vector<std::unique_ptr<TestPeer>> peers;
    for (int i = 0; i < 4; ++i) peers.push_back(Join(std::string("P") + codes[i], codes[i]));
    form.RadioGroup_W2ShipM->SetItemIndex(0); // the Wholesaler ships by hand
    for (int i = 0; i < 4; ++i) Admit(std::string("P") + codes[i]);
    ASSERT_TRUE(form.Game()->CanStart());
    form.Button_StartClick(nullptr);

    // Each peer answers every week message; after "Fn" it sends 00 for the next week.
    std::vector<std::size_t> seen(4, 0);
    std::vector<int> week(4, 0);
    bool over = false;
    for (int round = 0; round < 2000 && !over; ++round) {
        Settle(5);
        over = true;
        for (int i = 0; i < 4; ++i) {
            auto messages = peers[i]->Messages();
            for (; seen[i] < messages.size(); ++seen[i]) {
                const std::string& m = messages[seen[i]];
                std::string prefix = std::string("TC_PO:") + codes[i] + ":T";
                if (m == "TS_Tn:Fn\t") {
                    std::string next = NumToHex(week[i] + 1);
                    peers[i]->Send(prefix + next + ":00\t");
                    peers[i]->Send(std::string("TC_PS:") + codes[i] + ":T" + next + ":00\t");
                } else if (m.rfind("TS_Tn:", 0) == 0) {
                    week[i] = HexToNum(m.substr(6, 2));
                    std::string w = NumToHex(week[i]);
                    peers[i]->Send(prefix + w + ":0" + std::to_string(3 + i) + "\t");
                    if (i == 2) peers[i]->Send("TC_PS:W2:T" + w + ":04\t");
                }
            }
            // The client closes on "Over!"; the refreshes after it are not read.
            if (std::find(messages.begin(), messages.end(), "TS_Gm:Over!\t") == messages.end())
                over = false;
        }
    }
    if (!over) {
        for (auto& peer : peers) {
            auto m = peer->Messages();
            std::string tail;
            for (std::size_t k = m.size() > 6 ? m.size() - 6 : 0; k < m.size(); ++k) tail += m[k];
            ADD_FAILURE() << "last messages: " << tail;
        }
    }
    ASSERT_TRUE(over) << "state " << int(form.Game()->FState) << " week "
                      << int(form.Game()->FTurn);
    EXPECT_EQ(form.Game()->FState, gsFinished);
    EXPECT_EQ(form.Game()->FTurn, 11);

    std::string report;
    form.Game()->MakeResultText(report);
    std::string sent;
    for (std::size_t line = 0, start = 0; start <= report.size(); ++line) {
        std::size_t brk = report.find("\r\n", start);
        std::string text = report.substr(start, brk == std::string::npos ? brk : brk - start);
        // The date line may differ by a second; compare the rest.
        if (line != 2) sent += text;
        sent += "\r";
        if (brk == std::string::npos) break;
        start = brk + 2;
    }
    for (auto& peer : peers) {
        auto messages = peer->Messages();
        auto end = std::find(messages.begin(), messages.end(), "TS_Gm:Over!\t");
        ASSERT_TRUE(end != messages.end() && end != messages.begin());
        std::string sm = *(end - 1);
        ASSERT_EQ(sm.rfind("TS_SM:*Result of [Net Group]*\r", 0), 0u) << sm;
        std::size_t d1 = sm.find('\r', sm.find('\r') + 1) + 1;
        std::size_t d2 = sm.find('\r', d1);
        sm.erase(d1, d2 - d1);
        EXPECT_EQ(sm, "TS_SM:" + sent + "\t");
        EXPECT_NE(sm.find("Total Cost        \x81\x40\x81\x40: " +
                          MoneyToText(form.Game()->FSumTotalCost) + " \r"),
                  std::string::npos);
    }
    // The game master saw the same report.
    ASSERT_FALSE(dialogs.Boxes().empty());
    EXPECT_EQ(dialogs.Boxes().back().text.substr(0, 25), "*Result of [Net Group]*\r\n");
    EXPECT_EQ(form.StatusBar->SimpleText(), "Finished");
}

TEST_F(ServerNetwork, AStationSendingManyMessagesAtOnceIsReadMoreSlowlyNotClosed) {
    // Far more complete messages in one send than the server holds of a station's input.
    TestPeer peer;
    ASSERT_TRUE(peer.Connect(port));
    std::string run = "TC_PN:Anna\t";
    for (int i = 0; i < 20000; ++i) run += "TC_PT:Ft\t";
    peer.Send(run + "TC_PT:Rt\t");
    ASSERT_TRUE(peer.WaitForMessage("TS_Cn:Welcome!\t"));
    EXPECT_TRUE(WaitUntil([&] { return WishOf("Anna") == "Retailer"; }, 60000));
    EXPECT_TRUE(peer.Connected());

    // Bytes without a TAB are still bounded, whatever complete messages came before them.
    TestPeer talker;
    ASSERT_TRUE(talker.Connect(port));
    talker.Send("TC_PN:Bert\t" + std::string(TStation::MaxUnterminated + 1, 'x'));
    EXPECT_TRUE(talker.WaitClosed());
}

TEST_F(ServerNetwork, WhatAStationSentBeforeItsEndIsHandledFirstAndAnswered) {
    TestPeer bert;
    ASSERT_TRUE(bert.Connect(port));
    std::string lines = "TC_PN:Bert\t";
    for (int i = 0; i < 40; ++i) lines += "TC_PT:W1\t"; // more than are handled in one turn
    lines += "TC_PN:Bertha\tTC_SM:W1:Sv:bye\r\t";
    bool listed = false;
    dialogs.Answer(mrOk, [&] { listed = WishOf("Bertha") == "Distributor"; });
    bert.Send(lines);
    // The station ends its sending and goes on reading.
    ASSERT_EQ(::shutdown(static_cast<int>(bert.Socket()->socketDescriptor()), SHUT_WR), 0);
    ASSERT_TRUE(bert.WaitClosed());
    EXPECT_TRUE(listed) << "its last lines are handled while it is still listed";
    const Lines got = bert.Messages();
    EXPECT_EQ(std::count(got.begin(), got.end(), "TS_Cn:Welcome!\t"), 2);
    EXPECT_EQ(Row("Bertha"), nullptr);
    EXPECT_EQ(form.ServerSocket->ActiveConnections(), 1);
}

TEST_F(ServerNetwork, HostNamesAreLookedUpWithoutHoldingTheServer) {
    // A name server that answers only when the test says so.
    std::vector<std::function<void(std::string)>> answers;
    SetHostLookup([&](const std::string& address, std::function<void(std::string)> done) {
        EXPECT_EQ(address, "127.0.0.1");
        answers.push_back(std::move(done));
    });
    struct Restore {
        ~Restore() { SetHostLookup({}); }
    } restore;

    // Listed at once, the address standing where the name will be.
    auto anna = Join("Anna", "Ft");
    ASSERT_NE(Row("Anna"), nullptr);
    EXPECT_EQ(Row("Anna")->SubItems()[1], "127.0.0.1");
    ASSERT_EQ(answers.size(), 1u);

    // A station that has gone before its name comes: the late answer finds nothing.
    auto bert = Join("Bert", "W1");
    ASSERT_EQ(answers.size(), 2u);
    QPointer<TCustomWinSocket> bertSocket =
        form.ServerSocket->Connections(form.ServerSocket->ActiveConnections() - 1);
    bert->Close();
    ASSERT_TRUE(WaitUntil([&] { return bertSocket.isNull(); }));
    answers[1]("bert.test");
    ASSERT_TRUE(RunPostedCalls());
    EXPECT_EQ(Row("Bert"), nullptr);

    // The name shows in the row, which still finds its connection.
    answers[0]("anna.test");
    ASSERT_TRUE(WaitUntil([&] { return Row("Anna")->SubItems()[1] == "anna.test"; }));
    Admit("Anna");
    ASSERT_NE(form.Game()->FPlayers[1], nullptr);
    EXPECT_EQ(form.Game()->FPlayers[1]->Name, "Anna");
    EXPECT_EQ(answers.size(), 2u) << "each station is looked up once";
}
