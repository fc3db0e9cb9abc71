// Saving and loading the game data file through the Game menu.
#include "server/TS_GameFile.h"

#include "platform/Beep.h"
#include "platform/Dialogs.h"
#include "platform/RadioGroup.h"
#include "platform/SjisText.h"
#include "platform/SpinEdit.h"
#include "server/TS_Main.h"

#include <QLineEdit>
#include <algorithm>
#include <climits>

using namespace platform;

namespace {

constexpr const char* kGameFileExt = "tgd";
constexpr const char* kGameFileFilter = "Trov Game Data File(*.tgd)|*.tgd|All Files(*.*)|*.*";

// A money value as a whole number, an exact half to the even number, kept within int.
int RoundToWhole(TMoney value) {
    TMoney whole = value / kMoneyOne;
    const TMoney rest = value % kMoneyOne; // same sign as value
    if (rest * 2 > kMoneyOne || (rest * 2 == kMoneyOne && whole % 2 != 0))
        ++whole;
    else if (rest * 2 < -kMoneyOne || (rest * 2 == -kMoneyOne && whole % 2 != 0))
        --whole;
    return static_cast<int>(std::clamp<TMoney>(whole, INT_MIN, INT_MAX));
}

} // namespace

void InitGameFileDialogs(TTrovGameServerForm& form) {
    form.SaveDialog_Dat.DefaultExt = kGameFileExt;
    form.SaveDialog_Dat.Filter = kGameFileFilter;
    form.SaveDialog_Dat.Options = ofOverwritePrompt | ofHideReadOnly | ofEnableSizing;

    form.OpenDialog.DefaultExt = kGameFileExt;
    form.OpenDialog.Filter = kGameFileFilter;
    form.OpenDialog.InitialDir = ".";
    form.OpenDialog.Options = ofHideReadOnly | ofAllowMultiSelect | ofPathMustExist |
                              ofFileMustExist | ofCreatePrompt | ofEnableSizing;
}

void TTrovGameServerForm::MItem_SaveClick(QObject*) {
    if (!Dialogs().ExecuteSave(SaveDialog_Dat)) return;
    FGame->SaveToFile(SaveDialog_Dat.FileName);
}

void TTrovGameServerForm::MItem_LoadClick(QObject*) {
    Beep();
    if (MessageBox("Loading game data\rdestroys current data. OK?\r ", "Confirmation",
                   TBoxButtons::OkCancel) != mrOk)
        return;
    if (!Dialogs().ExecuteOpen(OpenDialog)) return;
    FGame->LoadFromFile(OpenDialog.FileName);

    // Whatever the file held, the window follows the game's data again.
    SpinEdit_FinalTurn->SetValue(FGame->FFinalTurn - 1);
    SpinEdit_Exit(SpinEdit_FinalTurn);
    SpinEdit_UStkCost->SetValue(RoundToWhole(FGame->FInvUnitCost));
    SpinEdit_UBLCost->SetValue(RoundToWhole(FGame->FBacklogUnitCost));
    Edit_GroupName->setText(FromSjis(FGame->FGroupName));
    UpdateDisplay();
    RadioGroup_FtOwnerClick(RadioGroup_FtOwner);
    RadioGroup_W1OwnerClick(RadioGroup_W1Owner);
    RadioGroup_W2OwnerClick(RadioGroup_W2Owner);
    RadioGroup_RtOwnerClick(RadioGroup_RtOwner);
}
