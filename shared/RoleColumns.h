#pragma once
// The controls that both main windows have once per role, named with the role's code
// (Label_FtStock to Label_RtStock, ...), with the headings above their columns. Both windows
// take them from here, and reach one role's controls by its index.
#include <array>
#include <cstddef>

class QGridLayout;
class QGroupBox;
class QLabel;
class QPushButton;
namespace platform {
class TSpinEdit;
}

struct TRoleColumnControls {
    QLabel *Label_FtJoin, *Label_W1Join, *Label_W2Join, *Label_RtJoin;
    QGroupBox* GroupBox_Game;
    QLabel *Label_Factory, *Label_Whole1, *Label_Whole2, *Label_Retail, *Label_Marcket;
    QLabel *Label_Cursor1, *Label_Cursor2, *Label_Cursor3, *Label_Cursor4;
    QLabel *Label_FtStock, *Label_W1Stock, *Label_W2Stock, *Label_RtStock;
    QLabel *Label_FtBLCost, *Label_W1BLCost, *Label_W2BLCost, *Label_RtBLCost;
    QLabel *Label_FtDemand, *Label_W1Demand, *Label_W2Demand, *Label_RtDemand;
    QLabel *Label_FtOrder, *Label_W1Order, *Label_W2Order, *Label_RtOrder;
    platform::TSpinEdit *SpinEdit_FtOrder, *SpinEdit_W1Order, *SpinEdit_W2Order, *SpinEdit_RtOrder;
    QLabel *Label_FtShipM, *Label_W1ShipM, *Label_W2ShipM, *Label_RtShipM;
    platform::TSpinEdit *SpinEdit_FtShipM, *SpinEdit_W1ShipM, *SpinEdit_W2ShipM, *SpinEdit_RtShipM;
    QPushButton *Button_FtOrder, *Button_W1Order, *Button_W2Order, *Button_RtOrder;
    QLabel *Label_FtInput, *Label_W1Input, *Label_W2Input, *Label_RtInput;

    // The controls of one role's column.
    struct TColumn {
        QLabel*& Join;
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
    TColumn Column(int index) {
        using C = TRoleColumnControls;
        const auto i = static_cast<std::size_t>(index);
        static constexpr std::array<QLabel * C::*, 4> join = {&C::Label_FtJoin, &C::Label_W1Join,
                                                              &C::Label_W2Join, &C::Label_RtJoin};
        static constexpr std::array<QLabel * C::*, 4> stock = {
            &C::Label_FtStock, &C::Label_W1Stock, &C::Label_W2Stock, &C::Label_RtStock};
        static constexpr std::array<QLabel * C::*, 4> backlog = {
            &C::Label_FtBLCost, &C::Label_W1BLCost, &C::Label_W2BLCost, &C::Label_RtBLCost};
        static constexpr std::array<QLabel * C::*, 4> demand = {
            &C::Label_FtDemand, &C::Label_W1Demand, &C::Label_W2Demand, &C::Label_RtDemand};
        static constexpr std::array<QLabel * C::*, 4> orderLabel = {
            &C::Label_FtOrder, &C::Label_W1Order, &C::Label_W2Order, &C::Label_RtOrder};
        static constexpr std::array<platform::TSpinEdit * C::*, 4> order = {
            &C::SpinEdit_FtOrder, &C::SpinEdit_W1Order, &C::SpinEdit_W2Order, &C::SpinEdit_RtOrder};
        static constexpr std::array<QLabel * C::*, 4> shipLabel = {
            &C::Label_FtShipM, &C::Label_W1ShipM, &C::Label_W2ShipM, &C::Label_RtShipM};
        static constexpr std::array<platform::TSpinEdit * C::*, 4> ship = {
            &C::SpinEdit_FtShipM, &C::SpinEdit_W1ShipM, &C::SpinEdit_W2ShipM, &C::SpinEdit_RtShipM};
        static constexpr std::array<QPushButton * C::*, 4> button = {
            &C::Button_FtOrder, &C::Button_W1Order, &C::Button_W2Order, &C::Button_RtOrder};
        static constexpr std::array<QLabel * C::*, 4> input = {
            &C::Label_FtInput, &C::Label_W1Input, &C::Label_W2Input, &C::Label_RtInput};
        return {this->*join[i],       this->*stock[i], this->*backlog[i],   this->*demand[i],
                this->*orderLabel[i], this->*order[i], this->*shipLabel[i], this->*ship[i],
                this->*button[i],     this->*input[i]};
    }
    // Makes the headings of the four columns (the role words), the market's heading and the
    // arrows between them, bold or not.
    void CreateHeadings(bool bold);
    // The headings of the four columns and the arrows between them.
    std::array<QLabel*, 4> Headings() const {
        return {Label_Factory, Label_Whole1, Label_Whole2, Label_Retail};
    }
    std::array<QLabel*, 4> Cursors() const {
        return {Label_Cursor1, Label_Cursor2, Label_Cursor3, Label_Cursor4};
    }
    // The headings stand in a row of nine grid columns: the four roles' at 0, 2, 4 and 6, the
    // arrows after them and the market's last. A role's controls below its heading take its
    // column and the arrow's (the Retailer's the market's too), so that their texts have the room
    // that the row of headings leaves.
    static int GridColumn(int index) { return index * 2; }
    static int GridSpan(int index) { return index == 3 ? 3 : 2; }
    // Puts one role's backlog and demand labels and its order and shipment rows into the grid,
    // rows 2 to 5 of its column.
    void PlaceEntryRows(QGridLayout* grid, int index);
    // Lays the four input labels out in the group box, two by two, each as wide as its text
    // (bold included) needs: four in one row would not fit beside one another.
    void PlaceInputLabels(QGroupBox* box);
};
