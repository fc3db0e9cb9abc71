#pragma once
// Switching the bold weight of a control's font alone.
class QWidget;

namespace platform {

// Makes the font of `widget` bold or regular and changes nothing else: italic, underline,
// strike-out, face and size stay as they are, and whatever the widget takes from its parent's font
// it goes on taking from it.
void SetBold(QWidget* widget, bool bold);
bool IsBold(const QWidget* widget);

} // namespace platform
