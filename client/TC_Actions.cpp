// The player's actions: connecting and leaving, the role and message target, chat, the week's
// decision and the spin edits' ranges.
#include "client/TC_Main.h"

#include "platform/Beep.h"
#include "platform/RadioGroup.h"
#include "platform/SjisText.h"
#include "platform/SpinEdit.h"
#include "shared/Protocol.h"
#include "shared/Role.h"
#include "shared/Text.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

using namespace platform;

namespace {

// The chat target of an index of the target radio group: the four roles, then the server.
const char* TargetCode(int index) {
    return IsRoleIndex(index) ? RoleCode(index) : kServerCode;
}

} // namespace

void TTrovGameClientForm::CheckBox_ConnectClick(QObject* Sender) {
    (void)Sender;
    if (CheckBox_Connect->isChecked()) {
        if (ClientSocket->Active()) CloseConnection();
        try {
            ClientSocket->SetHost(ToSjis(Edit_Server->text()));
            ClientSocket->SetPort(SpinEdit_Port->ReadValue());
            ClientSocket->Open();
        } catch (const std::exception&) {
            // The box stays ticked: a new attempt takes unticking and ticking it again.
            FState = csDisconnected;
            MessageBox("Error! Can't Establish Connection..", "Error", TBoxButtons::Ok);
            UpdateView();
            return;
        }
        CheckBox_Connect->setEnabled(false);
        FState = csWaitAccept;
        UpdateView();
    } else {
        FState = csDisconnected;
        UpdateView();
        SpinEdit_Port->setEnabled(true);
        CloseConnection();
    }
}

void TTrovGameClientForm::RadioGroup_PlayClick(QObject* Sender) {
    (void)Sender;
    UpdateView();
}

void TTrovGameClientForm::Button_SendMsgClick(QObject* Sender) {
    (void)Sender;
    const std::string memo = ChatText(ToSjis(Memo_Msg->toPlainText()));
    const int own = OwnRole();
    const int target = RadioGroup_Target->ItemIndex();
    if (!ClientSocket->Active() || Trim(memo).empty() || own < 0 || target < 0 || target > 4)
        return;
    SendTextInPieces(ClientSocket->Socket(), ChatHead(RoleCode(own), TargetCode(target)) + memo,
                     kTextPieceLen, kTerminator);
    Beep();
    MessageBox("Send a Message.", "Information", TBoxButtons::Ok);
    Memo_Msg->clear();
}

void TTrovGameClientForm::Button_OrderClick(QObject* Sender) {
    (void)Sender;
    if (!ClientSocket->Active()) return;
    const int own = OwnRole();
    // The column of the button; the menu command stands for the own role's button. The
    // fields show what is sent, also when one still has the focus (the menu command).
    int column = -1;
    for (int i = 0; i < 4; ++i)
        if (Sender == Roles[i].OrderButton) column = i;
    if (Sender == MItem_Order) column = own;
    if (column >= 0) {
        FOrderSent = static_cast<std::int8_t>(Roles[column].Order->ReadValue());
        FShipSent = static_cast<std::int8_t>(Roles[column].ShipM->ReadValue());
    }
    if (own < 0) return;
    Send(DecisionMessage(true, RoleCode(own), FWeek, FOrderSent));
    if (FShipManual) Send(DecisionMessage(false, RoleCode(own), FWeek, FShipSent));
    FState = csDecided;
    UpdateView();
}

void TTrovGameClientForm::SpinEdit_Exit(QObject* Sender) {
    TSpinEdit* edit = TSpinEdit::Left(Sender);
    if (!edit) return;
    // A left edit shows the value it stands for, also where the text did not read as that
    // number (" 9", "9x").
    const int value = edit->ReadValue();
    if (edit == SpinEdit_Port) ClientSocket->SetPort(value);
}
