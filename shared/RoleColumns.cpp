#include "shared/RoleColumns.h"

#include "platform/Widgets.h"
#include "shared/Role.h"

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
