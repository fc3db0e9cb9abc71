#pragma once
// A server window for tests, with scripted dialogs, and helpers to seat players in its roles,
// type into its spin edits and read its captions.
#include "server/TS_Main.h"

#include "platform/Label.h"
#include "platform/RadioGroup.h"
#include "platform/SjisText.h"
#include "platform/Sockets.h"
#include "platform/SpinEdit.h"
#include "platform/StatusBar.h"
#include "platform/StringGrid.h"
#include "shared/Money.h"
#include "shared/Text.h"
#include "support/RecordingConnection.h"
#include "support/ScriptedDialogs.h"
#include "support/TestPeer.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <array>
#include <functional>
#include <gtest/gtest.h>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <vector>

namespace server_window_test {

inline std::string Caption(const QLabel* label) {
    return platform::ToSjis(label->text());
}
inline std::string Title(const QGroupBox* box) {
    return platform::ToSjis(box->title());
}

// A connection that can also note, at each send, what the window showed at that moment, and
// write every send into a log shared by several connections (to see the order across them).
class ProbeConnection : public RecordingConnection {
public:
    void SendText(const std::string& bytes) override {
        if (!throwOn.empty() && bytes.rfind(throwOn, 0) == 0)
            throw std::runtime_error("send failed");
        if (probe) notes.push_back(probe(bytes));
        if (log && connected) log->push_back(name + ":" + bytes);
        RecordingConnection::SendText(bytes);
    }
    std::function<std::string(const std::string&)> probe;
    std::vector<std::string> notes;
    std::vector<std::string>* log = nullptr;
    std::string name;
    // A send that begins with this text fails with an exception.
    std::string throwOn;
};

// A client station's record and its connection.
struct ClientSeat {
    TPlayerData player;
    ProbeConnection connection;
};

// The lines of a report text, with the digits of its date and time line masked.
inline std::vector<std::string> ReportLines(const std::string& text) {
    std::vector<std::string> lines = SplitLines(text);
    if (lines.size() > 2)
        for (char& c : lines[2])
            if (c >= '0' && c <= '9') c = '#';
    return lines;
}

class ServerWindowTest : public ::testing::Test {
protected:
    ServerWindowTest() { RandomSeed = 0; }

    TTrovGame& game() { return *form.Game(); }
    TTrovGameServerForm::TRoleControls& role(int r) { return form.Roles[r - 1]; }

    // Types a text into a spin edit and leaves it.
    void Leave(platform::TSpinEdit* edit, const std::string& text) {
        edit->SetText(text);
        form.SpinEdit_Exit(edit);
    }
    // Chooses the shipping and owner items of role r (1 to 4) in its radio groups.
    void Play(int r, int ownerItem, int shipItem) {
        role(r).ShipM->SetItemIndex(shipItem);
        role(r).Owner->SetItemIndex(ownerItem);
    }
    void AllAuto() {
        for (int r = 1; r <= 4; ++r) Play(r, 2, 2);
    }
    // Puts a named, admitted client with a connection into role r's slot.
    ClientSeat& Seat(int r, std::uint8_t shipMode = smAll) {
        ClientSeat& seat = seats[r - 1];
        seat.player.Entered = true;
        seat.player.Accepted = true;
        seat.player.Name = std::string("Client ") + RoleCode(r - 1);
        seat.player.Role = static_cast<std::uint8_t>(r);
        seat.player.Owner = owClient;
        seat.player.ShipMode = shipMode;
        seat.player.Socket = &seat.connection;
        seat.connection.name = RoleCode(r - 1);
        game().FPlayers[r] = &seat.player;
        return seat;
    }
    static std::vector<bool> Enabled(std::initializer_list<const QWidget*> widgets) {
        std::vector<bool> flags;
        for (const QWidget* w : widgets) flags.push_back(w->isEnabled());
        return flags;
    }

    ScriptedDialogs dialogs;         // installed before the window exists
    std::array<ClientSeat, 4> seats; // outlive the window that points at them
    TTrovGameServerForm form;
};

} // namespace server_window_test
