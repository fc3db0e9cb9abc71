// The game data file: the whole game as little-endian bytes behind a marker text, with the
// file's total size in its last four bytes. The same bytes copy one game into another
// (Assign) and keep the loader's backup.
#include "server/TrovGCls.h"

#include "shared/SaveFile.h"

#include "platform/AtomicFile.h"
#include "platform/Beep.h"
#include "platform/Boxes.h"

#include <bit>
#include <cerrno>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <string_view>

namespace {

constexpr std::string_view kMarker = "Selvane_Computer_Network_Trov_Game!";
constexpr std::size_t kTrailerSize = 4;
// Anything shorter is not looked at.
constexpr std::size_t kMinimumSize = 110;
// Bytes of one player record; the name and the connection have a 4-byte place each.
constexpr std::size_t kReferenceSize = 4;

// Raised by the reader when the data is not a whole game.
struct TDamagedData : std::runtime_error {
    TDamagedData() : std::runtime_error("damaged game data") {}
};

class TWriter {
public:
    explicit TWriter(std::string& out) : out_(out) {}

    void U8(std::uint8_t v) { out_.push_back(static_cast<char>(v)); }
    void I8(std::int8_t v) { U8(static_cast<std::uint8_t>(v)); }
    void U32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i) U8(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    void U64(std::uint64_t v) {
        for (int i = 0; i < 8; ++i) U8(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    void I64(std::int64_t v) { U64(static_cast<std::uint64_t>(v)); }
    void F64(double v) { U64(std::bit_cast<std::uint64_t>(v)); }
    void Zeros(std::size_t n) { out_.append(n, '\0'); }
    void Bytes(std::string_view bytes) { out_.append(bytes); }
    // A length (signed 32-bit) and the bytes.
    void Text(const std::string& s) {
        if (s.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
            throw std::length_error("text too long for the game data file");
        U32(static_cast<std::uint32_t>(s.size()));
        Bytes(s);
    }

private:
    std::string& out_;
};

// Reads from a byte range; every read past its end raises TDamagedData.
class TReader {
public:
    explicit TReader(std::string_view data) : data_(data) {}

    std::string_view Bytes(std::size_t n) {
        if (n > data_.size() - pos_) throw TDamagedData();
        std::string_view bytes = data_.substr(pos_, n);
        pos_ += n;
        return bytes;
    }
    std::uint8_t U8() { return static_cast<std::uint8_t>(Bytes(1)[0]); }
    std::int8_t I8() { return static_cast<std::int8_t>(U8()); }
    std::uint32_t U32() { return static_cast<std::uint32_t>(Unsigned(4)); }
    std::int32_t I32() { return static_cast<std::int32_t>(U32()); }
    std::int64_t I64() { return static_cast<std::int64_t>(Unsigned(8)); }
    double F64() { return std::bit_cast<double>(Unsigned(8)); }
    void Skip(std::size_t n) { Bytes(n); }
    // A length (signed 32-bit) and that many bytes, at most kMaxNameBytes.
    std::string Text() {
        const std::int32_t length = I32();
        if (length < 0 || static_cast<std::size_t>(length) > kMaxNameBytes) throw TDamagedData();
        return std::string(Bytes(static_cast<std::size_t>(length)));
    }
    bool AtEnd() const { return pos_ == data_.size(); }

private:
    std::uint64_t Unsigned(std::size_t n) {
        std::string_view bytes = Bytes(n);
        std::uint64_t v = 0;
        for (std::size_t i = 0; i < n; ++i)
            v |= static_cast<std::uint64_t>(static_cast<std::uint8_t>(bytes[i])) << (8 * i);
        return v;
    }

    std::string_view data_;
    std::size_t pos_ = 0;
};

std::int32_t TrailerOf(std::string_view data) {
    return TReader(data.substr(data.size() - kTrailerSize)).I32();
}

// Week and state as the game can hold them: week 0 while preparing, from week 1 otherwise,
// and never past the week count. Any other pair would let a resumed game step from week 0,
// which it cannot, or read past the weeks it has.
bool IsValidWeekAndState(std::int8_t week, std::int8_t weeks, std::uint8_t state) {
    if (state < gsPreparing || state > gsFinished || week > weeks) return false;
    return state == gsPreparing ? week == 0 : week >= 1;
}

// Whether the money values are what a game can reach: unit costs up to the largest the game
// takes, weekly costs of at most the four roles' bytes at such a cost, sums of at most the
// weeks there are, averages of bytes. Nothing above them can make the cost arithmetic
// overflow.
bool HoldsPossibleMoney(const TTrovGame& game) {
    auto within = [](TMoney value, TMoney most) { return value >= 0 && value <= most; };
    if (!within(game.FInvUnitCost, kMaxUnitCost) || !within(game.FBacklogUnitCost, kMaxUnitCost))
        return false;
    for (const auto& costs : TTrovGame::kMoneyHistories)
        for (TMoney value : game.*costs.Field)
            if (!within(value, costs.WeeklyMost)) return false;
    for (std::size_t k = 0; k < TTrovGame::kSummary.size(); ++k)
        if (!within(game.*TTrovGame::kSummary[k].Field,
                    TTrovGame::SummaryMost(static_cast<int>(k))))
            return false;
    return true;
}

// Replaces the game's data by the file's (without its trailer). Raises TDamagedData when the
// data ends early, a length does not fit, the week count is below 1 or bytes are left over;
// the game may then be half read.
void ReadGame(TTrovGame& game, std::string_view data) {
    TReader in(data);
    in.Skip(kMarker.size());
    const std::int8_t week = in.I8();
    const std::int8_t weeks = in.I8();
    const std::uint8_t state = in.U8();
    if (weeks < 1) throw TDamagedData();

    // The file's week count as it stands, whatever the game held before (Init below resets
    // the week and state anyway).
    game.FTurn = 0;
    game.FState = gsPreparing;
    game.FFinalTurn = weeks;
    game.SetFinalTurn(weeks);
    game.Init();
    const auto n = static_cast<std::size_t>(weeks);

    for (const auto& f : TTrovGame::kSummary) game.*f.Field = in.I64();
    game.FGroupName = in.Text();

    for (TPlayerData& p : game.FLocalPlayers) {
        p.Entered = in.U8() != 0;
        p.Accepted = in.U8() != 0;
        in.Skip(kReferenceSize); // the name follows after the records
        p.Role = in.U8();
        p.Owner = in.U8();
        p.ShipMode = in.U8();
        p.Order = in.I8();
        p.Shipment = in.I8();
        p.TimeStamp = in.F64();
        in.Skip(kReferenceSize); // the record keeps its own connection
    }
    for (TPlayerData& p : game.FLocalPlayers) p.Name = in.Text();

    for (int i = 0; i < TTrovGame::kHistoryCount; ++i) {
        const std::string_view bytes = in.Bytes(n);
        std::memcpy(game.History(i).data(), bytes.data(), n);
    }
    game.FInvUnitCost = in.I64();
    game.FBacklogUnitCost = in.I64();
    for (const auto& costs : TTrovGame::kMoneyHistories)
        for (TMoney& value : game.*costs.Field) value = in.I64();
    if (!in.AtEnd()) throw TDamagedData();
    if (!HoldsPossibleMoney(game)) throw TDamagedData();

    game.FTurn = week;
    game.FState = state == gsRunning ? gsPaused : static_cast<TGameState>(state);
}

} // namespace

void TTrovGame::SaveToStream(std::string* Stream) const {
    if (!Stream) return;
    try {
        const std::size_t n = FFinalTurn < 1 ? 0 : static_cast<std::size_t>(FFinalTurn);
        if (n == 0) throw std::logic_error("no weeks");
        for (auto history : kHistories)
            if ((this->*history).size() != n) throw std::logic_error("history length");
        for (const auto& costs : kMoneyHistories)
            if ((this->*costs.Field).size() != n) throw std::logic_error("history length");

        std::string buffer;
        TWriter out(buffer);
        out.Bytes(kMarker);
        out.I8(FTurn);
        out.I8(FFinalTurn);
        out.U8(FState);
        for (const auto& f : kSummary) out.I64(this->*f.Field);
        out.Text(FGroupName);
        for (const TPlayerData& p : FLocalPlayers) {
            out.U8(p.Entered ? 1 : 0);
            out.U8(p.Accepted ? 1 : 0);
            out.Zeros(kReferenceSize);
            out.U8(p.Role);
            out.U8(p.Owner);
            out.U8(p.ShipMode);
            out.I8(p.Order);
            out.I8(p.Shipment);
            out.F64(p.TimeStamp);
            out.Zeros(kReferenceSize);
        }
        for (const TPlayerData& p : FLocalPlayers) out.Text(p.Name);
        for (auto history : kHistories) {
            const THistory& h = this->*history;
            out.Bytes(std::string_view(reinterpret_cast<const char*>(h.data()), h.size()));
        }
        out.I64(FInvUnitCost);
        out.I64(FBacklogUnitCost);
        for (const auto& costs : kMoneyHistories)
            for (TMoney value : this->*costs.Field) out.I64(value);

        const std::size_t size = buffer.size() + kTrailerSize;
        if (size > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
            throw std::length_error("game data too long");
        out.U32(static_cast<std::uint32_t>(size));
        Stream->append(buffer);
    } catch (const std::exception&) {
        platform::Beep();
        platform::MessageDlg("Stream output error!", platform::TMsgDlgType::Error, platform::mbOK);
    }
}

bool TTrovGame::LoadFromStream(const std::string* Stream) {
    if (FState == gsRunning || !Stream) return false;
    std::string backup;
    SaveToStream(&backup);
    // Without a copy of the present game a damaged file could not be undone.
    if (backup.empty()) return false;

    const std::string_view data = *Stream;
    if (data.size() < kMinimumSize) return false;
    if (static_cast<std::int64_t>(TrailerOf(data)) != static_cast<std::int64_t>(data.size())) {
        platform::Beep();
        platform::MessageDlg("Data Sum Error", platform::TMsgDlgType::Error, platform::mbOK);
        return false;
    }
    if (data.substr(0, kMarker.size()) != kMarker) return false;
    const auto week = static_cast<std::int8_t>(data[kMarker.size()]);
    const auto weeks = static_cast<std::int8_t>(data[kMarker.size() + 1]);
    const auto state = static_cast<std::uint8_t>(data[kMarker.size() + 2]);

    try {
        if (!IsValidWeekAndState(week, weeks, state)) throw TDamagedData();
        ReadGame(*this, data.substr(0, data.size() - kTrailerSize));
        return true;
    } catch (const std::exception&) {
        try {
            const std::string_view saved = backup;
            ReadGame(*this, saved.substr(0, saved.size() - kTrailerSize));
        } catch (const std::exception&) {
            // Only a memory shortage gets here; every history still has its N entries.
        }
        return false;
    }
}

void TTrovGame::SaveToFile(const std::string& FileName) const {
    std::string buffer;
    SaveToStream(&buffer);
    // "Stream output error!" has been shown: an existing file is better kept than replaced by
    // incomplete data.
    if (buffer.empty()) return;
    if (!WriteFileOrSay(FileName, buffer)) return;
    platform::Beep();
    platform::MessageDlg("Saved.", platform::TMsgDlgType::Information, platform::mbOK);
}

void TTrovGame::LoadFromFile(const std::string& FileName) {
    if (FState == gsRunning) return;
    std::string content;
    int failure = 0;
    try {
        // A file larger than any game is not read at all.
        failure = platform::ReadWholeFile(FileName, content, kMaxGameFileSize);
    } catch (const std::exception&) {
        return; // no memory for the file: it is not loaded
    }
    // Missing, or no regular file (a folder, a pipe, a device): as if it were not there; a file
    // that cannot be read: nothing either.
    if (failure != 0 && failure != EFBIG) return;
    const bool loaded = failure == 0 && LoadFromStream(&content);
    platform::Beep();
    if (loaded)
        platform::MessageDlg("Loadede.", platform::TMsgDlgType::Information, platform::mbOK);
    else
        platform::MessageDlg("Not loaded.", platform::TMsgDlgType::Error, platform::mbOK);
}

bool TTrovGame::Assign(const TTrovGame* Source) {
    if (!Source) {
        Init();
        return true;
    }
    std::string stream;
    Source->SaveToStream(&stream);
    return LoadFromStream(&stream);
}
