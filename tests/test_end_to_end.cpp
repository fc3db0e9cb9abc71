// A whole game in one process: the real server window and four real client windows over
// loopback, the game master admitting the players, every week decided from the clients.
#include "client/TC_Main.h"
#include "server/TS_Main.h"
#include "support/Ports.h"
#include "support/ScriptedDialogs.h"
#include "support/TestPeer.h"

#include "platform/ListView.h"
#include "platform/PageControl.h"
#include "platform/RadioGroup.h"
#include "platform/SpinEdit.h"
#include "platform/StatusBar.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace platform;

namespace {

std::vector<std::string> FileLines(const std::string& name) {
    QFile file(QString::fromStdString(name));
    if (!file.open(QIODevice::ReadOnly)) return {};
    std::string text = file.readAll().toStdString();
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t brk; (brk = text.find("\r\n", start)) != std::string::npos; start = brk + 2)
        lines.push_back(text.substr(start, brk - start));
    EXPECT_EQ(start, text.size()) << "every line ends with CR LF";
    return lines;
}

std::vector<std::string> Cells(const std::string& line, char separator) {
    std::vector<std::string> cells;
    std::size_t start = 0;
    for (std::size_t sep; (sep = line.find(separator, start)) != std::string::npos; start = sep + 1)
        cells.push_back(line.substr(start, sep - start));
    cells.push_back(line.substr(start));
    return cells;
}

} // namespace

TEST(EndToEnd, FourClientsPlayAWholeGameAgainstTheServer) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
    const std::string folder = dir.path().toStdString();
    ScriptedDialogs dialogs;

    TTrovGameServerForm server(nullptr, folder + "/TrovGSrv");
    server.SpinEdit_FinalTurn->SetText("10");
    server.SpinEdit_Exit(server.SpinEdit_FinalTurn);
    server.Edit_GroupName->setText("Loop Group");
    server.Edit_GroupNameExit(server.Edit_GroupName);
    server.RadioGroup_W2ShipM->SetItemIndex(0); // the Wholesaler ships by hand
    UseAnyFreePort(server);
    server.CheckBox_Server->setChecked(true);
    ASSERT_TRUE(server.Listening());
    const int port = server.ServerSocket->LocalPort();

    const char* names[] = {"Fiona", "Dara", "Wilma", "Rhys"};
    std::vector<std::unique_ptr<TTrovGameClientForm>> clients;
    for (int role = 0; role < 4; ++role) {
        auto client = std::make_unique<TTrovGameClientForm>(
            nullptr, folder + "/client" + std::to_string(role) + "/TrovGClt");
        client->Edit_Server->setText("127.0.0.1");
        client->SpinEdit_Port->SetText(std::to_string(port));
        client->Edit_Name->setText(names[role]);
        client->RadioGroup_Play->SetItemIndex(role);
        client->CheckBox_Connect->setChecked(true);
        clients.push_back(std::move(client));
    }
    ASSERT_TRUE(WaitUntil([&] { return server.ListView_Connect->Count() == 4; }));
    for (const char* name : names) {
        for (int i = 0; i < server.ListView_Connect->Count(); ++i)
            if (server.ListView_Connect->Item(i)->Caption() == name)
                server.ListView_Connect->Item(i)->SetChecked(true);
    }
    ASSERT_TRUE(WaitUntil([&] {
        for (auto& c : clients)
            if (c->FState != csAccepted) return false;
        return true;
    }));
    ASSERT_TRUE(server.Game()->CanStart());
    server.Button_StartClick(server.Button_Start);

    // Every client decides as soon as its week is open: order 3 + role and, for the
    // Wholesaler, a shipment of 6.
    std::vector<std::vector<int>> orders(4);
    auto finished = [&] {
        for (auto& c : clients)
            if (c->FState != csFinished) return false;
        return true;
    };
    for (int round = 0; round < 3000 && !finished(); ++round) {
        Settle(5);
        for (int role = 0; role < 4; ++role) {
            TTrovGameClientForm& c = *clients[role];
            if (c.FState != csPlaying) continue;
            c.Roles[role].Order->SetValue(3 + role);
            c.Roles[role].ShipM->SetValue(6);
            c.Button_OrderClick(c.Roles[role].OrderButton);
            orders[role].push_back(3 + role);
        }
    }
    ASSERT_TRUE(finished()) << "client states " << int(clients[0]->FState)
                            << int(clients[1]->FState) << int(clients[2]->FState)
                            << int(clients[3]->FState) << ", server week "
                            << int(server.Game()->FTurn);
    TTrovGame& game = *server.Game();
    EXPECT_EQ(game.FState, gsFinished);
    EXPECT_EQ(game.FTurn, 11);
    EXPECT_EQ(game.ShipW[5], std::min<int>(6, game.StockW[4] + game.TransW[4]));

    // Each client got the report and the end, and shows its history with the totals.
    for (auto& c : clients) {
        EXPECT_EQ(c->StatusBar->SimpleText(), "Finished\x81\x49"); // full-width "!"
        EXPECT_FALSE(c->ClientSocket->Socket()->Connected());
        EXPECT_EQ(c->PageControl->ActivePageIndex(), 2);
        EXPECT_EQ(c->ListView_History->Item(c->ListView_History->Count() - 1)->Caption(),
                  "Average");
    }
    int reports = 0, ends = 0, accepted = 0;
    for (const auto& box : dialogs.Boxes()) {
        reports += box.text.rfind("*Result of [Loop Group]*\r\n", 0) == 0;
        ends += box.text == "Finished and Disconnected";
        accepted += box.text == "Accepted. Waiting for the start.";
    }
    EXPECT_EQ(reports, 5) << "the game master and the four players";
    EXPECT_EQ(ends, 4);
    EXPECT_EQ(accepted, 4) << "nothing after the end is read";

    // Each saved history matches the server's histories for that role.
    const TTrovGame::THistory* stocks[] = {&game.StockF, &game.StockD, &game.StockW, &game.StockR};
    const TTrovGame::THistory* backlogs[] = {&game.BacklogF, &game.BacklogD, &game.BacklogW,
                                             &game.BacklogR};
    const TTrovGame::THistory* demands[] = {&game.OrderDd, &game.OrderWd, &game.OrderRd,
                                            &game.Market};
    const TTrovGame::THistory* placed[] = {&game.OrderF, &game.OrderD, &game.OrderW, &game.OrderR};
    for (int role = 0; role < 4; ++role) {
        const std::string file = folder + "/history" + std::to_string(role) + ".txt";
        dialogs.ChooseFile(file);
        clients[role]->MItem_SaveClick(clients[role]->MItem_Save);
        const auto lines = FileLines(file);
        ASSERT_EQ(lines.size(), 1u + 10u + 2u) << "header, ten weeks, Total and Average";
        for (int week = 1; week <= 10; ++week) {
            const auto cells = Cells(lines[week], '\t');
            ASSERT_EQ(cells.size(), 9u);
            EXPECT_EQ(cells[0], std::to_string(week));
            for (int k = 0; k < 4; ++k)
                EXPECT_EQ(cells[1 + k], std::to_string((*stocks[k])[week - 1])) << week;
            EXPECT_EQ(cells[5], std::to_string((*backlogs[role])[week - 1])) << week;
            EXPECT_EQ(cells[6], std::to_string((*demands[role])[week - 1])) << week;
            EXPECT_EQ(cells[7], std::to_string((*placed[role])[week])) << week;
        }
        EXPECT_EQ(Cells(lines[11], '\t')[0], "Total");
        EXPECT_EQ(Cells(lines[12], '\t')[0], "Average");
    }
}
