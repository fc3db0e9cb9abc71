#include "shared/RoleColumns.h"

#include "platform/SpinEdit.h"
#include "platform/Widgets.h"
#include "shared/Role.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <string>

void TRoleColumnControls::CreateHeadings(bool bold) {
    using C = TRoleColumnControls;
    static constexpr std::array<QLabel * C::*, 4> headings = {&C::Label_Factory, &C::Label_Whole1,
                                                              &C::Label_Whole2, &C::Label_Retail};
    static constexpr std::array<QLabel * C::*, 4> cursors = {&C::Label_Cursor1, &C::Label_Cursor2,
                                                             &C::Label_Cursor3, &C::Label_Cursor4};
    const char* const names[] = {"Label_Factory", "Label_Whole1", "Label_Whole2", "Label_Retail"};
    for (int i = 0; i < 4; ++i)
        this->*headings[static_cast<std::size_t>(i)] =
            platform::NewLabel(names[i], RoleWord(i), nullptr, bold);
    Label_Marcket = platform::NewLabel("Label_Marcket", "Market", nullptr, bold);
    for (std::size_t i = 0; i < 4; ++i)
        this->*cursors[i] =
            platform::NewLabel("Label_Cursor" + std::to_string(i + 1), "->", nullptr, bold);
}

void TRoleColumnControls::PlaceEntryRows(QGridLayout* grid, int index) {
    const TColumn c = Column(index);
    const int col = GridColumn(index);
    const int span = GridSpan(index);
    grid->addWidget(c.BLCost, 2, col, 1, span);
    grid->addWidget(c.Demand, 3, col, 1, span);
    const auto row = [&](QLabel* label, platform::TSpinEdit* edit, int at) {
        auto* line = new QHBoxLayout;
        line->addWidget(label);
        line->addWidget(edit);
        line->addStretch();
        grid->addLayout(line, at, col, 1, span);
    };
    row(c.OrderLabel, c.Order, 4);
    row(c.ShipMLabel, c.ShipM, 5);
}

void TRoleColumnControls::PlaceInputLabels(QGroupBox* box) {
    auto* grid = new QGridLayout(box);
    for (int i = 0; i < 4; ++i) grid->addWidget(Column(i).Input, i / 2, i % 2);
}
