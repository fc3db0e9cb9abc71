#pragma once
// The controls that both main windows have once per role, named with the role's code
// (Label_FtStock to Label_RtStock, ...), listed by role index so that the code that makes or
// gathers them does so in a loop.
#include <array>
#include <cstddef>

class QLabel;
class QPushButton;
namespace platform {
class TSpinEdit;
}

template <class Form> struct TRoleColumns {
    template <class T> using PerRole = std::array<T * Form::*, 4>;
    static constexpr PerRole<QLabel> Join = {&Form::Label_FtJoin, &Form::Label_W1Join,
                                             &Form::Label_W2Join, &Form::Label_RtJoin};
    static constexpr PerRole<QLabel> Stock = {&Form::Label_FtStock, &Form::Label_W1Stock,
                                              &Form::Label_W2Stock, &Form::Label_RtStock};
    static constexpr PerRole<QLabel> BLCost = {&Form::Label_FtBLCost, &Form::Label_W1BLCost,
                                               &Form::Label_W2BLCost, &Form::Label_RtBLCost};
    static constexpr PerRole<QLabel> Demand = {&Form::Label_FtDemand, &Form::Label_W1Demand,
                                               &Form::Label_W2Demand, &Form::Label_RtDemand};
    static constexpr PerRole<QLabel> OrderLabel = {&Form::Label_FtOrder, &Form::Label_W1Order,
                                                   &Form::Label_W2Order, &Form::Label_RtOrder};
    static constexpr PerRole<platform::TSpinEdit> Order = {
        &Form::SpinEdit_FtOrder, &Form::SpinEdit_W1Order, &Form::SpinEdit_W2Order,
        &Form::SpinEdit_RtOrder};
    static constexpr PerRole<QLabel> ShipMLabel = {&Form::Label_FtShipM, &Form::Label_W1ShipM,
                                                   &Form::Label_W2ShipM, &Form::Label_RtShipM};
    static constexpr PerRole<platform::TSpinEdit> ShipM = {
        &Form::SpinEdit_FtShipM, &Form::SpinEdit_W1ShipM, &Form::SpinEdit_W2ShipM,
        &Form::SpinEdit_RtShipM};
    static constexpr PerRole<QPushButton> OrderButton = {
        &Form::Button_FtOrder, &Form::Button_W1Order, &Form::Button_W2Order, &Form::Button_RtOrder};
    static constexpr PerRole<QLabel> Input = {&Form::Label_FtInput, &Form::Label_W1Input,
                                              &Form::Label_W2Input, &Form::Label_RtInput};

    // The controls of one role's column of the window's own page.
    struct TColumn {
        QLabel*& Stock;
        QLabel*& BLCost;
        QLabel*& Demand;
        QLabel*& OrderLabel;
        platform::TSpinEdit*& Order;
        QLabel*& ShipMLabel;
        platform::TSpinEdit*& ShipM;
        QPushButton*& OrderButton;
        QLabel*& Input;
    };
    static TColumn Of(Form& form, int index) {
        const auto i = static_cast<std::size_t>(index);
        return {form.*Stock[i],      form.*BLCost[i],      form.*Demand[i],
                form.*OrderLabel[i], form.*Order[i],       form.*ShipMLabel[i],
                form.*ShipM[i],      form.*OrderButton[i], form.*Input[i]};
    }
};
