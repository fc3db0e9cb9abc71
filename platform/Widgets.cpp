#include "platform/Widgets.h"

#include "platform/Label.h"
#include "platform/PageControl.h"
#include "platform/StatusBar.h"

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QProxyStyle>
#include <QSignalBlocker>
#include <QStyleOption>

namespace platform {

namespace {

class TWholeTitleStyle : public QProxyStyle {
public:
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl part,
                         const QWidget* widget) const override {
        QRect rect = QProxyStyle::subControlRect(control, option, part, widget);
        if (control == CC_GroupBox && part == SC_GroupBoxLabel)
            if (const auto* box = qstyleoption_cast<const QStyleOptionGroupBox*>(option)) {
                const int width = box->fontMetrics.horizontalAdvance(box->text) + 2;
                if (rect.width() < width) rect.setWidth(width);
            }
        return rect;
    }
};

} // namespace

void ShowWholeTitles(QApplication& app) {
    app.setStyle(new TWholeTitleStyle);
}

QLabel* NewLabel(const std::string& name, const char* caption, const char* hint, bool bold) {
    auto* label = Named(new QLabel(QString::fromUtf8(caption)), name, hint);
    label->setTextFormat(Qt::PlainText);
    if (bold) SetBold(label, true);
    return label;
}

void WrapToWidth(QLabel* label) {
    label->setWordWrap(true);
    QSizePolicy policy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    label->setSizePolicy(policy);
}

QPushButton* NewButton(const std::string& name, const char* caption, const char* hint, bool bold) {
    auto* button = Named(new QPushButton(QString::fromUtf8(caption)), name, hint);
    if (bold) SetBold(button, true);
    return button;
}

QPlainTextEdit* NewMemo(const std::string& name, const char* hint) {
    auto* memo = Named(new QPlainTextEdit, name, hint);
    memo->setTabChangesFocus(true);
    return memo;
}

TSpinEdit* NewSpinEdit(const std::string& name, int min, int max, int maxLength, int value,
                       const char* hint) {
    auto* edit = Named(new TSpinEdit, name, hint);
    edit->SetMinValue(min);
    edit->SetMaxValue(max);
    edit->SetMaxLength(maxLength);
    edit->SetValue(value);
    edit->SetDesignWidth(maxLength > 2 ? 96 : 64);
    return edit;
}

QFont PixelFont(const char* family, int pixels) {
    QFont font(QString::fromUtf8(family));
    font.setPixelSize(pixels);
    return font;
}

TPageControl* AddPageControl(QMainWindow* window) {
    auto* pages = Named(new TPageControl, "PageControl");
    window->setCentralWidget(pages);
    return pages;
}

TStatusBar* AddStatusBar(QMainWindow* window, const std::string& text) {
    auto* bar = Named(new TStatusBar, "StatusBar");
    window->setStatusBar(bar);
    bar->SetSimpleText(text);
    return bar;
}

QFont OwnFont(QFont font) {
    font.setResolveMask(QFont::AllPropertiesResolved);
    return font;
}

TRadioGroup* NewRadioGroup(const std::string& name, const char* caption,
                           const std::vector<std::string>& items, int index, const char* hint) {
    auto* group = Named(new TRadioGroup, name, hint);
    group->SetCaption(caption);
    group->SetItems(items);
    group->SetColumns(static_cast<int>(items.size()));
    group->SetItemIndex(index);
    return group;
}

void ConnectCheckItem(QAction* action, QObject* context, std::function<void()> handler) {
    QObject::connect(action, &QAction::triggered, context, [action, handler = std::move(handler)] {
        {
            const QSignalBlocker block(action);
            action->setChecked(!action->isChecked());
        }
        handler();
    });
}

} // namespace platform
