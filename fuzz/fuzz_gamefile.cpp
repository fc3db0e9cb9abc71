// The game data file (server/TrovGFile.cpp): whatever bytes are loaded the game stays whole,
// a file that loads saves to bytes of its size that load to themselves, a refused file leaves
// the game as it was, and a loaded game plays on (its money bounded, with no overflow).
//
// Input: one byte choosing the part (bit 0) and whether the trailer is mended after the
// mutations (bit 1), then
//   bit 0 clear: the bytes of a file;
//   bit 0 set: a game made from the input (weeks, names, costs, starting values, weeks
//              played), whose saved file must load back exactly; then mutations of that file
//              (kind, place, byte; 4 bytes each, at most 32).
#include "fuzz/FuzzSupport.h"
#include "platform/BeepTestHooks.h"
#include "platform/Dialogs.h"
#include "server/TrovGCls.h"

#include <QFont>
#include <string>
#include <string_view>

namespace {

// The file's state byte: after the 35-byte marker, the week and the week count.
constexpr std::size_t kStateAt = 37;
constexpr std::size_t kMaxMutations = 32;

// Answers every box at once. A whole game always saves, so its "Stream output error!" is a
// broken promise.
class TQuietDialogs : public platform::TDialogs {
public:
    platform::TModalResult MessageBox(const std::string&, const std::string&,
                                      platform::TBoxButtons) override {
        return platform::mrOk;
    }
    platform::TModalResult MessageDlg(const std::string& text, platform::TMsgDlgType,
                                      platform::TMsgDlgButtons) override {
        FUZZ_CHECK(text != "Stream output error!");
        return platform::mrOk;
    }
    bool ExecuteOpen(platform::TFileDialog&) override { return false; }
    bool ExecuteSave(platform::TFileDialog&) override { return false; }
    bool ExecuteFont(QFont&, platform::TColor&) override { return false; }
};

void InstallQuietDialogs() {
    static TQuietDialogs dialogs;
    static const bool installed = [] {
        platform::SetDialogs(&dialogs);
        platform::SetBeepHandler([] {});
        return true;
    }();
    (void)installed;
}

std::string Save(const TTrovGame& game) {
    std::string bytes;
    game.SaveToStream(&bytes);
    FUZZ_CHECK(!bytes.empty());
    return bytes;
}

// Every history holds one entry per week, and the week and state are ones the game can be in
// when it is not running.
void CheckWhole(const TTrovGame& game) {
    FUZZ_CHECK(game.FFinalTurn >= 1);
    const auto n = static_cast<std::size_t>(game.FFinalTurn);
    for (int i = 0; i < TTrovGame::kHistoryCount; ++i) FUZZ_CHECK(game.History(i).size() == n);
    FUZZ_CHECK(game.InvCost.size() == n && game.BacklogCost.size() == n &&
               game.TotalCost.size() == n);
    FUZZ_CHECK(game.FState == gsPreparing || game.FState == gsPaused || game.FState == gsFinished);
    FUZZ_CHECK(game.FState == gsPreparing ? game.FTurn == 0 : game.FTurn >= 1);
    FUZZ_CHECK(game.FTurn <= game.FFinalTurn);
}

// The computer in every role, with the game's own records.
void AutoPlayers(TTrovGame& game, bool shipAll) {
    for (int r = 1; r <= 4; ++r) {
        TPlayerData& p = game.FLocalPlayers[r - 1];
        game.FPlayers[r] = &p;
        p.Role = static_cast<std::uint8_t>(r);
        p.Accepted = true;
        p.Owner = owAuto;
        p.ShipMode = shipAll ? smAll : smAuto;
    }
}

// A loaded game resumes or starts and plays up to three weeks, and reports.
void PlayOn(TTrovGame& game) {
    AutoPlayers(game, game.FLocalPlayers[0].ShipMode == smAll);
    game.Start();
    for (int i = 0; i < 3 && game.ProceedTurn() == 0; ++i) {}
    game.Stop();
    std::string report;
    game.MakeResultText(report);
    FUZZ_CHECK(!report.empty());
}

// Loads `file` into `game` (not running; `before` its saved bytes).
void CheckLoad(TTrovGame& game, const std::string& before, const std::string& file) {
    const bool loaded = game.LoadFromStream(&file);
    CheckWhole(game);
    const std::string after = Save(game);
    if (!loaded) {
        FUZZ_CHECK(after == before); // a refused file changes nothing
        return;
    }
    FUZZ_CHECK(after.size() == file.size());
    TTrovGame again(nullptr);
    FUZZ_CHECK(again.LoadFromStream(&after));
    FUZZ_CHECK(Save(again) == after);
    PlayOn(again);
}

// A game from the input, played some weeks (and perhaps paused).
void MakeGame(TTrovGame& game, fuzz::TInput& in) {
    game.SetFinalTurn(static_cast<std::int8_t>(1 + in.Byte() % 127));
    game.FGroupName = std::string(in.Piece8());
    for (TPlayerData& p : game.FLocalPlayers) p.Name = std::string(in.Piece8());
    // Unit costs as a game takes them.
    game.FInvUnitCost = static_cast<TMoney>(in.U32() % (kMaxUnitCost + 1));
    game.FBacklogUnitCost = static_cast<TMoney>(in.U32() % (kMaxUnitCost + 1));
    RandomSeed = in.U32();
    const std::uint8_t lo = in.Byte(), hi = in.Byte();
    game.SetRandomFirstValues(lo, hi);
    game.SetRandomMarket(in.Byte(), in.Byte());
    const std::uint8_t play = in.Byte();
    AutoPlayers(game, play & 1);
    if (play & 2) {
        game.Start();
        for (int week = play >> 2; week > 0 && game.ProceedTurn() == 0; --week) {}
        if (play & 0x80) game.Stop();
    }
}

void Mutate(std::string& file, fuzz::TInput& in, bool mendTrailer) {
    for (std::size_t i = 0; i < kMaxMutations && in.Left() > 0; ++i) {
        const std::uint8_t kind = in.Byte();
        const std::size_t at = in.U16() % (file.size() + 1);
        const char byte = static_cast<char>(in.Byte());
        switch (kind % 5) {
        case 0:
            if (at < file.size()) file[at] = byte;
            break;
        case 1:
            if (at < file.size()) file[at] = static_cast<char>(file[at] ^ (1 << (byte & 7)));
            break;
        case 2:
            file.insert(at, 1, byte);
            break;
        case 3:
            if (at < file.size()) file.erase(at, 1);
            break;
        default:
            file.resize(at);
            break;
        }
    }
    if (mendTrailer && file.size() >= 4) {
        const auto size = static_cast<std::uint32_t>(file.size());
        for (int i = 0; i < 4; ++i) file[file.size() - 4 + i] = static_cast<char>(size >> (8 * i));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    InstallQuietDialogs();
    fuzz::TInput in(data, size);
    const std::uint8_t mode = in.Byte();

    if ((mode & 1) == 0) {
        TTrovGame game(nullptr);
        const std::string file(in.Rest());
        CheckLoad(game, Save(game), file);
        return 0;
    }

    TTrovGame source(nullptr);
    MakeGame(source, in);
    const std::string saved = Save(source);
    // The file loads back as it was saved; a running game comes back paused.
    std::string expected = saved;
    if (static_cast<std::uint8_t>(expected.at(kStateAt)) == gsRunning)
        expected[kStateAt] = static_cast<char>(gsPaused);
    TTrovGame copy(nullptr);
    FUZZ_CHECK(copy.Assign(&source));
    FUZZ_CHECK(Save(copy) == expected);

    // Nothing is loaded into a running game.
    if (source.FState == gsRunning) {
        const std::string other = Save(TTrovGame(nullptr));
        FUZZ_CHECK(!source.LoadFromStream(&other));
        FUZZ_CHECK(Save(source) == saved);
    }

    std::string file = saved;
    Mutate(file, in, mode & 2);
    CheckLoad(copy, expected, file);
    return 0;
}
