// Settings files: reading and writing keys, the integer notation, and the colour table.
#include "platform/Colors.h"
#include "platform/Convert.h"
#include "platform/IniFile.h"
#include "platform/Sjis.h"
#include "support/Files.h"

#include <QDir>
#include <QGuiApplication>
#include <QPalette>
#include <QTemporaryDir>
#include <fstream>
#include <gtest/gtest.h>
#include <set>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace platform;

namespace {

class IniFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

    std::string Path(const char* name) const { return dir_.filePath(name).toStdString(); }

    std::string MakeFile(const char* name, const std::string& contents) const {
        std::string path = Path(name);
        std::ofstream(path, std::ios::binary) << contents;
        return path;
    }

    QStringList Entries() const {
        return QDir(dir_.path())
            .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    }

    QTemporaryDir dir_;
};

} // namespace

// ---- reading ----------------------------------------------------------------------------------

TEST_F(IniFileTest, MissingFileSectionOrKeyGivesTheDefaultAndAnEmptyValueDoesNot) {
    TIniFile missing(Path("none.ini"));
    EXPECT_EQ(missing.ReadString("Game", "Group Name", "Benvik Group"), "Benvik Group");
    EXPECT_EQ(missing.ReadString("System", "Column Div", "\t"), "\t");

    TIniFile ini(MakeFile("a.ini", "[Game]\r\nGroup Name=\r\nFinal Turn=30\r\n"));
    EXPECT_EQ(ini.ReadString("Game", "Group Name", "Benvik Group"), "");
    EXPECT_EQ(ini.ReadString("Game", "Stock Cost", "x"), "x");
    EXPECT_EQ(ini.ReadString("System", "Final Turn", "x"), "x");
}

TEST_F(IniFileTest, SectionAndKeyNamesIgnoreLetterCaseAndSurroundingBlanks) {
    TIniFile ini(
        MakeFile("a.ini", "  [ gAME ]  \r\n  final TURN   =  30  \r\nWhole1  Order=7\r\n"));
    EXPECT_EQ(ini.ReadString("Game", "Final Turn", ""), "30");
    EXPECT_EQ(ini.ReadString("GAME", "whole1  order", ""), "7");
    // The two blanks inside the key are part of the name.
    EXPECT_EQ(ini.ReadString("Game", "Whole1 Order", "none"), "none");
}

TEST_F(IniFileTest, DoubleByteNamesMatchExactlyEvenWhenATrailByteLooksLikeALetter) {
    // 0x83 0x41 and 0x83 0x61 are two different katakana; 0x83 0x5D has ']' as trail byte.
    TIniFile ini(MakeFile("a.ini", "[\x83\x5D]\r\n\x83\x41=upper\r\n"));
    EXPECT_EQ(ini.ReadString("\x83\x5D", "\x83\x41", "none"), "upper");
    EXPECT_EQ(ini.ReadString("\x83\x5D", "\x83\x61", "none"), "none");
}

TEST_F(IniFileTest, BlanksAndOnePairOfQuotesAroundTheValueAreDropped) {
    TIniFile ini(MakeFile("a.ini", "[S]\r\n"
                                   "A=  \"  spaced  \"  \r\n"
                                   "B=\"\"twice\"\"\r\n"
                                   "C='single'\r\n"
                                   "D=\"open\r\n"
                                   "E=\"mixed'\r\n"
                                   "F=\"\t\"\r\n"
                                   "G=a \"b\" c\r\n"
                                   "H=\"\r\n"));
    EXPECT_EQ(ini.ReadString("S", "A", ""), "  spaced  ");
    EXPECT_EQ(ini.ReadString("S", "B", ""), "\"twice\"");
    EXPECT_EQ(ini.ReadString("S", "C", ""), "single");
    EXPECT_EQ(ini.ReadString("S", "D", ""), "\"open");
    EXPECT_EQ(ini.ReadString("S", "E", ""), "\"mixed'");
    EXPECT_EQ(ini.ReadString("S", "F", ""), "\t"); // a TAB separator survives only quoted
    EXPECT_EQ(ini.ReadString("S", "G", ""), "a \"b\" c");
    EXPECT_EQ(ini.ReadString("S", "H", ""), "\"");
}

TEST_F(IniFileTest, ValuesAndDefaultsAreCutTo2047BytesWithoutHalvingACharacter) {
    std::string longValue(3000, 'v');
    // A double-byte character at bytes 2046 and 2047 would be cut in two: it goes whole.
    std::string straddling = std::string(2046, 'w') + "\x82\xA0" + "tail";
    TIniFile ini(MakeFile("a.ini", "[S]\r\nLong=" + longValue + "\r\nKanji=" + straddling +
                                       "\r\nExact=" + std::string(2047, 'e') + "\r\n"));
    EXPECT_EQ(ini.ReadString("S", "Long", ""), std::string(2047, 'v'));
    EXPECT_EQ(ini.ReadString("S", "Kanji", ""), std::string(2046, 'w'));
    EXPECT_EQ(ini.ReadString("S", "Exact", ""), std::string(2047, 'e'));
    EXPECT_EQ(ini.ReadString("S", "None", longValue), std::string(2047, 'v'));
}

TEST_F(IniFileTest, FirstSectionAndKeyOfANameCountCommentsAndBareLinesAreNoKeys) {
    TIniFile ini(MakeFile("a.ini", "Left=99\n"
                                   "[System]\n"
                                   ";Left=5\n"
                                   "Left\n"
                                   "Left=1\n"
                                   "left=2\n"
                                   "[Other]\n"
                                   "Top=3\n"
                                   "[system]\n"
                                   "Left=4\n"
                                   "Top=4\n"));
    EXPECT_EQ(ini.ReadString("System", "Left", ""), "1");
    EXPECT_EQ(ini.ReadString("System", "Top", "none"), "none");
    EXPECT_EQ(ini.ReadString("System", ";Left", "none"), "none");
}

TEST_F(IniFileTest, AcceptsLfAndCrLfLineEndsAndKeepsShiftJisBytes) {
    const std::string name = Utf8ToSjis("ベンビク社");
    TIniFile lf(MakeFile("lf.ini", "[Game]\nGroup Name=" + name + "\nFinal Turn=20"));
    TIniFile crlf(MakeFile("crlf.ini", "[Game]\r\nGroup Name=" + name + "\r\nFinal Turn=20"));
    for (const TIniFile* ini : {&lf, &crlf}) {
        EXPECT_EQ(ini->ReadString("Game", "Group Name", ""), name);
        EXPECT_EQ(ini->ReadInteger("Game", "Final Turn", 50), 20);
    }
}

// ---- writing ----------------------------------------------------------------------------------

TEST_F(IniFileTest, ANewFileHasSectionsAndKeysInTheOrderOfFirstWriting) {
    TIniFile ini(Path("new.ini"));
    ini.WriteInteger("System", "Left", 10);
    ini.WriteInteger("System", "Top", -20);
    ini.WriteString("Game", "Group Name", "Benvik Group");
    ini.WriteBool("System", "Stay Front", true);
    ini.WriteString("Font", "Name", "Terminal");
    ini.WriteBool("Font", "Bold", false);
    ini.WriteInteger("System", "left", 11); // an existing key, in another case

    EXPECT_EQ(ReadFile(ini.FileName()), "[System]\r\n"
                                        "Left=11\r\n"
                                        "Top=-20\r\n"
                                        "Stay Front=1\r\n"
                                        "\r\n"
                                        "[Game]\r\n"
                                        "Group Name=Benvik Group\r\n"
                                        "\r\n"
                                        "[Font]\r\n"
                                        "Name=Terminal\r\n"
                                        "Bold=0\r\n");
    EXPECT_EQ(ini.ReadInteger("System", "Top", 0), -20);
    EXPECT_TRUE(ini.ReadBool("System", "Stay Front", false));
}

TEST_F(IniFileTest, WritingKeepsEveryOtherLineAndTheFilesSpellingOfTheKey) {
    std::string path = MakeFile("a.ini", "; settings\n"
                                         "[system]\n"
                                         "  LEFT = 5 \n"
                                         "Column Div=\";\"\n"
                                         "odd line\n"
                                         "\n"
                                         "[Game]\n"
                                         "Final Turn=30\n");
    TIniFile ini(path);
    ini.WriteInteger("System", "Left", 7);
    ini.WriteInteger("System", "Top", 8);
    ini.WriteString("Column Width", "Turn", "50");
    EXPECT_EQ(ReadFile(path), "; settings\r\n"
                              "[system]\r\n"
                              "LEFT=7\r\n"
                              "Column Div=\";\"\r\n"
                              "odd line\r\n"
                              "Top=8\r\n"
                              "\r\n"
                              "[Game]\r\n"
                              "Final Turn=30\r\n"
                              "\r\n"
                              "[Column Width]\r\n"
                              "Turn=50\r\n");
}

TEST_F(IniFileTest, AWrittenLineBreakCannotBreakTheFile) {
    TIniFile ini(Path("a.ini"));
    ini.WriteString("Game", "Group Name", "first\r\n[Font]\r\nName=x");
    ini.WriteString("Game", "Final Turn", "30");
    EXPECT_EQ(ini.ReadString("Game", "Group Name", ""), "first");
    EXPECT_EQ(ini.ReadString("Font", "Name", "none"), "none");
    EXPECT_EQ(ini.ReadString("Game", "Final Turn", ""), "30");
}

TEST_F(IniFileTest, ARefusedWriteRaisesAnErrorNamingTheFile) {
    // The parent is a regular file: refused for every user, root included.
    MakeFile("plain", "x");
    const std::string path = Path("plain") + "/TrovGSrv.ini";
    TIniFile ini(path);
    try {
        ini.WriteInteger("System", "Left", 0);
        FAIL() << "the write was not refused";
    } catch (const IniWriteError& e) {
        EXPECT_EQ(std::string(e.what()), path + "\x20\x82\xC9\x8F\x91\x82\xAB\x8D\x9E\x82\xDF"
                                                "\x82\xDC\x82\xB9\x82\xF1");
        EXPECT_EQ(e.FileName(), path);
    }
    EXPECT_FALSE(TIniFile(path).TryWriteString("System", "Left", "0"));
}

TEST_F(IniFileTest, AReadOnlyFileRefusesTheWriteAndKeepsWhatWasWrittenBefore) {
    TIniFile ini(Path("a.ini"));
    ini.WriteInteger("System", "Left", 1);
    ASSERT_EQ(chmod(ini.FileName().c_str(), 0444), 0);
    EXPECT_THROW(ini.WriteInteger("System", "Top", 2), IniWriteError);
    EXPECT_EQ(ReadFile(ini.FileName()), "[System]\r\nLeft=1\r\n");
    EXPECT_EQ(Entries(), QStringList{"a.ini"});
}

TEST_F(IniFileTest, AFileInAFolderThatTakesNoNewFilesIsNotWrittenAndStaysWhole) {
    // A shared installation: the folder is read-only, its prepared settings file is not. Without
    // a temporary file the file could only be rewritten in place, which a full disk would leave
    // cut short.
    ASSERT_TRUE(QDir(QString::fromStdString(Path(""))).mkdir("shared"));
    const std::string folder = Path("shared");
    const std::string path = MakeFile("shared/a.ini", "[S]\r\nA=1\r\n");
    ASSERT_EQ(chmod(path.c_str(), 0666), 0);
    ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
    ASSERT_EQ(chmod(Path("").c_str(), 0755), 0);
    auto refused = [&] {
        bool ok = !TIniFile(folder + "/new.ini").TryWriteString("S", "A", "1");
        try {
            TIniFile(path).WriteInteger("S", "A", 2);
            ok = false;
        } catch (const IniWriteError&) {}
        return ok;
    };
    if (geteuid() != 0) {
        EXPECT_TRUE(refused());
    } else {
        // The folder's permissions bind only a user other than root.
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) _exit(setgid(65534) == 0 && setuid(65534) == 0 && refused() ? 0 : 1);
        int status = -1;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    chmod(folder.c_str(), 0755);
    EXPECT_EQ(ReadFile(path), "[S]\r\nA=1\r\n");
    EXPECT_EQ(QDir(QString::fromStdString(folder)).entryList(QDir::Files | QDir::Hidden),
              QStringList{"a.ini"});
}

TEST_F(IniFileTest, TheFileIsReplacedWholeKeepingItsPermissionsAndLeavingNoTemporaryFile) {
    const std::string original = "[S]\r\nA=1\r\n";
    std::string path = MakeFile("a.ini", original);
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    // A reader that opened the old file goes on seeing it whole: it was not rewritten in place.
    std::ifstream oldReader(path, std::ios::binary);
    ASSERT_TRUE(oldReader.is_open());

    TIniFile ini(path);
    for (int i = 0; i < 20; ++i) ini.WriteInteger("S", ("K" + std::to_string(i)).c_str(), i);

    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(oldReader), {}), original);
    struct stat after {};
    ASSERT_EQ(stat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    EXPECT_EQ(Entries(), QStringList{"a.ini"});
    EXPECT_EQ(ini.ReadInteger("S", "A", -1), 1);
    EXPECT_EQ(ini.ReadInteger("S", "K19", -1), 19);
}

TEST_F(IniFileTest, ALinkedSettingsFileIsWrittenThroughTheLink) {
    std::string target = MakeFile("real.ini", "[S]\r\nA=1\r\n");
    std::string link = Path("link.ini");
    ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
    TIniFile(link).WriteInteger("S", "A", 2);
    struct stat st {};
    ASSERT_EQ(lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(ReadFile(target), "[S]\r\nA=2\r\n");
}

TEST_F(IniFileTest, TheFileIsReadOncePerLoadAndOncePerSave) {
    const std::string path = MakeFile("a.ini", "[S]\r\nA=1\r\nB=2\r\n");
    OpenCount opens(Path(""));
    ASSERT_TRUE(opens.Watching());
    {
        const TIniFile ini(path);
        EXPECT_EQ(ini.ReadInteger("S", "A", 0), 1);
        EXPECT_EQ(ini.ReadInteger("S", "B", 0), 2);
        EXPECT_EQ(ini.ReadString("T", "C", "c"), "c");
    }
    EXPECT_EQ(opens.Of("a.ini"), 1);
    {
        TIniFile ini(path);
        for (int i = 0; i < 10; ++i) ini.WriteInteger("S", ("K" + std::to_string(i)).c_str(), i);
        EXPECT_EQ(ini.ReadInteger("S", "K9", -1), 9);
    }
    EXPECT_EQ(opens.Of("a.ini"), 2);
    EXPECT_EQ(TIniFile(path).ReadString("S", "K9", ""), "9");
}

TEST_F(IniFileTest, AFileTooLargeOrNoRegularFileReadsAsMissingAndIsNeverReplaced) {
    // The largest file that is read (1 MiB), and one byte more.
    std::string contents = "[S]\r\nA=7\r\n;";
    contents += std::string((1 << 20) - contents.size() - 2, 'x') + "\r\n";
    const std::string largest = MakeFile("largest.ini", contents);
    EXPECT_EQ(TIniFile(largest).ReadInteger("S", "A", 3), 7);
    const std::string larger = MakeFile("larger.ini", contents + ";");
    TIniFile ini(larger);
    EXPECT_EQ(ini.ReadInteger("S", "A", 3), 3);
    EXPECT_THROW(ini.WriteInteger("S", "A", 8), IniWriteError);
    EXPECT_EQ(ReadFile(larger), contents + ";");

    // A pipe: nothing ever comes through it, and reading it must not wait for a writer. In a
    // child with an alarm, so that a reader that waits ends.
    const std::string pipe = Path("pipe.ini");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0644), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        alarm(10);
        const bool missing = TIniFile(pipe).ReadInteger("S", "A", 3) == 3;
        _exit(missing && !TIniFile(pipe).TryWriteString("S", "A", "8") ? 0 : 1);
    }
    int status = -1;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    struct stat st {};
    ASSERT_EQ(lstat(pipe.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_EQ(Entries(), (QStringList{"larger.ini", "largest.ini", "pipe.ini"}));
}

// ---- integers and on/off ----------------------------------------------------------------------

TEST_F(IniFileTest, IntegersReadInDecimalOrHexadecimalAndOtherTextGivesTheDefault) {
    TIniFile ini(MakeFile("a.ini", "[G]\r\n"
                                   "Dec=30\r\nNeg=-3\r\nPlus=+7\r\nBlank= 12 \r\n"
                                   "Hex1=0x1E\r\nHex2=0X1e\r\nHex3=$1e\r\nHexNeg=-$10\r\n"
                                   "AllBits=$FFFFFFFF\r\nMin=-2147483648\r\n"
                                   "Word=abc\r\nEmpty=\r\nTrail=12abc\r\nBig=2147483648\r\n"
                                   "HexBig=$100000000\r\nDollar=$\r\nZeroX=0x\r\nSign=-\r\n"
                                   "Inner=1 2\r\n"));
    EXPECT_EQ(ini.ReadInteger("G", "Dec", 50), 30);
    EXPECT_EQ(ini.ReadInteger("G", "Neg", 50), -3);
    EXPECT_EQ(ini.ReadInteger("G", "Plus", 50), 7);
    EXPECT_EQ(ini.ReadInteger("G", "Blank", 50), 12);
    EXPECT_EQ(ini.ReadInteger("G", "Hex1", 50), 30);
    EXPECT_EQ(ini.ReadInteger("G", "Hex2", 50), 30);
    EXPECT_EQ(ini.ReadInteger("G", "Hex3", 50), 30);
    EXPECT_EQ(ini.ReadInteger("G", "HexNeg", 50), -16);
    EXPECT_EQ(ini.ReadInteger("G", "AllBits", 50), -1);
    EXPECT_EQ(ini.ReadInteger("G", "Min", 50), INT32_MIN);
    for (const char* key : {"Word", "Empty", "Trail", "Big", "HexBig", "Dollar", "ZeroX", "Sign",
                            "Inner", "Missing"}) {
        EXPECT_EQ(ini.ReadInteger("G", key, 50), 50) << key;
    }
}

TEST_F(IniFileTest, OnOffIsAnyNonZeroIntegerAndOtherTextGivesTheDefault) {
    TIniFile ini(MakeFile("a.ini", "[S]\r\nTask-Tray=2\r\nStay Front=0\r\nClose Check=x\r\n"));
    EXPECT_TRUE(ini.ReadBool("S", "Task-Tray", false));
    EXPECT_FALSE(ini.ReadBool("S", "Stay Front", true));
    EXPECT_TRUE(ini.ReadBool("S", "Close Check", true));
    EXPECT_FALSE(ini.ReadBool("S", "Close Check", false));
    EXPECT_TRUE(ini.ReadBool("S", "Missing", true));
}

TEST(Convert, StrToIntRaisesAConversionErrorNamingTheText) {
    EXPECT_EQ(StrToInt("0x1E"), 30);
    EXPECT_EQ(StrToIntDef("xyz", 5), 5);
    try {
        StrToInt("xyz");
        FAIL() << "no error raised";
    } catch (const ConvertError& e) {
        EXPECT_EQ(std::string(e.what()), Utf8ToSjis("'xyz' は整数ではありません"));
    }
    EXPECT_THROW(StrToInt(""), ConvertError);
}

// ---- colours ----------------------------------------------------------------------------------

TEST(Colors, IdentifiersHexAndDecimalAllReadAndIdentifiersIgnoreCase) {
    for (const char* text : {"clRed", "clred", "CLRED", "$000000FF", "255", "0xff"}) {
        EXPECT_EQ(StringToColor(text), clRed) << text;
    }
    EXPECT_EQ(StringToColor("clWindowText"), clWindowText);
    EXPECT_EQ(StringToColor("$80000008"), clWindowText);
    EXPECT_EQ(StringToColor("$00123456"), 0x123456);
    EXPECT_FALSE(IdentToColor("clOrange"));
}

TEST(Colors, TextThatIsNeitherRaisesTheConversionError) {
    try {
        StringToColor("xyz");
        FAIL() << "no error raised";
    } catch (const ConvertError& e) {
        EXPECT_EQ(std::string(e.what()), Utf8ToSjis("'xyz' は整数ではありません"));
    }
    EXPECT_THROW(StringToColor(""), ConvertError);
    EXPECT_THROW(StringToColor("clRed "), ConvertError);
}

TEST(Colors, WrittenAsTheIdentifierElseAsEightHexDigits) {
    EXPECT_EQ(ColorToString(clRed), "clRed");
    EXPECT_EQ(ColorToString(0x0000FF), "clRed");
    EXPECT_EQ(ColorToString(clWindowText), "clWindowText");
    EXPECT_EQ(ColorToString(0x123456), "$00123456");
    EXPECT_EQ(ColorToString(0xABCDEF), "$00ABCDEF");
    EXPECT_EQ(ColorToString(SystemColor(25)), "$80000019"); // an index the table has no name for
}

TEST(Colors, TheTableHas49DistinctIdentifiersWithTheirValues) {
    std::set<std::string> names;
    std::set<TColor> values;
    for (const TColorIdent& entry : kColorIdents) {
        names.insert(entry.Name);
        values.insert(entry.Value);
        EXPECT_EQ(ColorToString(entry.Value), entry.Name);
        EXPECT_EQ(StringToColor(entry.Name), entry.Value);
    }
    EXPECT_EQ(names.size(), 49u);
    EXPECT_EQ(values.size(), 49u);
    // Values as blue x 65536 + green x 256 + red.
    EXPECT_EQ(*IdentToColor("clMaroon"), 0x000080);
    EXPECT_EQ(*IdentToColor("clNavy"), 0x800000);
    EXPECT_EQ(*IdentToColor("clOlive"), 0x008080);
    EXPECT_EQ(*IdentToColor("clTeal"), 0x808000);
    EXPECT_EQ(*IdentToColor("clYellow"), 0x00FFFF);
    EXPECT_EQ(*IdentToColor("clAqua"), 0xFFFF00);
    EXPECT_EQ(*IdentToColor("clMoneyGreen"), 0xC0DCC0);
    EXPECT_EQ(*IdentToColor("clSkyBlue"), 0xF0CAA6);
    EXPECT_EQ(*IdentToColor("clCream"), 0xF0FBFF);
    EXPECT_EQ(*IdentToColor("clMedGray"), 0xA4A0A0);
    EXPECT_EQ(*IdentToColor("clNone"), 0x1FFFFFFF);
    EXPECT_EQ(*IdentToColor("clDefault"), 0x20000000);
    EXPECT_EQ(static_cast<std::uint32_t>(*IdentToColor("clScrollBar")), 0x80000000u);
    EXPECT_EQ(static_cast<std::uint32_t>(*IdentToColor("clInfoBk")), 0x80000018u);
    EXPECT_EQ(static_cast<std::uint32_t>(*IdentToColor("clGradientActiveCaption")), 0x8000001Bu);
    EXPECT_EQ(static_cast<std::uint32_t>(*IdentToColor("clGradientInactiveCaption")), 0x8000001Cu);
}

TEST(Colors, ScreenColours) {
    EXPECT_EQ(ColorToQColor(clRed), QColor(255, 0, 0));
    EXPECT_EQ(ColorToQColor(0x123456), QColor(0x56, 0x34, 0x12));
    EXPECT_EQ(ColorToQColor(clWindowText), QGuiApplication::palette().color(QPalette::Text));
    EXPECT_EQ(ColorToQColor(clWindow), QGuiApplication::palette().color(QPalette::Base));
    EXPECT_FALSE(ColorToQColor(clNone).isValid());
    EXPECT_FALSE(ColorToQColor(clDefault).isValid());
}
