#include "platform/Sjis.h"
#include "platform/SjisText.h"

#include <gtest/gtest.h>

TEST(Sjis, LeadByteIsJudgedFromTheStartOfTheText) {
    // "あ" is 0x82 0xA0; "ー" is 0x81 0x5B whose second byte is no lead byte, but 0x82 0x82
    // ("ｂ") has a trail byte in the lead range.
    std::string s = "a\x82\x82\x82\xA0";
    EXPECT_FALSE(platform::IsLeadByteAt(s, 0));
    EXPECT_TRUE(platform::IsLeadByteAt(s, 1));
    EXPECT_FALSE(platform::IsLeadByteAt(s, 2)); // trail byte, although 0x82 is a lead value
    EXPECT_TRUE(platform::IsLeadByteAt(s, 3));
    EXPECT_FALSE(platform::IsLeadByteAt(s, 4));
    EXPECT_FALSE(platform::IsLeadByteAt(s, 5)); // past the end
}

TEST(Sjis, ConvertsBothWays) {
    const std::string sjis = "\x81\x40"
                             "abc\x83\x65\x83\x58\x83\x67"; // full-width space, "テスト"
    QString text = platform::FromSjis(sjis);
    EXPECT_EQ(text, QString::fromUtf8("\u3000abcテスト"));
    EXPECT_EQ(platform::ToSjis(text), sjis);
}

TEST(Sjis, BadBytesAndUnmappableCharactersNeverFail) {
    EXPECT_EQ(platform::FromSjis(std::string("a\x82", 2)), QString::fromUtf8("a\uFFFD"));
    EXPECT_EQ(platform::FromSjis(std::string("\xFD"
                                             "b",
                                             2)),
              QString::fromUtf8("\uFFFDb"));
    EXPECT_EQ(platform::FromSjis(std::string("x\0y", 3)).size(), 3);
    EXPECT_EQ(platform::ToSjis(QString::fromUtf8("a\u0E01b")), "a?b");     // Thai letter
    EXPECT_EQ(platform::ToSjis(QString::fromUtf8("a\U0001F600b")), "a?b"); // one mark per pair
    EXPECT_EQ(platform::ToSjis(QString()), "");
}

#include "platform/DateTime.h"

TEST(DateTime, DaysSince1899AndPatterns) {
    // 2026-12-09 13:05:07 is day 46365 plus the time of day.
    double dt = 46365.0 + (13 * 3600 + 5 * 60 + 7) / 86400.0;
    EXPECT_EQ(platform::FormatDateTime("(dd/mm/yyyy hh:nn:ss)", dt), "(09/12/2026 13:05:07)");
    EXPECT_EQ(platform::FormatDateTime("(yyyy-mm/dd hh:nn:ss)", dt), "(2026-12/09 13:05:07)");
    EXPECT_EQ(platform::FormatDateTime("(dd/mm/yyyy hh:nn:ss)", 2.0), "(01/01/1900 00:00:00)");
    // The seconds shown are those elapsed: 23:59:59.7 is still the same day.
    const double lateAt = 46365.0 + (86399.7) / 86400.0;
    EXPECT_EQ(platform::FormatDateTime("dd/mm/yyyy hh:nn:ss", lateAt), "09/12/2026 23:59:59");
    EXPECT_EQ(platform::FormatDateTime("hh:nn:ss", 46365.0 + 7.999 / 86400.0), "00:00:07");
    double now = platform::Now();
    EXPECT_GT(now, 46000.0);
    EXPECT_LT(now, 80000.0);
}
