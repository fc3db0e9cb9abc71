// The client's settings file: what a missing file, odd values and a bad colour give, and what
// closing writes.
#include "test_client_fixture.h"

#include "client/TC_IniIO.h"
#include "platform/Colors.h"
#include "platform/IniFile.h"
#include "shared/PreviewS.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QPushButton>

using namespace platform;

namespace {

// The section lines and key names of an ini text, in file order.
Lines Structure(const std::string& text) {
    Lines out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        out.push_back(line[0] == '[' ? line : line.substr(0, line.find('=')));
    }
    return out;
}

} // namespace

class ClientSettingsTest : public ClientTest {
protected:
    std::string Read(const char* section, const char* key) {
        return TIniFile(IniFile()).ReadString(section, key, "<none>");
    }
    void CloseWindow() {
        form->MItem_CloseCheck->setChecked(false);
        ASSERT_TRUE(form->close());
    }
};

TEST_F(ClientSettingsTest, WithoutAFileEveryKeyHasItsDefault) {
    CreateForm();
    EXPECT_EQ(form->pos(), QPoint(0, 0));
    EXPECT_EQ(form->size(), QSize(688, 554));
    EXPECT_EQ(form->PageControl->ActivePageIndex(), 0);
    EXPECT_EQ(form->FFont.family(), "Terminal");
    EXPECT_EQ(form->FFont.pointSize(), 14);
    EXPECT_EQ(form->FFontColor, clWindowText);
    EXPECT_EQ(form->font().family(), "Terminal");
    EXPECT_TRUE(form->MItem_CloseCheck->isChecked());
    EXPECT_FALSE(form->MItem_StayFront->isChecked());
    EXPECT_FALSE(form->MItem_TaskTray->isChecked());
    EXPECT_EQ(form->FColumnSep, "\t");
    EXPECT_EQ(form->Edit_Name->text(), "Client A");
    EXPECT_EQ(form->Edit_Server->text(), "LocalHost");
    EXPECT_EQ(form->SpinEdit_Port->Value(), 8799);
    EXPECT_EQ(form->RadioGroup_Play->ItemIndex(), 0);
    EXPECT_EQ(form->RadioGroup_Target->ItemIndex(), 0);
    for (const auto& role : form->Roles) {
        EXPECT_EQ(role.Order->Value(), 5);
        EXPECT_EQ(role.ShipM->Value(), 5);
    }
    // Each column starts at its design width, or where its caption needs more in the list's
    // face, at that ("Distributor Inventory" is wider than the design's 130 pixels); the week
    // column also where a finished game's last rows need more.
    const int widths[] = {50, 115, 130, 140, 115, 65, 65, 55, 100};
    for (int c = 0; c < 9; ++c)
        EXPECT_EQ(form->ListView_History->Column(c)->Width(),
                  std::max(widths[c], form->ListView_History->FittingColumnWidth(
                                          c, c == 0 ? std::vector<std::string>{"Total", "Average"}
                                                    : std::vector<std::string>{})));
    EXPECT_GT(form->ListView_History->Column(2)->Width(), 130);
    EXPECT_EQ(form->SaveDialog.FileName, "./");
    EXPECT_EQ(form->FState, csDisconnected);
    EXPECT_EQ(Status(), "disconnected.");
    EXPECT_TRUE(dialogs.Trace().empty());
}

TEST_F(ClientSettingsTest, ClosingWritesTheSectionsInOrderSystemGameColumnWidthFont) {
    CreateForm();
    CloseWindow();
    const std::string text = ReadFile(IniFile());
    EXPECT_EQ(Structure(text), (Lines{"[System]",
                                      "Left",
                                      "Top",
                                      "Width",
                                      "Height",
                                      "Last Path",
                                      "Active Page",
                                      "Task-Tray",
                                      "Stay Front",
                                      "Close Check",
                                      "Player Name",
                                      "Server Host",
                                      "Server Port",
                                      "Play Style",
                                      "Send Target",
                                      "[Game]",
                                      "Factory Order",
                                      "Whole1  Order",
                                      "Whole2  Order",
                                      "Retail  Order",
                                      "Factory Shipment",
                                      "Whole1  Shipment",
                                      "Whole2  Shipment",
                                      "Retail  Shipment",
                                      "[Column Width]",
                                      "Turn",
                                      "Factory Stock",
                                      "Whole1  Stock",
                                      "Whole2  Stock",
                                      "Retail  Stock",
                                      "BackLog",
                                      "Demand",
                                      "Order",
                                      "Shipment",
                                      "[Font]",
                                      "Name",
                                      "Size",
                                      "Color",
                                      "Bold",
                                      "Italic",
                                      "UnderLine",
                                      "StrikeOut"}));
    EXPECT_EQ(Read("System", "Close Check"), "0");
    EXPECT_EQ(Read("System", "Server Port"), "8799");
    EXPECT_EQ(Read("System", "Player Name"), "Client A");
    EXPECT_EQ(Read("Column Width", "Whole2  Stock"),
              std::to_string(form->ListView_History->Column(3)->Width()));
    EXPECT_EQ(Read("Font", "Name"), "Terminal");
    EXPECT_EQ(Read("Font", "Size"), "14");
    EXPECT_EQ(Read("Font", "Color"), "clWindowText");
    EXPECT_EQ(Read("Font", "Bold"), "0");
    EXPECT_EQ(text.find("Column Div"), std::string::npos);
    EXPECT_EQ(text.find("Well Known Port"), std::string::npos);
}

TEST_F(ClientSettingsTest, SelectionsAreClampedAndNoSelectionIsSavedAsMinusOne) {
    WriteFile(IniFile(), "[system]\r\nplay style=7\r\nSEND TARGET=9\r\n");
    CreateForm();
    EXPECT_EQ(form->RadioGroup_Play->ItemIndex(), 3);
    EXPECT_EQ(form->RadioGroup_Target->ItemIndex(), 4);
    // The role column shown is the loaded role's.
    EXPECT_FALSE(form->Button_RtOrder->isHidden());
    EXPECT_TRUE(form->Button_FtOrder->isHidden());

    WriteFile(IniFile(), "[System]\r\nPlay Style=-5\r\n");
    form.reset();
    CreateForm();
    EXPECT_EQ(form->RadioGroup_Play->ItemIndex(), -1);
    CloseWindow();
    EXPECT_EQ(Read("System", "Play Style"), "-1");
}

TEST_F(ClientSettingsTest, ThePortIsClampedBeforeTheWellKnownPortOptionLowersTheMinimum) {
    WriteFile(IniFile(), "[System]\r\nServer Port=80\r\nWell Known Port=1\r\n");
    CreateForm();
    EXPECT_EQ(form->SpinEdit_Port->Value(), 1024);
    EXPECT_EQ(form->SpinEdit_Port->MinValue(), 0);
    form->SpinEdit_Port->SetText("80");
    form->SpinEdit_Exit(form->SpinEdit_Port);
    EXPECT_EQ(form->SpinEdit_Port->Value(), 80);

    WriteFile(IniFile(), "[System]\r\nServer Port=60000\r\n");
    form.reset();
    CreateForm();
    EXPECT_EQ(form->SpinEdit_Port->Value(), 49151);
    EXPECT_EQ(form->SpinEdit_Port->MinValue(), 1024);
}

TEST_F(ClientSettingsTest, EntriesAreClampedAndNumbersThatDoNotReadGiveTheDefault) {
    WriteFile(IniFile(), "[Game]\r\nFactory Order=250\r\nWhole1  Order=abc\r\n"
                         "Retail  Shipment=$A\r\nWhole1 Order=7\r\n");
    CreateForm();
    EXPECT_EQ(form->SpinEdit_FtOrder->Value(), 99);
    EXPECT_EQ(form->SpinEdit_W1Order->Value(), 5);
    EXPECT_EQ(form->SpinEdit_RtShipM->Value(), 10);
}

TEST_F(ClientSettingsTest, AnEmptyNameIsKeptAndAMissingOneIsTheDefault) {
    WriteFile(IniFile(), "[System]\r\nPlayer Name=\r\nServer Host= \"game host\" \r\n");
    CreateForm();
    EXPECT_TRUE(form->Edit_Name->text().isEmpty());
    EXPECT_EQ(form->Edit_Server->text(), "game host");
}

TEST_F(ClientSettingsTest, TheColumnSeparatorComesFromTheFile) {
    WriteFile(IniFile(), "[System]\r\nColumn Div=,\r\n");
    CreateForm();
    EXPECT_EQ(form->FColumnSep, ",");
    form->FHistory.assign(2, THistoryRec{{1, 2, 3, 4}, 5, 6, 7, 8});
    form->FillHistoryList();
    form->MItem_SelAllClick(nullptr);
    std::string text;
    form->CopyListViewRows(form->ListView_History, form->FColumnSep, text, true);
    EXPECT_EQ(text, "1,1,2,3,4,5,6,7,8\r\n");
}

TEST_F(ClientSettingsTest, APageOutsideTheThreeShowsNoPage) {
    WriteFile(IniFile(), "[System]\r\nActive Page=3\r\n");
    CreateForm();
    EXPECT_EQ(form->PageControl->ActivePageIndex(), -1);
    CloseWindow();
    EXPECT_EQ(Read("System", "Active Page"), "-1");
}

TEST_F(ClientSettingsTest, ABadColourStopsTheLoadWithTheDesignValuesKept) {
    WriteFile(IniFile(), "[Font]\r\nColor=xyz\r\n[System]\r\nPlayer Name=Somebody\r\n"
                         "Server Port=9000\r\n");
    dialogs.Answer(mrCancel);
    CreateForm();
    EXPECT_EQ(dialogs.Trace(), (Lines{"beep", "error(OK): " + Sjis("'xyz' は整数ではありません")}));
    EXPECT_FALSE(form->Terminated());
    EXPECT_EQ(form->Edit_Name->text(), "qon");
    EXPECT_EQ(form->SpinEdit_Port->Value(), 49145);
    EXPECT_NE(form->font().family(), "Terminal");
    // The rest of the window's creation has run: the window is usable.
    EXPECT_EQ(form->FState, csDisconnected);
    EXPECT_EQ(Status(), "disconnected.");
}

TEST_F(ClientSettingsTest, ABadColourAnsweredWithOkEndsTheProgramWithoutWriting) {
    const std::string ini = "[Font]\r\nColor=xyz\r\n";
    WriteFile(IniFile(), ini);
    CreateForm();
    EXPECT_TRUE(form->Terminated());
    EXPECT_EQ(ReadFile(IniFile()), ini);
}

TEST_F(ClientSettingsTest, WidthAndHeightAreWrittenButNotRead) {
    WriteFile(IniFile(), "[System]\r\nLeft=30\r\nTop=40\r\nWidth=760\r\nHeight=590\r\n");
    CreateForm();
    EXPECT_EQ(form->size(), QSize(688, 554));
    EXPECT_EQ(form->pos(), QPoint(30, 40));
}

TEST_F(ClientSettingsTest, ALongFaceNameIsCutAndAnEmptyOneKeepsTheDefaultFace) {
    WriteFile(IniFile(), "[Font]\r\nName=ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghij\r\nSize=11\r\n"
                         "Bold=1\r\nItalic=7\r\nColor=$000000FF\r\n");
    CreateForm();
    EXPECT_EQ(form->FFont.family(), "ABCDEFGHIJKLMNOPQRSTUVWXYZabcde");
    EXPECT_EQ(form->FFont.pointSize(), 11);
    EXPECT_TRUE(form->FFont.bold());
    EXPECT_TRUE(form->FFont.italic());
    EXPECT_FALSE(form->FFont.underline());
    EXPECT_EQ(form->FFontColor, clRed);

    WriteFile(IniFile(), "[Font]\r\nName=\r\n");
    form.reset();
    CreateForm();
    const QString face = QFont().family();
    EXPECT_EQ(form->FFont.family(), face);
    CloseWindow();
    EXPECT_EQ(Read("Font", "Name"), ToSjis(face));
}

TEST_F(ClientSettingsTest, TheViewerTakesTheSettingsFontWithItsColour) {
    WriteFile(IniFile(), "[Font]\r\nName=Courier\r\nColor=clRed\r\n");
    CreateForm();
    ASSERT_NE(form->PreviewForm, nullptr);
    EXPECT_EQ(form->PreviewForm->Memo->font().family(), "Courier");
    EXPECT_EQ(form->PreviewForm->Memo->palette().color(QPalette::Text), QColor(255, 0, 0));
}

TEST_F(ClientSettingsTest, ThePagesKeepTheirFontWhatTheWindowsFontIs) {
    WriteFile(IniFile(), "[Font]\r\nName=Courier\r\nSize=20\r\nUnderLine=1\r\n");
    CreateForm();
    EXPECT_EQ(form->font().family(), "Courier");
    EXPECT_EQ(form->PageControl->font().family(), "system");
    EXPECT_FALSE(form->PageControl->font().underline());
    EXPECT_FALSE(form->Edit_Name->font().underline());
    EXPECT_TRUE(form->StatusBar->font().underline());
}

TEST_F(ClientSettingsTest, ChangingTheFontChangesWhatIsSaved) {
    CreateForm();
    QFont chosen("Courier");
    chosen.setPointSize(9);
    chosen.setStrikeOut(true);
    dialogs.ChooseFont(chosen, clMaroon);
    form->MItem_Font->trigger();
    ASSERT_EQ(dialogs.Log().size(), 1u);
    EXPECT_EQ(dialogs.Log()[0].font.family(), "Terminal");
    EXPECT_EQ(dialogs.Log()[0].color, clWindowText) << "the dialog starts with the font's colour";
    EXPECT_EQ(form->FFontColor, clMaroon);
    EXPECT_EQ(form->font().family(), "Courier");
    EXPECT_EQ(form->PageControl->font().family(), "system");
    CloseWindow();
    EXPECT_EQ(Read("Font", "Name"), "Courier");
    EXPECT_EQ(Read("Font", "Size"), "9");
    EXPECT_EQ(Read("Font", "StrikeOut"), "1");
    EXPECT_EQ(Read("Font", "Color"), "clMaroon");
}

TEST_F(ClientSettingsTest, ValuesAsTheyStandAreSavedAndReadBack) {
    CreateForm();
    form->Edit_Name->setText(QString::fromUtf8("山田"));
    form->Edit_Server->setText("192.0.2.7");
    form->SpinEdit_Port->SetValue(9100);
    form->RadioGroup_Play->SetItemIndex(2);
    form->RadioGroup_Target->SetItemIndex(4);
    form->SpinEdit_W2Order->SetText("12"); // typed, not yet clamped
    form->SpinEdit_W2ShipM->SetText("x");  // no number: MinValue
    form->ListView_History->Column(3)->SetWidth(77);
    form->MItem_TaskTray->setChecked(true);
    form->PageControl->SetActivePageIndex(2);
    form->SaveDialog.FileName = Folder() + "/last.txt";
    CloseWindow();
    EXPECT_EQ(Read("System", "Player Name"), Sjis("山田"));
    EXPECT_EQ(Read("Game", "Whole2  Order"), "12");
    EXPECT_EQ(Read("Game", "Whole2  Shipment"), "0");

    form.reset();
    CreateForm();
    EXPECT_EQ(form->Edit_Name->text(), QString::fromUtf8("山田"));
    EXPECT_EQ(form->Edit_Server->text(), "192.0.2.7");
    EXPECT_EQ(form->SpinEdit_Port->Value(), 9100);
    EXPECT_EQ(form->RadioGroup_Play->ItemIndex(), 2);
    EXPECT_EQ(form->RadioGroup_Target->ItemIndex(), 4);
    EXPECT_EQ(form->ListView_History->Column(3)->Width(), 77);
    EXPECT_TRUE(form->MItem_TaskTray->isChecked());
    EXPECT_FALSE(form->MItem_CloseCheck->isChecked());
    EXPECT_EQ(form->PageControl->ActivePageIndex(), 2);
    EXPECT_EQ(form->SaveDialog.FileName, Folder() + "/last.txt");
}

TEST_F(ClientSettingsTest, ARefusedWriteRaisesAnErrorNamingTheFile) {
    CreateForm();
    const std::string file = Folder() + "/no/such/folder/TrovGClt.ini";
    try {
        SaveClientIni(*form, file);
        FAIL() << "no error";
    } catch (const IniWriteError& e) {
        EXPECT_EQ(std::string(e.what()), file + Sjis(" に書き込めません"));
    }
}
