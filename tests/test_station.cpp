// A station's input over a stand-in connection whose later calls wait in one queue that the
// test runs as the event loop: order, turns, the bound on an unended message, the end.
#include "server/TS_Station.h"

#include <gtest/gtest.h>

namespace {

struct StationTest : ::testing::Test {
    // A station on a stand-in link; its line "throw" throws and "close" closes its connection.
    struct Link : TStationLink {
        Link(StationTest* test, const std::string& name)
            : t(test), station(this, [this, name](const std::string& line) {
                  if (line == "throw") throw std::runtime_error("lost");
                  if (line == "close") Close();
                  t->handled += name + line + "\t";
              }) {}
        std::string ReceiveText() override { return std::exchange(arrived, {}); }
        std::string LeftInput() override { return std::exchange(arrived, {}); }
        bool HasInput() const override { return connected && !arrived.empty(); }
        bool Connected() const override { return connected; }
        bool EndedByPeer() const override { return byPeer; }
        // The server closes the connection.
        void Close() override {
            if (std::exchange(connected, false)) station.End();
        }
        // The peer ends its sending, or is lost.
        void PeerEnds() {
            byPeer = true;
            Close();
        }
        void Later(std::function<void()> f) override {
            t->turns.push_back([this, f] { connected ? f() : void(); });
        }
        StationTest* t;
        TStation station;
        std::string arrived;
        bool connected = true, byPeer = false;
    };
    Link& Add(const std::string& name) {
        return *links.emplace_back(std::make_unique<Link>(this, name));
    }
    static std::string Lines(int from, int to, const std::string& name = {}) {
        std::string s;
        for (int i = from; i < to; ++i) s += name + std::to_string(i) + "\t";
        return s;
    }
    void Run() {
        for (std::size_t i = 0; i < turns.size() && i < 10000; ++i)
            std::invoke(std::function<void()>(turns[i])); // a copy: turns may grow meanwhile
    }
    std::vector<std::function<void()>> turns;
    std::string handled;
    std::vector<std::unique_ptr<Link>> links;
};

TEST_F(StationTest, LinesGoInOrderAFewPerTurnWithOtherStationsServedBetween) {
    Link &a = Add("a"), &b = Add("b");
    a.arrived = Lines(0, 40);
    b.arrived = "throw\t" + Lines(0, 20); // only the line that throws is lost
    a.station.Read();
    b.station.Read();
    a.arrived = Lines(40, 41);
    a.station.Read(); // waits behind the lines not handled yet
    Run();
    EXPECT_EQ(handled, Lines(0, 16, "a") + Lines(0, 15, "b") + Lines(16, 32, "a") +
                           Lines(15, 20, "b") + Lines(32, 41, "a"));
}

TEST_F(StationTest, OnlyBytesWithoutATabCountAgainstTheBound) {
    Link& a = Add("a");
    a.arrived = Lines(0, 20000) + "x"; // complete messages far past the bound
    a.station.Read();
    Run();
    EXPECT_EQ(handled, Lines(0, 20000, "a"));
    a.arrived = std::string(TStation::MaxUnterminated - 1, 'x');
    a.station.Read();
    EXPECT_TRUE(a.connected);
    a.arrived = "x";
    a.station.Read();
    EXPECT_FALSE(a.connected);
}

TEST_F(StationTest, LinesLeftAtTheEndAreHandledBeforeIt) {
    Link &a = Add("a"), &b = Add("b"), &c = Add("c");
    a.arrived = Lines(0, 20);
    a.station.Read();
    a.arrived = Lines(20, 22);
    a.PeerEnds(); // the peer is lost with lines waiting and more arrived
    // Closed by the server, by one of its own lines or from outside: nothing after is heard.
    b.arrived = "close\t" + Lines(0, 20);
    b.station.Read();
    c.arrived = Lines(0, 20);
    c.station.Read();
    c.arrived = Lines(20, 22);
    c.Close();
    Run();
    EXPECT_EQ(handled, Lines(0, 22, "a") + "bclose\t" + Lines(0, 16, "c"));
}

} // namespace
