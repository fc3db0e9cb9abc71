// The game data file: its bytes, the loader's checks and refusals, copying a game, writing
// files, and saving and loading through the server window's Game menu.
#include "server/TS_GameFile.h"
#include "server/TS_Main.h"
#include "server/TrovGCls.h"
#include "support/Files.h"

#include "platform/RadioGroup.h"
#include "platform/SjisText.h"
#include "platform/SpinEdit.h"
#include "platform/StringGrid.h"
#include "support/RecordingConnection.h"
#include "support/ScriptedDialogs.h"

#include <QLineEdit>
#include <bit>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

const std::string kMarker = "Selvane_Computer_Network_Trov_Game!";
const Lines kLoaded = {"beep", "information(OK): Loadede."};
const Lines kRefused = {"beep", "error(OK): Not loaded."};

std::uint64_t UAt(const std::string& bytes, std::size_t offset, int width) {
    std::uint64_t v = 0;
    for (int i = 0; i < width; ++i)
        v |= static_cast<std::uint64_t>(static_cast<std::uint8_t>(bytes.at(offset + i))) << (8 * i);
    return v;
}
std::int32_t I32At(const std::string& bytes, std::size_t offset) {
    return static_cast<std::int32_t>(UAt(bytes, offset, 4));
}
std::int64_t I64At(const std::string& bytes, std::size_t offset) {
    return static_cast<std::int64_t>(UAt(bytes, offset, 8));
}
void PutI32(std::string& bytes, std::size_t offset, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes.at(offset + i) = static_cast<char>(v >> (8 * i));
}
// Makes the last four bytes hold the size again.
void FixTrailer(std::string& bytes) {
    PutI32(bytes, bytes.size() - 4, static_cast<std::uint32_t>(bytes.size()));
}

std::string Save(const TTrovGame& game) {
    std::string bytes;
    game.SaveToStream(&bytes);
    return bytes;
}

// The Benvik example: the final-turn field at 50, so 51 weeks.
void MakeExample(TTrovGame& game) {
    game.SetFinalTurn(51);
    game.FGroupName = "Benvik Group";
}

// Plays `weeks` weeks with the computer in every role (or to the end).
void Play(TTrovGame& game, int weeks) {
    for (int r = 1; r <= 4; ++r) {
        game.FPlayers[r] = &game.FLocalPlayers[r - 1];
        game.FLocalPlayers[r - 1].Owner = owAuto;
        game.FLocalPlayers[r - 1].ShipMode = r % 2 ? smAll : smAuto;
    }
    game.Start();
    for (int i = 0; i < weeks && game.ProceedTurn() == 0; ++i) {}
}

void ExpectConsistent(const TTrovGame& g) {
    ASSERT_GE(g.FFinalTurn, 1);
    const auto n = static_cast<std::size_t>(g.FFinalTurn);
    for (int i = 0; i < TTrovGame::kHistoryCount; ++i) ASSERT_EQ(g.History(i).size(), n) << i;
    ASSERT_EQ(g.InvCost.size(), n);
    ASSERT_EQ(g.BacklogCost.size(), n);
    ASSERT_EQ(g.TotalCost.size(), n);
    ASSERT_GE(g.FState, gsPreparing);
    ASSERT_LE(g.FState, gsFinished);
    ASSERT_NE(g.FState, gsRunning);
    if (g.FState == gsPreparing)
        ASSERT_EQ(g.FTurn, 0);
    else
        ASSERT_GE(g.FTurn, 1);
}

// A fresh folder, removed with what it holds.
class TempDir {
public:
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "gamefile-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
    }
    ~TempDir() {
        std::error_code ec;
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(path_, ec);
    }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

} // namespace

class GameFileTest : public ::testing::Test {
protected:
    GameFileTest() { RandomSeed = 0; }
    ScriptedDialogs dialogs;
    TempDir dir;
};

// --- The bytes -------------------------------------------------------------------------

TEST_F(GameFileTest, ExampleFileHasTheLayoutByteForByte) {
    TTrovGame game(nullptr);
    MakeExample(game);
    game.FSumInvCost = 123456;        // 12.3456
    game.FAvgBacklogR = -25000;       // -2.5, the last summary value
    game.FLocalPlayers[1].Order = 17; // Distributor record
    game.FLocalPlayers[1].Shipment = -1;
    game.FLocalPlayers[1].Owner = owServer;
    game.FLocalPlayers[1].ShipMode = smManual;
    game.FLocalPlayers[1].Entered = true;
    game.FLocalPlayers[1].TimeStamp = 45000.75;
    game.ShipR[50] = 77;
    game.TotalCost[50] = 987654321;
    game.FInvUnitCost = 25000;

    const std::string f = Save(game);
    ASSERT_EQ(f.size(), 2877u);
    EXPECT_EQ(I32At(f, 2873), 2877);
    EXPECT_EQ(f.substr(0, 35), kMarker);
    EXPECT_EQ(f[35], 0);  // week
    EXPECT_EQ(f[36], 51); // week count
    EXPECT_EQ(f[37], 1);  // preparing
    EXPECT_EQ(I64At(f, 38), 123456);
    EXPECT_EQ(I64At(f, 38 + 10 * 8), -25000);
    EXPECT_EQ(I32At(f, 126), 12);
    EXPECT_EQ(f.substr(130, 12), "Benvik Group");

    const std::size_t records = 142;
    // Factory: not entered, accepted, role 1, owner and shipping unset, no order yet.
    EXPECT_EQ(f.substr(records, 11),
              std::string("\x00\x01\x00\x00\x00\x00\x01\x00\x00\xff\xff", 11));
    const std::size_t d = records + 23;
    EXPECT_EQ(f.substr(d, 11), std::string("\x01\x01\x00\x00\x00\x00\x02\x02\x02\x11\xff", 11));
    EXPECT_EQ(std::bit_cast<double>(UAt(f, d + 11, 8)), 45000.75);
    EXPECT_EQ(f.substr(d + 19, 4), std::string(4, '\0'));
    EXPECT_EQ(f[records + 3 * 23 + 6], 4); // Retailer record's role

    std::size_t at = records + 92;
    for (const char* name : {"Factory(server operation)", "Distributor(server operation)",
                             "Wholesaler(server operation)", "Retailer(server operation)"}) {
        const std::string text = name;
        EXPECT_EQ(I32At(f, at), static_cast<std::int32_t>(text.size()));
        EXPECT_EQ(f.substr(at + 4, text.size()), text);
        at += 4 + text.size();
    }
    ASSERT_EQ(at, 358u);
    EXPECT_EQ(f[at], 4);                 // ProdF1, week 0
    EXPECT_EQ(f[at + 2 * 51], 12);       // StockF, week 0
    EXPECT_EQ(f[at + 3 * 51], 0);        // BacklogF, week 0
    EXPECT_EQ(f[at + 23 * 51 + 4], 4);   // Market, week 4
    EXPECT_EQ(f[at + 23 * 51 + 5], 8);   // Market, week 5
    EXPECT_EQ(f[at + 24 * 51 + 50], 77); // ShipR, last week
    at += 25 * 51;
    EXPECT_EQ(I64At(f, at), 25000);     // inventory unit cost
    EXPECT_EQ(I64At(f, at + 8), 10000); // backlog unit cost
    at += 16;
    EXPECT_EQ(I64At(f, at + (2 * 51 + 50) * 8), 987654321); // TotalCost, last week
    EXPECT_EQ(at + 3 * 51 * 8, 2873u);
}

TEST_F(GameFileTest, StreamIsAppendedToAndAnEmptyNameTakesNoBytes) {
    TTrovGame game(nullptr);
    std::string stream = "head";
    game.SaveToStream(&stream);
    EXPECT_EQ(stream.substr(0, 4), "head");
    EXPECT_EQ(stream.substr(4, 35), kMarker);
    // 30 weeks, no group name, the four default names (108 bytes).
    EXPECT_EQ(stream.size(), 4u + 258 + 108 + 49 * 30);
    EXPECT_EQ(I32At(stream, 4 + 126), 0);
    EXPECT_EQ(stream[4 + 130], 0); // the Factory record follows at once
    EXPECT_EQ(stream[4 + 131], 1);

    game.SaveToStream(nullptr);
    EXPECT_FALSE(game.LoadFromStream(nullptr));
    EXPECT_TRUE(dialogs.Trace().empty());
}

TEST_F(GameFileTest, InconsistentGameIsNotWrittenAndAnExistingFileStays) {
    TTrovGame game(nullptr);
    game.ShipR.pop_back();
    std::string stream = "x";
    game.SaveToStream(&stream);
    EXPECT_EQ(stream, "x");
    EXPECT_EQ(dialogs.Trace(), (Lines{"beep", "error(OK): Stream output error!"}));

    dialogs.Clear();
    const std::string name = dir / "kept.tgd";
    WriteFile(name, "old");
    game.SaveToFile(name);
    EXPECT_EQ(dialogs.Trace(), (Lines{"beep", "error(OK): Stream output error!"}));
    EXPECT_EQ(ReadFile(name), "old");
}

// --- Loading back ----------------------------------------------------------------------

TEST_F(GameFileTest, RunningGameComesBackPausedWithEverythingTheFileHolds) {
    TTrovGame source(nullptr);
    MakeExample(source);
    source.SetRandomMarket(2, 9);
    Play(source, 12);
    ASSERT_EQ(source.FState, gsRunning);
    ASSERT_EQ(source.FTurn, 13);
    source.FSumTotalCost = 4242;
    source.FLocalPlayers[2].Name = "\x93\xfa\x96\x7b"; // Shift-JIS
    const std::string saved = Save(source);

    TTrovGame target(nullptr);
    TPlayerData client;
    RecordingConnection connection;
    client.Socket = &connection;
    client.Role = rlRetailer;
    target.FPlayers[rlRetailer] = &client;
    target.FPlayers[rlFactory] = &target.FLocalPlayers[0];
    dialogs.Clear(); // the beeps of the weeks played
    ASSERT_TRUE(target.LoadFromStream(&saved));

    EXPECT_EQ(target.FTurn, 13);
    EXPECT_EQ(target.FState, gsPaused);
    EXPECT_EQ(target.FFinalTurn, 51);
    EXPECT_EQ(target.FGroupName, "Benvik Group");
    EXPECT_EQ(target.FSumTotalCost, 4242);
    EXPECT_EQ(target.FLocalPlayers[2].Name, "\x93\xfa\x96\x7b");
    EXPECT_EQ(target.FLocalPlayers[0].Owner, owAuto);
    for (int i = 0; i < TTrovGame::kHistoryCount; ++i)
        EXPECT_EQ(target.History(i), source.History(i)) << i;
    EXPECT_EQ(target.InvCost, source.InvCost);
    EXPECT_EQ(target.BacklogCost, source.BacklogCost);
    EXPECT_EQ(target.TotalCost, source.TotalCost);
    // Role slots and connections stay; nothing was sent or shown.
    EXPECT_EQ(target.FPlayers[rlRetailer], &client);
    EXPECT_EQ(target.FPlayers[rlFactory], &target.FLocalPlayers[0]);
    EXPECT_EQ(target.FPlayers[rlDistributor], nullptr);
    EXPECT_EQ(client.Socket, &connection);
    EXPECT_TRUE(connection.sends.empty());
    EXPECT_TRUE(dialogs.Trace().empty());

    // Saved again, only the state differs.
    std::string expected = saved;
    expected[37] = gsPaused;
    EXPECT_EQ(Save(target), expected);
}

TEST_F(GameFileTest, FinishedGameWithTheLongestWeekCountLoadsBack) {
    TTrovGame source(nullptr);
    source.SetFinalTurn(127);
    Play(source, 200);
    ASSERT_EQ(source.FState, gsFinished);
    ASSERT_NE(source.FSumTotalCost, 0);
    const std::string saved = Save(source);

    TTrovGame target(nullptr);
    ASSERT_TRUE(target.LoadFromStream(&saved));
    EXPECT_EQ(target.FFinalTurn, 127);
    EXPECT_EQ(target.FState, gsFinished);
    EXPECT_EQ(Save(target), saved);
}

TEST_F(GameFileTest, AssignCopiesTheOtherGame) {
    TTrovGame source(nullptr);
    source.SetFinalTurn(41);
    source.SetRandomFirstValues(1, 20);
    source.FGroupName = "Other";
    source.FBacklogUnitCost = 30000;
    Play(source, 5);
    TTrovGame target(nullptr);
    ASSERT_TRUE(target.Assign(&source));
    std::string expected = Save(source);
    expected[37] = gsPaused;
    EXPECT_EQ(Save(target), expected);

    target.FGroupName = "Kept";
    EXPECT_TRUE(target.Assign(nullptr)); // resets, keeping the group name
    EXPECT_EQ(target.FState, gsPreparing);
    EXPECT_EQ(target.FTurn, 0);
    EXPECT_EQ(target.FGroupName, "Kept");
    EXPECT_EQ(target.StockF[1], 0);

    // A running game takes nothing.
    const std::string running = Save(source);
    TTrovGame other(nullptr);
    EXPECT_FALSE(source.Assign(&other));
    EXPECT_EQ(Save(source), running);
}

// --- Refused files ---------------------------------------------------------------------

class RefusedFileTest : public GameFileTest {
protected:
    RefusedFileTest() {
        // The game as it was: 31 weeks and data of its own, unlike every file below.
        game.SetFinalTurn(31);
        game.FGroupName = "Before";
        game.Market[30] = 99;
        game.FLocalPlayers[0].Name = "Own";
        before = Save(game);
        TTrovGame example(nullptr);
        MakeExample(example);
        file = Save(example);
    }
    // Loads `bytes` from a file; the boxes shown.
    Lines Load(const std::string& bytes) {
        const std::string name = dir / "game.tgd";
        WriteFile(name, bytes);
        dialogs.Clear();
        game.LoadFromFile(name);
        return dialogs.Trace();
    }
    void ExpectUnchanged() {
        ExpectConsistent(game);
        EXPECT_EQ(Save(game), before);
    }
    TTrovGame game{nullptr};
    std::string before, file;
};

TEST_F(RefusedFileTest, ExampleFileIsAccepted) {
    EXPECT_EQ(Load(file), kLoaded);
    EXPECT_EQ(game.FFinalTurn, 51);
    EXPECT_EQ(game.FGroupName, "Benvik Group");
}

TEST_F(RefusedFileTest, WrongTrailerShowsDataSumError) {
    PutI32(file, file.size() - 4, static_cast<std::uint32_t>(file.size() + 1));
    EXPECT_EQ(Load(file),
              (Lines{"beep", "error(OK): Data Sum Error", "beep", "error(OK): Not loaded."}));
    ExpectUnchanged();
}

TEST_F(RefusedFileTest, ShortFileOrWrongMarkerIsIgnored) {
    std::string short109 = file.substr(0, 109);
    FixTrailer(short109);
    EXPECT_EQ(Load(short109), kRefused);
    ExpectUnchanged();

    std::string lower = file;
    lower[0] = 's';
    EXPECT_EQ(Load(lower), kRefused);
    ExpectUnchanged();
}

TEST_F(RefusedFileTest, LengthPastTheEndRestoresTheBackup) {
    // The group name, then each player name, made one byte longer than what is left.
    std::string bad = file;
    PutI32(bad, 126, static_cast<std::uint32_t>(bad.size() - 130 - 4 + 1));
    EXPECT_EQ(Load(bad), kRefused);
    ExpectUnchanged();

    for (std::uint32_t length : {0x7fffffffu, 0x80000000u, 0xffffffffu}) {
        bad = file;
        PutI32(bad, 126, length);
        EXPECT_EQ(Load(bad), kRefused) << length;
        ExpectUnchanged();
    }
    bad = file;
    PutI32(bad, 142 + 92 + 4 + 25, 0x10000); // the Distributor's name
    EXPECT_EQ(Load(bad), kRefused);
    ExpectUnchanged();
}

TEST_F(RefusedFileTest, DataThatDoesNotFillTheFileExactlyIsRefused) {
    std::string cut = file.substr(0, file.size() - 5) + "1234"; // one cost byte short
    FixTrailer(cut);
    EXPECT_EQ(Load(cut), kRefused);
    ExpectUnchanged();

    std::string longer = file.substr(0, file.size() - 4) + "x" + "1234";
    FixTrailer(longer);
    EXPECT_EQ(Load(longer), kRefused);
    ExpectUnchanged();

    std::string fewerWeeks = file; // the data of 51 weeks read as 50
    fewerWeeks[36] = 50;
    EXPECT_EQ(Load(fewerWeeks), kRefused);
    ExpectUnchanged();
}

TEST_F(RefusedFileTest, WeekCountBelowOneIsRefused) {
    for (char weeks : {'\x00', '\x80', '\xff'}) {
        std::string bad = file;
        bad[36] = weeks;
        EXPECT_EQ(Load(bad), kRefused);
        ExpectUnchanged();
    }
}

TEST_F(RefusedFileTest, WeekThatDoesNotFitTheStateIsRefused) {
    // Preparing at week 3, paused or finished at week 0 or below, unknown states.
    const std::pair<char, char> pairs[] = {{3, 1},  {0, 3}, {0, 2}, {0, 4},
                                           {-1, 3}, {5, 0}, {5, 5}, {5, 'x'}};
    for (auto [week, state] : pairs) {
        std::string bad = file;
        bad[35] = week;
        bad[37] = state;
        EXPECT_EQ(Load(bad), kRefused) << int(week) << "/" << int(state);
        ExpectUnchanged();
    }
    // No game gets past its week count: a paused game is shortened at the soonest to its week.
    std::string past = file;
    past[35] = 52;
    past[37] = gsPaused;
    EXPECT_EQ(Load(past), kRefused);
    ExpectUnchanged();
    std::string paused = file;
    paused[35] = 51;
    paused[37] = gsPaused;
    EXPECT_EQ(Load(paused), kLoaded);
    EXPECT_EQ(game.FTurn, 51);
    EXPECT_EQ(game.FState, gsPaused);
}

TEST_F(RefusedFileTest, MoneyNoGameCanHoldIsRefused) {
    // Offsets from the end: the trailer, three cost histories of 51 weeks, the unit costs.
    const std::size_t costs = file.size() - 4 - 3 * 51 * 8;
    const std::size_t invUnit = costs - 16;
    auto put64 = [](std::string& bytes, std::size_t at, std::int64_t v) {
        for (int i = 0; i < 8; ++i)
            bytes.at(at + i) = static_cast<char>(std::uint64_t(v) >> (8 * i));
    };
    const std::pair<std::size_t, std::int64_t> bad[] = {
        {invUnit, std::int64_t(1) << 62},
        {invUnit + 8, -1},
        {invUnit, MoneyFromUnits(99) + 1},
        {costs + 8 * 7, std::int64_t(1) << 62},
        {costs + 8 * 51 * 2, -5},
        {35 + 3, std::int64_t(1) << 62},       // total inventory cost
        {35 + 3 + 8 * 3, MoneyFromUnits(256)}, // the Factory's average inventory
    };
    for (auto [at, value] : bad) {
        std::string crafted = file;
        put64(crafted, at, value);
        EXPECT_EQ(Load(crafted), kRefused) << at;
        ExpectUnchanged();
    }
}

TEST_F(RefusedFileTest, AFileLargerThanAnyGameIsRefusedUnread) {
    // The example's data followed by more bytes than the longest names take, its trailer fixed.
    const std::size_t largest = 258 + 5 * 2 * 32767 + 49 * 127;
    std::string large = file.substr(0, file.size() - 4);
    large += std::string(largest + 1 - large.size() - 4, 'x') + "1234";
    FixTrailer(large);
    OpenCount opens(dir.path());
    ASSERT_TRUE(opens.Watching());
    EXPECT_EQ(Load(large), kRefused);
    EXPECT_EQ(opens.Of("game.tgd"), 1); // written by the test, never opened by the loader
    ExpectUnchanged();
}

TEST_F(GameFileTest, TheDearestGameAGameCanReachSavesAndLoadsBack) {
    TTrovGame game(nullptr);
    game.SetFinalTurn(127);
    game.FInvUnitCost = game.FBacklogUnitCost = MoneyFromUnits(99);
    // Every role holding 255 in stock and in backlog every week.
    const TMoney weekly = 4 * 255 * MoneyFromUnits(99);
    std::fill(game.InvCost.begin(), game.InvCost.end(), weekly);
    std::fill(game.BacklogCost.begin(), game.BacklogCost.end(), weekly);
    std::fill(game.TotalCost.begin(), game.TotalCost.end(), 2 * weekly);
    game.FSumInvCost = game.FSumBacklogCost = 127 * weekly;
    game.FSumTotalCost = 127 * 2 * weekly;
    for (TMoney* average : {&game.FAvgStockF, &game.FAvgBacklogF, &game.FAvgStockR})
        *average = MoneyFromUnits(255);
    game.FTurn = 127;
    game.FState = gsFinished;
    const std::string bytes = Save(game);
    TTrovGame loaded(nullptr);
    ASSERT_TRUE(loaded.LoadFromStream(&bytes));
    EXPECT_EQ(Save(loaded), bytes);
    EXPECT_EQ(loaded.FSumTotalCost, 127 * 2 * 1020 * MoneyFromUnits(99));
}

TEST_F(RefusedFileTest, EmptyGroupNameLoadsAsEmpty) {
    TTrovGame unnamed(nullptr);
    MakeExample(unnamed);
    unnamed.FGroupName.clear();
    EXPECT_EQ(Load(Save(unnamed)), kLoaded);
    EXPECT_EQ(game.FGroupName, "");
    EXPECT_EQ(game.FFinalTurn, 51);
}

TEST_F(RefusedFileTest, NothingWhileRunningOrWithoutAFile) {
    Play(game, 3);
    before = Save(game);
    EXPECT_TRUE(Load(file).empty());
    EXPECT_EQ(Save(game), before);
    EXPECT_FALSE(game.LoadFromStream(&file));
    EXPECT_EQ(Save(game), before);
    game.Stop();

    before = Save(game);
    dialogs.Clear();
    game.LoadFromFile(dir / "missing.tgd");
    game.LoadFromFile(dir.path()); // a folder
    EXPECT_TRUE(dialogs.Trace().empty());
    EXPECT_EQ(Save(game), before);
}

// Random, truncated and bit-flipped files: the loader never reads outside the data, and a
// load is all or nothing.
TEST_F(RefusedFileTest, FuzzedFilesLoadWholeOrNotAtAll) {
    TTrovGame played(nullptr);
    played.SetFinalTurn(12);
    played.FGroupName = "Fuzz";
    Play(played, 4);
    const std::vector<std::string> seeds = {file, Save(played)};

    // What a save gives back for a file that was accepted.
    auto normalised = [](std::string f) {
        const std::size_t records = 130 + static_cast<std::size_t>(I32At(f, 126));
        for (int i = 0; i < 4; ++i) {
            const std::size_t r = records + 23 * i;
            for (std::size_t b : {r, r + 1}) f[b] = f[b] ? 1 : 0;
            for (std::size_t b : {r + 2, r + 19}) f.replace(b, 4, 4, '\0');
        }
        if (f[37] == gsRunning) f[37] = gsPaused;
        return f;
    };

    std::mt19937 random(12345);
    auto below = [&](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
    };
    int accepted = 0, refused = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string f = seeds[below(seeds.size())];
        switch (below(6)) {
        case 0: // random bytes behind the marker
            f = kMarker;
            for (std::size_t n = below(600); n > 0; --n) f.push_back(static_cast<char>(below(256)));
            break;
        case 1: // truncated
            f.resize(below(f.size() + 1));
            break;
        case 2: // bit flips
            for (std::size_t n = 1 + below(4); n > 0; --n)
                f[35 + below(f.size() - 35)] ^= 1 << below(8);
            break;
        case 3: // a length field with a random value
            PutI32(f, below(2) ? 126 : 222 + static_cast<std::size_t>(I32At(f, 126)),
                   static_cast<std::uint32_t>(random()));
            break;
        case 4: // random header bytes
            f[35 + below(3)] = static_cast<char>(below(256));
            break;
        default: // cut or grown in the middle
            if (below(2))
                f.erase(35 + below(f.size() - 40), 1 + below(8));
            else
                f.insert(35 + below(f.size() - 40), std::string(1 + below(8), 'x'));
            break;
        }
        if (below(8) != 0 && f.size() >= 4) FixTrailer(f);

        const std::string was = Save(game);
        const bool loaded = game.LoadFromStream(&f);
        ASSERT_NO_FATAL_FAILURE(ExpectConsistent(game)) << round;
        const std::string now = Save(game);
        if (!loaded) {
            ASSERT_EQ(now, was) << round;
            ++refused;
        } else {
            ASSERT_EQ(now, normalised(f)) << round;
            ++accepted;
        }
        dialogs.Clear();
    }
    // Both outcomes were exercised.
    EXPECT_GT(accepted, 100);
    EXPECT_GT(refused, 100);
}

// --- Files -----------------------------------------------------------------------------

TEST_F(GameFileTest, SaveToFileWritesTheBytesAndReplacesAnOldFile) {
    TTrovGame game(nullptr);
    MakeExample(game);
    const std::string name = dir / "game.tgd";
    WriteFile(name, "an older file");
    game.SaveToFile(name);
    EXPECT_EQ(dialogs.Trace(), (Lines{"beep", "information(OK): Saved."}));
    EXPECT_EQ(ReadFile(name), Save(game));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);

    TTrovGame loaded(nullptr);
    dialogs.Clear();
    loaded.LoadFromFile(name);
    EXPECT_EQ(dialogs.Trace(), kLoaded);
    EXPECT_EQ(Save(loaded), Save(game));
}

TEST_F(GameFileTest, UnwritableFileShowsTheErrorAndKeepsTheOldFile) {
    TTrovGame game(nullptr);
    const std::string name = dir / "readonly.tgd";
    WriteFile(name, "old");
    ASSERT_EQ(chmod(name.c_str(), 0444), 0);
    game.SaveToFile(name);
    EXPECT_EQ(dialogs.Trace(), (Lines{"beep", "error(OK): File writing error."}));
    EXPECT_EQ(ReadFile(name), "old");

    dialogs.Clear();
    game.SaveToFile(dir / "no folder/game.tgd");
    game.SaveToFile(dir.path()); // a folder
    EXPECT_EQ(dialogs.Trace(), (Lines{"beep", "error(OK): File writing error.", "beep",
                                      "error(OK): File writing error."}));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

// --- The window's Game menu ------------------------------------------------------------

class GameMenuTest : public GameFileTest {
protected:
    GameMenuTest() : form(nullptr, dir / "TrovGSrv") { dialogs.Clear(); }
    TTrovGame& game() { return *form.Game(); }
    void Load() { form.MItem_LoadClick(form.MItem_Load); }
    TTrovGameServerForm form;
    const std::string confirm =
        "box(Confirmation; OK Cancel): Loading game data\rdestroys current data. OK?\r ";
};

TEST_F(GameMenuTest, DialogsAreSetForGameDataFiles) {
    const std::string filter = "Trov Game Data File(*.tgd)|*.tgd|All Files(*.*)|*.*";
    EXPECT_EQ(form.SaveDialog_Dat.DefaultExt, "tgd");
    EXPECT_EQ(form.SaveDialog_Dat.Filter, filter);
    EXPECT_EQ(form.SaveDialog_Dat.Options,
              platform::ofOverwritePrompt | platform::ofHideReadOnly | platform::ofEnableSizing);
    EXPECT_EQ(form.OpenDialog.DefaultExt, "tgd");
    EXPECT_EQ(form.OpenDialog.Filter, filter);
    EXPECT_EQ(form.OpenDialog.InitialDir, ".");
    EXPECT_EQ(form.OpenDialog.Options, platform::ofHideReadOnly | platform::ofAllowMultiSelect |
                                           platform::ofPathMustExist | platform::ofFileMustExist |
                                           platform::ofCreatePrompt | platform::ofEnableSizing);
    // Setting them again keeps the name the settings preset.
    form.OpenDialog.FileName = "./last.tgd";
    InitGameFileDialogs(form);
    EXPECT_EQ(form.OpenDialog.FileName, "./last.tgd");
}

TEST_F(GameMenuTest, SaveWritesTheChosenFile) {
    const std::string name = dir / "saved.tgd";
    dialogs.CancelFile();
    form.MItem_SaveClick(form.MItem_Save);
    EXPECT_FALSE(fs::exists(name));

    dialogs.Clear();
    dialogs.ChooseFile(name);
    form.MItem_SaveClick(form.MItem_Save);
    ASSERT_EQ(dialogs.Trace().size(), 3u);
    EXPECT_EQ(dialogs.Trace()[1], "beep");
    EXPECT_EQ(dialogs.Trace()[2], "information(OK): Saved.");
    EXPECT_EQ(dialogs.Log()[0].file.DefaultExt, "tgd");
    EXPECT_EQ(ReadFile(name), Save(game()));
}

TEST_F(GameMenuTest, CancelledConfirmationOrDialogChangesNothing) {
    form.SpinEdit_FinalTurn->SetText("70"); // typed, not left yet
    dialogs.Answer(platform::mrCancel);
    Load();
    EXPECT_EQ(dialogs.Trace(), (Lines{"beep", confirm}));
    EXPECT_EQ(dialogs.Pending(), 0u);

    dialogs.Clear();
    dialogs.Answer(platform::mrOk).CancelFile();
    Load();
    EXPECT_EQ(dialogs.Trace(), (Lines{"beep", confirm, "open: " + form.OpenDialog.FileName}));
    EXPECT_EQ(form.SpinEdit_FinalTurn->Text(), "70");
}

TEST_F(GameMenuTest, LoadedGameIsShownAndTheOwnersApplied) {
    // The game master plays the Factory, shipping all.
    form.RadioGroup_FtShipM->SetItemIndex(1);
    form.RadioGroup_FtOwner->SetItemIndex(1);
    ASSERT_EQ(game().FPlayers[rlFactory], &game().FLocalPlayers[0]);

    TTrovGame saved(nullptr);
    saved.SetFinalTurn(41);
    saved.FGroupName = "Benvik Group";
    saved.FInvUnitCost = 25000;     // 2.5 shows as 2
    saved.FBacklogUnitCost = 35000; // 3.5 shows as 4
    saved.Market[40] = 9;
    const std::string name = dir / "benvik.tgd";
    WriteFile(name, Save(saved));

    dialogs.Answer(platform::mrOk).ChooseFile(name);
    Load();
    EXPECT_EQ(dialogs.Trace(), (Lines{"beep", confirm, "open: " + dialogs.Log()[2].text, "beep",
                                      "information(OK): Loadede."}));
    EXPECT_EQ(game().FFinalTurn, 41);
    EXPECT_EQ(form.SpinEdit_FinalTurn->Value(), 40);
    EXPECT_EQ(form.StringGrid_Marcket->RowCount(), 42);
    EXPECT_EQ(form.StringGrid_Marcket->Cells(1, 41), "9");
    EXPECT_EQ(form.SpinEdit_UStkCost->Value(), 2);
    EXPECT_EQ(form.SpinEdit_UBLCost->Value(), 4);
    EXPECT_EQ(game().FInvUnitCost, 25000);
    EXPECT_EQ(game().FBacklogUnitCost, 35000);
    EXPECT_EQ(platform::ToSjis(form.Edit_GroupName->text()), "Benvik Group");
    // The file's Factory record had no owner; the window's choice is put back.
    EXPECT_EQ(game().FPlayers[rlFactory], &game().FLocalPlayers[0]);
    EXPECT_EQ(game().FLocalPlayers[0].Owner, owServer);
    EXPECT_EQ(game().FLocalPlayers[0].ShipMode, smAll);
}

TEST_F(GameMenuTest, DamagedFileStillBringsTheWindowBackToTheGame) {
    // Typed and not left yet: the load puts the game's values back.
    form.SpinEdit_FinalTurn->SetText("70");
    form.SpinEdit_UStkCost->SetText("7");
    form.Edit_GroupName->setText("typed");
    const std::string name = dir / "damaged.tgd";
    WriteFile(name, std::string(200, 'x'));
    dialogs.Answer(platform::mrOk).ChooseFile(name);
    Load();
    EXPECT_EQ(dialogs.Trace(),
              (Lines{"beep", confirm, "open: " + dialogs.Log()[2].text, "beep",
                     "error(OK): Data Sum Error", "beep", "error(OK): Not loaded."}));
    EXPECT_EQ(game().FFinalTurn, 51);
    EXPECT_EQ(form.SpinEdit_FinalTurn->Text(), "50");
    EXPECT_EQ(form.SpinEdit_UStkCost->Text(), std::to_string(game().FInvUnitCost / 10000));
    EXPECT_EQ(platform::ToSjis(form.Edit_GroupName->text()), game().FGroupName);
    EXPECT_NE(game().FGroupName, "typed");
}

TEST_F(GameMenuTest, AFinishedGameKeepsItsWeeksSoThatItsFileLoadsBack) {
    // Loads and saves through the menu; the last box shown.
    auto load = [&](const std::string& name) {
        dialogs.Clear();
        dialogs.Answer(platform::mrOk).ChooseFile(name);
        Load();
        return dialogs.Trace().back();
    };
    auto save = [&](const std::string& name) {
        dialogs.Clear();
        dialogs.ChooseFile(name);
        form.MItem_SaveClick(form.MItem_Save);
        return dialogs.Trace().back();
    };
    for (int weeks : {31, 127}) {
        TTrovGame played(nullptr);
        played.SetFinalTurn(static_cast<std::int8_t>(weeks));
        Play(played, weeks);
        ASSERT_EQ(played.FState, gsFinished);
        const std::string name = dir / "finished.tgd";
        WriteFile(name, Save(played));
        ASSERT_EQ(load(name), "information(OK): Loadede.");

        // Fewer weeks than were played: the 127 weeks meet the field's maximum of 99, the 31
        // weeks a game master who lowers the field after the game.
        form.SpinEdit_FinalTurn->SetText("10");
        form.SpinEdit_Exit(form.SpinEdit_FinalTurn);
        EXPECT_EQ(game().FFinalTurn, weeks);
        EXPECT_EQ(game().FTurn, weeks);
        EXPECT_EQ(save(dir / "again.tgd"), "information(OK): Saved.");
        const std::string again = ReadFile(dir / "again.tgd");
        EXPECT_EQ(again.substr(35, 2), std::string(2, static_cast<char>(weeks)));

        game().Init();
        EXPECT_EQ(load(dir / "again.tgd"), "information(OK): Loadede.");
        EXPECT_EQ(Save(game()), again) << weeks;
    }
}
