#pragma once
// What the client window tests share: a window made for a program file in a temporary folder
// (so its settings, help and start-up files stay there), scripted dialogs, and a test server
// standing in for the game's server on 127.0.0.1.
#include "client/TC_Main.h"
#include "platform/ListView.h"
#include "platform/PageControl.h"
#include "platform/RadioGroup.h"
#include "platform/SjisText.h"
#include "platform/Sockets.h"
#include "platform/SpinEdit.h"
#include "platform/StatusBar.h"
#include "shared/Wire.h"
#include "support/Files.h"
#include "support/ScriptedDialogs.h"
#include "support/TestPeer.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <array>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>
#include <string>

class ClientTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        // The start-up entry goes below the temporary folder, never into the real one.
        qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
    }

    std::string Folder() const { return dir.path().toStdString(); }
    std::string ProgramFile() const { return Folder() + "/TrovGClt"; }
    std::string IniFile() const { return ProgramFile() + ".ini"; }

    void CreateForm() { form = std::make_unique<TTrovGameClientForm>(nullptr, ProgramFile()); }

    // Ticks Connect with the test server as the address and takes the name and role wish.
    void ConnectToServer() {
        server = std::make_unique<TestServer>();
        peer = ConnectClient(*form, *server);
        ASSERT_TRUE(peer);
        ASSERT_TRUE(WaitUntil([&] { return form->ClientSocket->Socket()->Connected(); }));
    }

    // Sends a group name message and waits until the window has taken it: everything sent
    // before it has been handled then.
    bool Sync() {
        static int n = 0;
        const std::string token = "sync" + std::to_string(++n);
        peer->Send("TS_GN:" + token + "\t");
        return WaitUntil([&] { return form->FGroupName == token; });
    }

    // The state block of a week: the week, the four inventories, then per role the incoming
    // order (when given, -1 = not sent) and the backlog.
    static std::string StateBlock(const std::string& week, std::array<int, 4> stock,
                                  std::array<int, 4> demand, std::array<int, 4> backlog) {
        auto hex = [](int v) { return NumToHex(v); };
        std::string s = "TS_Tn:" + week + "\t";
        const char* codes[] = {"Ft", "W1", "W2", "Rt"};
        for (int i = 0; i < 4; ++i) s += "TS_" + std::string(codes[i]) + ":" + hex(stock[i]) + "\t";
        for (int i = 0; i < 4; ++i) {
            if (demand[i] >= 0) s += "TS_Dm" + std::to_string(i) + ":" + hex(demand[i]) + "\t";
            s += "TS_BC" + std::to_string(i) + ":" + hex(backlog[i]) + "\t";
        }
        return s;
    }

    // Brings the window, as `role`, to the first week of a started game of group "Benvik
    // Group" (inventories 12, incoming orders 4), answering every box with OK.
    void StartGame(int role, bool manualShipping) {
        form->RadioGroup_Play->SetItemIndex(role);
        ConnectToServer();
        peer->Send(std::string("TS_Cn:Welcome!\tTS_Pl:Let's Play!\tTS_GN:Benvik Group\tTS_MS:") +
                   (manualShipping ? "T" : "F") + "\t");
        peer->Send("TS_Gm:Start!\t" +
                   StateBlock("01", {12, 12, 12, 12}, {4, 4, 4, 4}, {0, 0, 0, 0}));
        ASSERT_TRUE(WaitUntil([&] {
            return form->FState == csPlaying && form->FWeek == 1 && form->FHistory.size() == 1 &&
                   form->FBacklog == 0 && form->FStock[3] == 12 && form->FDemand == 4;
        }));
        ASSERT_TRUE(Sync());
        dialogs.Clear();
        peer->Clear();
    }

    std::string Status() const { return form->StatusBar->SimpleText(); }
    static std::string Text(const QLabel* label) { return platform::ToSjis(label->text()); }
    static std::string Title(const QGroupBox* box) { return platform::ToSjis(box->title()); }

    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    std::unique_ptr<TTrovGameClientForm> form;
    std::unique_ptr<TestServer> server;
    std::unique_ptr<TestPeer> peer;
};
