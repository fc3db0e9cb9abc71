// Numbers, framing, envelope checks and the chunked sender against exact byte strings.
#include "shared/Money.h"
#include "shared/Protocol.h"
#include "shared/Wire.h"

#include "platform/Sjis.h"
#include "support/RecordingConnection.h"

#include <gtest/gtest.h>
#include <set>
#include <stdexcept>

using Lines = std::vector<std::string>;

TEST(WireNumbers, WrittenAsUpperCaseHexOfAtLeastTwoDigits) {
    EXPECT_EQ(NumToHex(0), "00");
    EXPECT_EQ(NumToHex(5), "05");
    EXPECT_EQ(NumToHex(10), "0A");
    EXPECT_EQ(NumToHex(255), "FF");
    EXPECT_EQ(NumToHex(256), "100");
    EXPECT_EQ(NumToHex(-1), "FFFFFFFF");
}

TEST(WireNumbers, ReadInEitherCaseOrMinusOne) {
    EXPECT_EQ(HexToNum("0a"), 10);
    EXPECT_EQ(HexToNum("0A"), 10);
    EXPECT_EQ(HexToNum("Ff"), 255);
    EXPECT_EQ(HexToNum("7FFFFFFF"), 0x7FFFFFFF);
    for (const char* bad : {"", "G1", " 1", "1 ", "-1", "+1", "$1", "0x1", "100000000"})
        EXPECT_EQ(HexToNum(bad), -1) << '"' << bad << '"';
    EXPECT_EQ(HexToNum(std::string("0\0", 2)), -1);
}

TEST(Framing, WaitsForAChunkThatEndsWithTab) {
    TReceiveBuffer buffer;
    auto first = buffer.Receive("TS_Tn:05\tTS_Ft:0");
    EXPECT_FALSE(first.flushed);
    EXPECT_TRUE(first.lines.empty());
    EXPECT_EQ(buffer.Size(), 16u);
    auto second = buffer.Receive("C\t");
    EXPECT_TRUE(second.flushed);
    EXPECT_EQ(second.lines, (Lines{"TS_Tn:05", "TS_Ft:0C"}));
    EXPECT_EQ(buffer.Size(), 0u);
}

TEST(Framing, OnlyTheLastByteOfTheChunkCounts) {
    TReceiveBuffer buffer;
    EXPECT_FALSE(buffer.Receive("TC_PN:B\tTC_PT:Ft").flushed);
    EXPECT_FALSE(buffer.Receive("").flushed);
    EXPECT_EQ(buffer.Receive("\t").lines, (Lines{"TC_PN:B", "TC_PT:Ft"}));
}

TEST(Framing, TwoTabsInARowGiveAnEmptyLine) {
    TReceiveBuffer buffer;
    EXPECT_EQ(buffer.Receive("TC_PN:A\t\tTC_PT:Ft\t").lines, (Lines{"TC_PN:A", "", "TC_PT:Ft"}));
}

TEST(Framing, CarriageReturnsStayInsideTheirMessage) {
    TReceiveBuffer buffer;
    auto flush = buffer.Receive("TC_SM:Ft:Sv:Hello\rWorld\r\tTC_PT:W1\t");
    EXPECT_EQ(flush.lines, (Lines{"TC_SM:Ft:Sv:Hello\rWorld\r", "TC_PT:W1"}));
}

TEST(Framing, LineFeedBreaksAMessage) {
    TReceiveBuffer buffer;
    EXPECT_EQ(buffer.Receive("TC_PN:A\nTC_PT:Ft\t").lines, (Lines{"TC_PN:A", "TC_PT:Ft"}));
}

TEST(Framing, NulEndsTheFlush) {
    TReceiveBuffer buffer;
    auto flush = buffer.Receive(std::string("A\tB\0C\tD\t", 8));
    EXPECT_TRUE(flush.flushed);
    EXPECT_EQ(flush.lines, (Lines{"A", "B"}));
    EXPECT_EQ(buffer.Size(), 0u);

    auto none = buffer.Receive(std::string("\0TC_PN:A\t", 9));
    EXPECT_TRUE(none.flushed);
    EXPECT_TRUE(none.lines.empty());
}

TEST(Framing, TakesAnyBytes) {
    TReceiveBuffer buffer;
    std::string big(200000, '\x82');
    EXPECT_FALSE(buffer.Receive(big).flushed);
    std::string all; // 255 down to 0: VT, LF, TAB and NUL inside
    for (int i = 255; i >= 0; --i) all += static_cast<char>(i);
    auto flush = buffer.Receive(all + all + "\t");
    EXPECT_TRUE(flush.flushed);
    // Bytes 255..11 (CR and VT both read as CR), the break LF then TAB, bytes 8..1, and the
    // NUL drops the rest of the flush.
    ASSERT_EQ(flush.lines.size(), 3u);
    EXPECT_EQ(flush.lines[0].size(), 200000u + 245u);
    EXPECT_EQ(flush.lines[0].substr(flush.lines[0].size() - 3), "\r\x0C\r");
    EXPECT_EQ(flush.lines[1], "");
    EXPECT_EQ(flush.lines[2], "\x08\x07\x06\x05\x04\x03\x02\x01");
}

TEST(ClientEnvelope, CodeAndTrimmedValue) {
    auto env = ParseClientEnvelope("TC_PN:  Client A \x01");
    ASSERT_TRUE(env);
    EXPECT_EQ(env->code, "PN");
    EXPECT_EQ(env->value, "Client A");
    auto multi = ParseClientEnvelope("TC_SM:Ft:Sv:Hello\rWorld\r");
    ASSERT_TRUE(multi);
    EXPECT_EQ(multi->value, "Ft:Sv:Hello\r\nWorld");
    auto blankLines = ParseClientEnvelope("TC_SM:Ft:W1:a\r\rb\r");
    ASSERT_TRUE(blankLines);
    EXPECT_EQ(blankLines->value, "Ft:W1:a\r\n\r\nb");
}

TEST(ClientEnvelope, MalformedLinesCloseTheConnection) {
    for (const char* bad :
         {"", "TC_PN:", "tc_PN:Name", "TC_PNxName", "TS_PN:Name", "TC_P", "\r\rTC_PN:A"})
        EXPECT_FALSE(ParseClientEnvelope(bad)) << '"' << bad << '"';
    // Only the first line has to be long enough.
    EXPECT_FALSE(ParseClientEnvelope("TC_SM:\rlong enough"));
}

TEST(ServerEnvelope, ThreeByteCodesAndLenientSeparator) {
    auto dm = ParseServerEnvelope("TS_Dm0:04");
    ASSERT_TRUE(dm);
    EXPECT_EQ(dm->code, "Dm0");
    EXPECT_EQ(dm->value, "04");
    auto bc = ParseServerEnvelope("TS_BC3:0A");
    ASSERT_TRUE(bc);
    EXPECT_EQ(bc->code, "BC3");
    EXPECT_EQ(bc->value, "0A");
    auto noColon = ParseServerEnvelope("TS_Cn Welcome!");
    ASSERT_TRUE(noColon);
    EXPECT_EQ(noColon->code, "Cn");
    EXPECT_EQ(noColon->value, "Welcome!");
    auto lower = ParseServerEnvelope("TS_dm0:04"); // only "Dm" and "BC" take a third byte
    ASSERT_TRUE(lower);
    EXPECT_EQ(lower->code, "dm");
    EXPECT_EQ(lower->value, ":04");
    auto report = ParseServerEnvelope("TS_SM:*Result*\r\r Week : 30 \r");
    ASSERT_TRUE(report);
    EXPECT_EQ(report->value, "*Result*\r\n\r\n Week : 30");
}

TEST(ServerEnvelope, IgnoredLines) {
    for (const char* bad : {"", "TS_Cn:", "ts_Cn:Welcome!", "TC_Cn:Welcome!"})
        EXPECT_FALSE(ParseServerEnvelope(bad)) << '"' << bad << '"';
    auto shortBlock = ParseServerEnvelope("TS_Dm0:");
    ASSERT_TRUE(shortBlock);
    EXPECT_EQ(shortBlock->value, "");
}

TEST(ServerCodes, OnlyTheDemandAndBacklogHeadsTakeAThirdByteAndFlagsAreTOrF) {
    EXPECT_EQ(ServerCodeLength("Dm0"), 3u);
    EXPECT_EQ(ServerCodeLength("BC3:0A"), 3u);
    for (const char* other : {"dm0", "Bc0", "DM", "Tn:01", "D", ""})
        EXPECT_EQ(ServerCodeLength(other), 2u) << '"' << other << '"';
    EXPECT_EQ(ReadFlag('T'), true);
    EXPECT_EQ(ReadFlag('F'), false);
    for (char other : {'t', 'f', ':', '\0'}) EXPECT_EQ(ReadFlag(other), std::nullopt) << other;
}

TEST(StateValues, EachReadsBackFromItsMessageAndOtherCodesNameNone) {
    EXPECT_EQ(StateValueMessage({TStateItem::Stock, 0}, 5), "TS_Ft:05\t");
    EXPECT_EQ(StateValueMessage({TStateItem::Demand, 2}, 10), "TS_Dm2:0A\t");
    EXPECT_EQ(StateValueMessage({TStateItem::Backlog, 3}, 255), "TS_BC3:FF\t");
    // The client finds a state value's handler by its code: each message carries its own.
    std::set<std::string> codes;
    for (TStateItem item : {TStateItem::Stock, TStateItem::Demand, TStateItem::Backlog})
        for (int role = 0; role < 4; ++role) {
            std::string line = StateValueMessage({item, role}, 7);
            line.pop_back();
            const auto envelope = ParseServerEnvelope(line);
            ASSERT_TRUE(envelope) << line;
            EXPECT_EQ(envelope->code, StateCode({item, role})) << line;
            codes.insert(envelope->code);
        }
    EXPECT_EQ(codes.size(), 12u);
    for (const char* other : {"Dm4", "BC/", "Bc0", "dm0", "Dm", "BC00", "W3", "Tn", ""})
        EXPECT_FALSE(codes.contains(other)) << '"' << other << '"';
}

TEST(SendTextInPieces, SplitsLinesIntoPiecesThenCrThenTerminator) {
    RecordingConnection c;
    SendTextInPieces(&c, "0123456789a", 10, '\t');
    EXPECT_EQ(c.sends, (Lines{"0123456789", "a", "\r", "\t"}));

    RecordingConnection one;
    SendTextInPieces(&one, "x", 10, '\t');
    EXPECT_EQ(one.sends, (Lines{"x", "\r", "\t"}));

    RecordingConnection server;
    SendTextInPieces(&server, "TS_SM:Message from Server", 8, '\t');
    EXPECT_EQ(server.sends, (Lines{"TS_SM:Me", "ssage fr", "om Serve", "r", "\r", "\t"}));
}

TEST(SendTextInPieces, SeveralLinesAndEmptyLines) {
    RecordingConnection c;
    SendTextInPieces(&c, "TS_SM:FactoryMessage\r\rHi\r\nthere\n", 10, '\t');
    EXPECT_EQ(c.sends,
              (Lines{"TS_SM:Fact", "oryMessage", "\r", "\r", "Hi", "\r", "there", "\r", "\t"}));
}

TEST(SendTextInPieces, NeverSplitsADoubleByteCharacter) {
    RecordingConnection c;
    // The tenth byte opens "あ" (0x82 0xA0): the first piece has nine bytes.
    SendTextInPieces(&c, "123456789\x82\xA0xyz", 10, '\t');
    EXPECT_EQ(c.sends, (Lines{"123456789", "\x82\xA0xyz", "\r", "\t"}));

    // A trail byte in the lead range at the tenth place is no lead byte: ten bytes go.
    RecordingConnection t;
    SendTextInPieces(&t, "12345678\x82\x82z", 10, '\t');
    EXPECT_EQ(t.sends, (Lines{"12345678\x82\x82", "z", "\r", "\t"}));

    // Every piece of a text of double-byte characters is whole.
    RecordingConnection j;
    std::string text;
    for (int i = 0; i < 7; ++i) text += "\x83\x65";
    SendTextInPieces(&j, "a" + text, 10, '\t');
    EXPECT_EQ(j.sends,
              (Lines{"a\x83\x65\x83\x65\x83\x65\x83\x65", "\x83\x65\x83\x65\x83\x65", "\r", "\t"}));
}

TEST(SendTextInPieces, LongMixedLineComesWholeInCharacterPieces) {
    std::string line;
    for (int i = 0; i < 5000; ++i) line += i % 3 ? "\x83\x65" : "a"; // "テ" and "a"
    RecordingConnection c;
    SendTextInPieces(&c, line, 10, '\t');
    ASSERT_GE(c.sends.size(), 2u);
    std::string joined;
    for (std::size_t i = 0; i + 2 < c.sends.size(); ++i) {
        const std::string& piece = c.sends[i];
        EXPECT_LE(piece.size(), 10u);
        // Each piece starts a character: it is a whole Shift-JIS text on its own.
        EXPECT_FALSE(platform::IsLeadByteAt(piece, piece.size() - 1)) << i;
        joined += piece;
    }
    EXPECT_EQ(joined, line);
}

TEST(SendTextInPieces, NoTabOrNulGoesInsideAMessage) {
    // A name holding a TAB and a NUL (pasted, or read from a game file): each goes as a blank,
    // in a message built whole and in a text sent in pieces.
    const std::string name = std::string("Benvik\tGroup") + '\0' + "!";
    EXPECT_EQ(GroupNameMessage(name), "TS_GN:Benvik Group !\t");
    EXPECT_EQ(NameMessage(name), "TC_PN:Benvik Group !\t");
    RecordingConnection c;
    SendTextInPieces(&c, "TS_SM:" + name + "\rx\ty", 10, '\t');
    EXPECT_EQ(c.sends, (Lines{"TS_SM:Benv", "ik Group !", "\r", "x y", "\r", "\t"}));
}

TEST(SendTextInPieces, SendsNothingWithoutTextConnectionOrPieceLength) {
    RecordingConnection c;
    SendTextInPieces(&c, "", 10, '\t');
    SendTextInPieces(&c, "abc", 0, '\t');
    SendTextInPieces(nullptr, "abc", 10, '\t');
    EXPECT_TRUE(c.sends.empty());
}

namespace {
class FailingConnection : public RecordingConnection {
public:
    void SendText(const std::string& bytes) override {
        if (sends.size() == 2) throw std::runtime_error("send failed");
        RecordingConnection::SendText(bytes);
    }
};
} // namespace

TEST(SendTextInPieces, AFailedSendEndsTheTextSilently) {
    FailingConnection c;
    EXPECT_NO_THROW(SendTextInPieces(&c, "0123456789abcdefghijKLM", 10, '\t'));
    EXPECT_EQ(c.sends, (Lines{"0123456789", "abcdefghij"}));
}

TEST(Money, TextHasOnlyTheDecimalsItNeeds) {
    EXPECT_EQ(MoneyToText(MoneyFromUnits(29)), "29");
    EXPECT_EQ(MoneyToText(5000), "0.5");
    EXPECT_EQ(MoneyToText(123333), "12.3333");
    EXPECT_EQ(MoneyToText(12345000), "1234.5");
    EXPECT_EQ(MoneyToText(0), "0");
    EXPECT_EQ(MoneyToText(1), "0.0001");
    EXPECT_EQ(MoneyToText(-12500), "-1.25");
    EXPECT_EQ(MoneyToText(INT64_MIN), "-922337203685477.5808");
}

TEST(Money, DivisionRoundsHalfToEven) {
    EXPECT_EQ(MoneyDivide(MoneyFromUnits(37), 3), 123333);
    EXPECT_EQ(MoneyDivide(MoneyFromUnits(38), 3), 126667);
    EXPECT_EQ(MoneyDivide(5, 2), 2);   // 2.5 -> 2
    EXPECT_EQ(MoneyDivide(15, 2), 8);  // 7.5 -> 8
    EXPECT_EQ(MoneyDivide(25, 2), 12); // 12.5 -> 12
    EXPECT_EQ(MoneyDivide(-15, 2), -8);
    EXPECT_EQ(MoneyDivide(-25, 2), -12);
    EXPECT_EQ(MoneyDivide(7, 0), 0);
}
