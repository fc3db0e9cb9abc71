// The server's settings file: every key read into the window's controls with its default and
// notation, the write order of a new file, and the errors that stop a load or a save.
#include "platform/Colors.h"
#include "platform/Convert.h"
#include "platform/IniFile.h"
#include "platform/ListView.h"
#include "platform/PageControl.h"
#include "platform/Sjis.h"
#include "platform/SjisText.h"
#include "platform/SpinEdit.h"
#include "server/TS_IniIO.h"
#include "server/TS_Main.h"
#include "support/Files.h"

#include <QAction>
#include <QCoreApplication>
#include <QFont>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPalette>
#include <QScreen>
#include <QTemporaryDir>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <vector>

using namespace platform;

namespace {

class ServerIniTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

    std::string Path(const char* name) const { return dir_.filePath(name).toStdString(); }

    std::string MakeFile(const std::string& contents, const char* name = "TrovGSrv.ini") const {
        std::string path = Path(name);
        std::ofstream(path, std::ios::binary) << contents;
        return path;
    }

    // Loads a file of the given lines.
    void Load(const std::string& contents) { LoadServerIni(form, MakeFile(contents)); }

    // Saves to a new file and returns its bytes.
    std::string Saved() {
        const std::string path = Path("saved.ini");
        std::remove(path.c_str());
        SaveServerIni(form, path);
        return ReadFile(path);
    }

    std::vector<TSpinEdit*> GameEdits() const {
        return {form.SpinEdit_FinalTurn,  form.SpinEdit_UStkCost,   form.SpinEdit_UBLCost,
                form.SpinEdit_MarcketMin, form.SpinEdit_MarcketMax, form.SpinEdit_FirstMin,
                form.SpinEdit_FirstMax,   form.SpinEdit_FtOrder,    form.SpinEdit_W1Order,
                form.SpinEdit_W2Order,    form.SpinEdit_RtOrder,    form.SpinEdit_FtShipM,
                form.SpinEdit_W1ShipM,    form.SpinEdit_W2ShipM,    form.SpinEdit_RtShipM};
    }
    std::vector<int> GameValues() const {
        std::vector<int> values;
        for (TSpinEdit* edit : GameEdits()) values.push_back(edit->Value());
        return values;
    }
    std::vector<int> ColumnWidths() const {
        std::vector<int> widths;
        for (int c = 0; c < form.ListView_Connect->ColumnCount(); ++c)
            widths.push_back(form.ListView_Connect->Column(c)->Width());
        return widths;
    }
    // Without a stored width a column starts at its design width, or at what its caption and the
    // texts it usually shows (a name, wish words, an address, a port, a time) need in the list's
    // face.
    std::vector<int> StartWidths() const {
        const std::vector<std::string> usual[] = {
            {"Client A"}, {"UnKnown", "Factory", "Distributor", "Wholesaler", "Retailer"},
            {},           {"255.255.255.255"},
            {"65535"},    {"30/12/2099 23:59:59"}};
        const int design[] = {100, 80, 100, 140, 60, 120};
        std::vector<int> widths;
        for (int c = 0; c < 6; ++c)
            widths.push_back(
                std::max(design[c], form.ListView_Connect->FittingColumnWidth(c, usual[c])));
        return widths;
    }

    // Puts a value other than the default into every control the file sets.
    void SetEverythingOff() {
        form.move(50, 60);
        form.OpenDialog.FileName = "/elsewhere/x.tgd";
        form.PageControl->SetActivePageIndex(3);
        form.MItem_TaskTray->setChecked(true);
        form.MItem_StayFront->setChecked(true);
        form.MItem_CloseCheck->setChecked(false);
        form.SpinEdit_Port->SetValue(9000);
        form.ColumnDiv = ",";
        for (int c = 0; c < form.ListView_Connect->ColumnCount(); ++c)
            form.ListView_Connect->Column(c)->SetWidth(33 + c);
        for (TSpinEdit* edit : GameEdits()) edit->SetValue(edit->MinValue() + 7);
        form.Edit_GroupName->setText("Other");
        QFont font("Courier", 21);
        font.setBold(true);
        font.setItalic(true);
        font.setUnderline(true);
        font.setStrikeOut(true);
        form.PageControl->setFont(font);
        form.FFontColor = clBlue;
    }

    QColor PageTextColor() const {
        return form.PageControl->palette().color(QPalette::Active, QPalette::WindowText);
    }

    QTemporaryDir dir_;
    TTrovGameServerForm form;
};

const std::vector<int> kDefaultGameValues = {50, 1, 2, 2, 6, 2, 6, 5, 5, 5, 5, 5, 5, 5, 5};

} // namespace

// ---- no file ---------------------------------------------------------------------------------

TEST_F(ServerIniTest, NoFileGivesEveryDefaultAndCreatesNothing) {
    SetEverythingOff();
    const QSize size = form.size();
    const std::string path = Path("TrovGSrv.ini");
    LoadServerIni(form, path);

    EXPECT_EQ(form.pos(), QPoint(0, 0));
    EXPECT_EQ(form.size(), size);
    EXPECT_EQ(form.OpenDialog.FileName, "./");
    EXPECT_EQ(form.PageControl->ActivePageIndex(), 0);
    EXPECT_FALSE(form.MItem_TaskTray->isChecked());
    EXPECT_FALSE(form.MItem_StayFront->isChecked());
    EXPECT_TRUE(form.MItem_CloseCheck->isChecked());
    EXPECT_EQ(form.SpinEdit_Port->Value(), 8799);
    EXPECT_EQ(form.SpinEdit_Port->MinValue(), 1024);
    EXPECT_EQ(form.ColumnDiv, "\t");
    EXPECT_EQ(ColumnWidths(), StartWidths());
    EXPECT_EQ(GameValues(), kDefaultGameValues);
    EXPECT_EQ(ToSjis(form.Edit_GroupName->text()), "Benvik Group");

    const QFont font = form.PageControl->font();
    EXPECT_EQ(font.family(), "Terminal");
    EXPECT_EQ(font.pointSize(), 13);
    EXPECT_FALSE(font.bold());
    EXPECT_FALSE(font.italic());
    EXPECT_FALSE(font.underline());
    EXPECT_FALSE(font.strikeOut());
    EXPECT_EQ(form.FFontColor, clWindowText);
    EXPECT_EQ(PageTextColor(), ColorToQColor(clWindowText));
    // The pages' controls take the page font.
    EXPECT_EQ(form.Edit_GroupName->font().family(), "Terminal");
    EXPECT_EQ(form.SpinEdit_FinalTurn->font().pointSize(), 13);

    EXPECT_FALSE(QFile::exists(QString::fromStdString(path)));
}

TEST_F(ServerIniTest, SavingTheDefaultsWritesANewFileInTheSaveOrder) {
    LoadServerIni(form, Path("none.ini"));
    const QRect frame = form.frameGeometry();
    const std::vector<int> widths = StartWidths();
    const std::string expected =
        "[System]\r\n"
        "Left=" +
        std::to_string(frame.x()) + "\r\nTop=" + std::to_string(frame.y()) +
        "\r\nWidth=" + std::to_string(frame.width()) +
        "\r\nHeight=" + std::to_string(frame.height()) +
        "\r\n"
        "Last Path=./\r\n"
        "Active Page=0\r\n"
        "Task-Tray=0\r\n"
        "Stay Front=0\r\n"
        "Close Check=1\r\n"
        "Server Port=8799\r\n"
        "\r\n"
        "[Column Width]\r\n"
        "Player Name=" +
        std::to_string(widths[0]) + "\r\nPlayer Type=" + std::to_string(widths[1]) +
        "\r\nHost Name=" + std::to_string(widths[2]) +
        "\r\nIP Address=" + std::to_string(widths[3]) +
        "\r\nPort Number=" + std::to_string(widths[4]) +
        "\r\nConnect Time=" + std::to_string(widths[5]) +
        "\r\n"
        "\r\n"
        "[Game]\r\n"
        "Final Turn=50\r\n"
        "Group Name=Benvik Group\r\n"
        "Stock Cost=1\r\n"
        "Back Log Cost=2\r\n"
        "Marcket Min=2\r\n"
        "Marcket Max=6\r\n"
        "First Min=2\r\n"
        "First Max=6\r\n"
        "Factory Order=5\r\n"
        "Whole1  Order=5\r\n"
        "Whole2  Order=5\r\n"
        "Retail  Order=5\r\n"
        "Factory Shipment=5\r\n"
        "Whole1  Shipment=5\r\n"
        "Whole2  Shipment=5\r\n"
        "Retail  Shipment=5\r\n"
        "\r\n"
        "[Font]\r\n"
        "Name=Terminal\r\n"
        "Size=13\r\n"
        "Color=clWindowText\r\n"
        "Bold=0\r\n"
        "Italic=0\r\n"
        "UnderLine=0\r\n"
        "StrikeOut=0\r\n";
    EXPECT_EQ(Saved(), expected);
}

// ---- integers, options and texts -------------------------------------------------------------

TEST_F(ServerIniTest, IntegersAreClampedByTheirEditAndReadInDecimalOrHexadecimal) {
    const std::pair<const char*, int> cases[] = {
        {"5", 10},   {"150", 99}, {"0x1E", 30}, {"0X1e", 30}, {"$1e", 30}, {"+42", 42},
        {"abc", 50}, {"", 50},    {"3x", 50},   {" 77 ", 77}, {"-0", 10},
    };
    for (const auto& [text, value] : cases) {
        form.SpinEdit_FinalTurn->SetValue(64);
        Load(std::string("[Game]\r\nFinal Turn=") + text + "\r\n");
        EXPECT_EQ(form.SpinEdit_FinalTurn->Value(), value) << "Final Turn=" << text;
        EXPECT_EQ(form.SpinEdit_FinalTurn->Text(), std::to_string(value)) << text;
    }

    Load("[game]\r\n"
         "stock cost=0\r\n"
         "Back Log Cost=100\r\n"
         "Factory Order=-3\r\n"
         "Whole1  Order=7\r\n"
         "Whole2 Order=9\r\n"
         "Retail  Shipment=$63\r\n");
    EXPECT_EQ(form.SpinEdit_UStkCost->Value(), 1);
    EXPECT_EQ(form.SpinEdit_UBLCost->Value(), 99);
    EXPECT_EQ(form.SpinEdit_FtOrder->Value(), 0);
    EXPECT_EQ(form.SpinEdit_W1Order->Value(), 7);
    // One blank is another key: the default stays.
    EXPECT_EQ(form.SpinEdit_W2Order->Value(), 5);
    EXPECT_EQ(form.SpinEdit_RtShipM->Value(), 99);
}

TEST_F(ServerIniTest, ALowStoredPortComesBackAs1024AndTheWellKnownPortOptionLowersOnlyTheRange) {
    Load("[System]\r\nServer Port=80\r\n");
    EXPECT_EQ(form.SpinEdit_Port->Value(), 1024);
    EXPECT_EQ(form.SpinEdit_Port->MinValue(), 1024);

    Load("[System]\r\nServer Port=80\r\nWell Known Port=1\r\n");
    EXPECT_EQ(form.SpinEdit_Port->Value(), 1024);
    EXPECT_EQ(form.SpinEdit_Port->MinValue(), 0);
    form.SpinEdit_Port->SetValue(80);
    EXPECT_EQ(form.SpinEdit_Port->Value(), 80);

    Load("[System]\r\nServer Port=60000\r\n");
    EXPECT_EQ(form.SpinEdit_Port->Value(), 49151);
}

TEST_F(ServerIniTest, OptionsAreOnForAnyNonZeroIntegerAndKeepTheirDefaultOtherwise) {
    SetEverythingOff();
    Load("[System]\r\nTask-Tray=2\r\nStay Front=0\r\nClose Check=x\r\n");
    EXPECT_TRUE(form.MItem_TaskTray->isChecked());
    EXPECT_FALSE(form.MItem_StayFront->isChecked());
    EXPECT_TRUE(form.MItem_CloseCheck->isChecked());

    Load("[System]\r\nTask-Tray=0x0\r\nStay Front=-1\r\nClose Check=0\r\n");
    EXPECT_FALSE(form.MItem_TaskTray->isChecked());
    EXPECT_TRUE(form.MItem_StayFront->isChecked());
    EXPECT_FALSE(form.MItem_CloseCheck->isChecked());
}

TEST_F(ServerIniTest, TextsAreTakenAsReadAndAnEmptyValueIsNotTheDefault) {
    Load("[Game]\r\nGroup Name=\r\n[System]\r\nColumn Div=;\r\nLast Path=/data/games/a.tgd\r\n");
    EXPECT_EQ(form.Edit_GroupName->text(), "");
    EXPECT_EQ(form.ColumnDiv, ";");
    EXPECT_EQ(form.OpenDialog.FileName, "/data/games/a.tgd");

    Load("[System]\r\nColumn Div=\r\n");
    EXPECT_EQ(form.ColumnDiv, "");
    EXPECT_EQ(ToSjis(form.Edit_GroupName->text()), "Benvik Group");

    // Shift-JIS text reaches the edit as characters and comes back as the same bytes.
    const std::string name = Utf8ToSjis("ベンビック組");
    Load("[Game]\r\nGroup Name=\"" + name + "\"\r\n");
    EXPECT_EQ(form.Edit_GroupName->text(), QString::fromUtf8("ベンビック組"));
    EXPECT_NE(Saved().find("\r\nGroup Name=" + name + "\r\n"), std::string::npos);
}

TEST_F(ServerIniTest, ColumnDivAndWellKnownPortAreNeverWritten) {
    Load("[System]\r\nColumn Div=;\r\nWell Known Port=1\r\n");
    const std::string saved = Saved();
    EXPECT_EQ(saved.find("Column Div"), std::string::npos);
    EXPECT_EQ(saved.find("Well Known Port"), std::string::npos);
}

TEST_F(ServerIniTest, APageOutsideTheFiveShowsNoneAndIsSavedAsMinusOne) {
    Load("[System]\r\nActive Page=4\r\n");
    EXPECT_EQ(form.PageControl->ActivePageIndex(), 4);
    Load("[System]\r\nActive Page=9\r\n");
    EXPECT_EQ(form.PageControl->ActivePageIndex(), -1);
    EXPECT_NE(Saved().find("\r\nActive Page=-1\r\n"), std::string::npos);
    Load("[System]\r\nActive Page=-2\r\n");
    EXPECT_EQ(form.PageControl->ActivePageIndex(), -1);
}

TEST_F(ServerIniTest, PositionAndColumnWidthsAreReadButNotTheWindowSize) {
    const QSize size = form.size();
    Load("[System]\r\nLeft=-20\r\nTop=$30\r\nWidth=300\r\nHeight=200\r\n"
         "[Column Width]\r\nPlayer Name=41\r\nPlayer Type=42\r\nHost Name=43\r\n"
         "IP Address=44\r\nPort Number=$2D\r\nConnect Time=246\r\n");
    EXPECT_EQ(form.pos(), QPoint(-20, 48));
    EXPECT_EQ(form.size(), size);
    EXPECT_EQ(ColumnWidths(), (std::vector<int>{41, 42, 43, 44, 45, 246}));
    // A column is as narrow as it was stored.
    Load("[Column Width]\r\nPlayer Name=5\r\n");
    EXPECT_EQ(ColumnWidths()[0], 5);
    EXPECT_NE(Saved().find("\r\nPlayer Name=5\r\n"), std::string::npos);
}

TEST_F(ServerIniTest, AColumnWithoutAStoredWidthStartsAsWideAsItsTextsNeedAndIsKeptSo) {
    Load("[Column Width]\r\nPlayer Name=41\r\nPlayer Type=abc\r\n");
    std::vector<int> expected = StartWidths();
    expected[0] = 41;
    EXPECT_EQ(ColumnWidths(), expected);
    // The design's 80 pixels cut "Distributor" in the page's face, as 120 cut the time.
    EXPECT_GT(ColumnWidths()[1], 80);
    EXPECT_GE(ColumnWidths()[1], form.ListView_Connect->FittingColumnWidth(1, {"Distributor"}));
    EXPECT_GT(ColumnWidths()[5], 120);

    // What was saved is read back and saved again unchanged.
    const std::string saved = Saved();
    Load(saved);
    EXPECT_EQ(ColumnWidths(), expected);
    EXPECT_EQ(Saved(), saved);

    // A larger face widens what the file did not hold, to what its texts need there.
    Load("[Column Width]\r\nPlayer Name=41\r\n");
    const std::vector<int> before = ColumnWidths();
    QFont larger = form.PageControl->font();
    larger.setPointSize(26);
    form.ApplyPageFont(larger, form.FFontColor);
    expected = StartWidths();
    expected[0] = 41;
    EXPECT_EQ(ColumnWidths(), expected);
    EXPECT_GT(ColumnWidths()[1], before[1]);
}

TEST_F(ServerIniTest, APositionOutsideEveryScreenIsBroughtBackOntoIt) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    for (const char* place : {"Left=2147483647\r\nTop=2147483647", "Left=-2147483648\r\nTop=9",
                              "Left=30\r\nTop=-2147483648", "Left=99999\r\nTop=-99999"}) {
        form.hide();
        Load(std::string("[System]\r\n") + place + "\r\n");
        form.show();
        QCoreApplication::processEvents();
        const QRect frame = form.frameGeometry();
        EXPECT_TRUE(screen.contains(frame.topLeft())) << place;
        EXPECT_TRUE(frame.intersects(screen)) << place;
        EXPECT_NE(Saved().find("\r\nLeft=" + std::to_string(frame.x()) +
                               "\r\nTop=" + std::to_string(frame.y()) + "\r\n"),
                  std::string::npos);
    }
    form.hide();
}

// ---- font ------------------------------------------------------------------------------------

TEST_F(ServerIniTest, TheFontTakesNameSizeAndFlagsAndALongNameIsCut) {
    Load("[Font]\r\nName=Courier\r\nSize=20\r\nBold=1\r\nItalic=5\r\nUnderLine=0\r\n"
         "StrikeOut=$1\r\n");
    QFont font = form.PageControl->font();
    EXPECT_EQ(font.family(), "Courier");
    EXPECT_EQ(font.pointSize(), 20);
    EXPECT_TRUE(font.bold());
    EXPECT_TRUE(font.italic());
    EXPECT_FALSE(font.underline());
    EXPECT_TRUE(font.strikeOut());
    const std::string saved = Saved();
    EXPECT_NE(saved.find("[Font]\r\nName=Courier\r\nSize=20\r\nColor=clWindowText\r\nBold=1\r\n"
                         "Italic=1\r\nUnderLine=0\r\nStrikeOut=1\r\n"),
              std::string::npos);

    Load("[Font]\r\nName=ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghij\r\n");
    EXPECT_EQ(form.PageControl->font().family(), "ABCDEFGHIJKLMNOPQRSTUVWXYZabcde");

    // A double-byte character that does not fit whole is left out.
    const std::string wide = std::string(30, 'A') + Utf8ToSjis("字");
    Load("[Font]\r\nName=" + wide + "\r\n");
    EXPECT_EQ(form.PageControl->font().family(), QString(30, 'A'));
}

TEST_F(ServerIniTest, AnEmptyFontNameOrSizeKeepsTheDefaultAndTheNextSaveWritesIt) {
    Load("[Font]\r\nName=\r\n");
    const QString face = form.PageControl->font().family();
    EXPECT_NE(face, "Terminal");
    EXPECT_FALSE(face.isEmpty());
    EXPECT_NE(Saved().find("\r\nName=" + ToSjis(face) + "\r\n"), std::string::npos);

    // A size that is no positive number of points keeps the default size.
    for (const char* size : {"0", "-12"}) {
        Load(std::string("[Font]\r\nSize=") + size + "\r\n");
        EXPECT_EQ(form.PageControl->font().pointSize(), QFont().pointSize()) << size;
    }
}

TEST_F(ServerIniTest, ColourIdentifiersAndNumbersGiveTheSameColour) {
    for (const char* text : {"clred", "$000000FF", "255", "0xff"}) {
        form.FFontColor = clBlue;
        Load(std::string("[Font]\r\nColor=") + text + "\r\n");
        EXPECT_EQ(form.FFontColor, clRed) << text;
        EXPECT_EQ(PageTextColor(), QColor(255, 0, 0)) << text;
        EXPECT_EQ(form.PageControl->palette().color(QPalette::Inactive, QPalette::Text),
                  QColor(255, 0, 0))
            << text;
        EXPECT_NE(Saved().find("\r\nColor=clRed\r\n"), std::string::npos) << text;
    }

    Load("[Font]\r\nColor=$00123456\r\n");
    EXPECT_EQ(PageTextColor(), QColor(0x56, 0x34, 0x12));
    EXPECT_NE(Saved().find("\r\nColor=$00123456\r\n"), std::string::npos);
}

TEST_F(ServerIniTest, ABadColourStopsTheLoadBeforeAnythingIsApplied) {
    SetEverythingOff();
    const QPoint pos = form.pos();
    const QFont font = form.PageControl->font();
    const std::vector<int> widths = ColumnWidths();
    const std::vector<int> values = GameValues();
    const std::string path = MakeFile("[Font]\r\nName=Courier\r\nSize=30\r\nColor=xyz\r\n"
                                      "[System]\r\nLeft=5\r\nTop=6\r\nActive Page=1\r\n"
                                      "Server Port=2000\r\nColumn Div=;\r\nTask-Tray=0\r\n"
                                      "Well Known Port=1\r\n"
                                      "[Column Width]\r\nPlayer Name=10\r\n"
                                      "[Game]\r\nFinal Turn=20\r\nGroup Name=G\r\n");
    try {
        LoadServerIni(form, path);
        FAIL() << "the load did not raise";
    } catch (const ConvertError& e) {
        EXPECT_EQ(std::string(e.what()), Utf8ToSjis("'xyz' は整数ではありません"));
    }
    EXPECT_EQ(form.pos(), pos);
    EXPECT_EQ(form.PageControl->font(), font);
    EXPECT_EQ(form.FFontColor, clBlue);
    EXPECT_EQ(form.PageControl->ActivePageIndex(), 3);
    EXPECT_TRUE(form.MItem_TaskTray->isChecked());
    EXPECT_EQ(form.SpinEdit_Port->Value(), 9000);
    EXPECT_EQ(form.SpinEdit_Port->MinValue(), 1024);
    EXPECT_EQ(form.ColumnDiv, ",");
    EXPECT_EQ(ColumnWidths(), widths);
    EXPECT_EQ(GameValues(), values);
    EXPECT_EQ(form.Edit_GroupName->text(), "Other");
}

// ---- saving ----------------------------------------------------------------------------------

TEST_F(ServerIniTest, WhatIsSavedLoadsBackIntoEveryControl) {
    SetEverythingOff();
    form.FFontColor = RGBColor(1, 2, 3);
    form.Edit_GroupName->setText(QString::fromUtf8("組 A"));
    const std::string path = Path("round.ini");
    SaveServerIni(form, path);

    const QFont font = form.PageControl->font();
    const std::vector<int> widths = ColumnWidths();
    const std::vector<int> values = GameValues();
    LoadServerIni(form, Path("none.ini")); // back to the defaults
    LoadServerIni(form, path);

    EXPECT_EQ(form.pos(), QPoint(50, 60));
    EXPECT_EQ(form.OpenDialog.FileName, "/elsewhere/x.tgd");
    EXPECT_EQ(form.PageControl->ActivePageIndex(), 3);
    EXPECT_TRUE(form.MItem_TaskTray->isChecked());
    EXPECT_TRUE(form.MItem_StayFront->isChecked());
    EXPECT_FALSE(form.MItem_CloseCheck->isChecked());
    EXPECT_EQ(form.SpinEdit_Port->Value(), 9000);
    EXPECT_EQ(ColumnWidths(), widths);
    EXPECT_EQ(GameValues(), values);
    EXPECT_EQ(form.Edit_GroupName->text(), QString::fromUtf8("組 A"));
    EXPECT_EQ(form.PageControl->font().family(), font.family());
    EXPECT_EQ(form.PageControl->font().pointSize(), 21);
    EXPECT_TRUE(form.PageControl->font().bold());
    EXPECT_TRUE(form.PageControl->font().italic());
    EXPECT_TRUE(form.PageControl->font().underline());
    EXPECT_TRUE(form.PageControl->font().strikeOut());
    EXPECT_EQ(form.FFontColor, RGBColor(1, 2, 3));
}

TEST_F(ServerIniTest, ASpinEditIsSavedAsTypedOrAsItsMinimumWhenItsTextIsNoNumber) {
    form.SpinEdit_FinalTurn->SetText("150");
    form.SpinEdit_FtOrder->SetText("abc");
    const std::string saved = Saved();
    EXPECT_NE(saved.find("\r\nFinal Turn=150\r\n"), std::string::npos);
    EXPECT_NE(saved.find("\r\nFactory Order=0\r\n"), std::string::npos);
}

TEST_F(ServerIniTest, ASaveKeepsTheLinesItDoesNotWrite) {
    const std::string path = MakeFile("; kept comment\r\n"
                                      "[system]\r\n"
                                      "left=999\r\n"
                                      "Column Div=;\r\n"
                                      "Well Known Port=1\r\n"
                                      "[Other]\r\n"
                                      "Key=Value\r\n");
    form.move(0, 0);
    SaveServerIni(form, path);
    const std::string saved = ReadFile(path);
    EXPECT_EQ(saved.rfind("; kept comment\r\n[system]\r\n", 0), 0u) << saved;
    EXPECT_EQ(saved.find("999"), std::string::npos);
    EXPECT_NE(saved.find("\r\nColumn Div=;\r\n"), std::string::npos);
    EXPECT_NE(saved.find("\r\nWell Known Port=1\r\n"), std::string::npos);
    EXPECT_NE(saved.find("[Other]\r\nKey=Value\r\n"), std::string::npos);
    // Each key once, in its section.
    EXPECT_EQ(saved.find("Left="), saved.rfind("Left="));
}

TEST_F(ServerIniTest, ARefusedWriteStopsTheSaveWithAnErrorNamingTheFile) {
    // The parent is a regular file: refused for every user, root included.
    MakeFile("x", "plain");
    const std::string path = Path("plain") + "/TrovGSrv.ini";
    try {
        SaveServerIni(form, path);
        FAIL() << "the save did not raise";
    } catch (const IniWriteError& e) {
        EXPECT_EQ(std::string(e.what()), path + Utf8ToSjis(" に書き込めません"));
    }

    // A read-only file stays as it was.
    const std::string readOnly = MakeFile("[Game]\r\nFinal Turn=20\r\n", "ro.ini");
    ASSERT_EQ(chmod(readOnly.c_str(), 0444), 0);
    EXPECT_THROW(SaveServerIni(form, readOnly), IniWriteError);
    EXPECT_EQ(ReadFile(readOnly), "[Game]\r\nFinal Turn=20\r\n");
}
