#include "platform/PageControl.h"

#include "platform/SjisText.h"

#include <QScrollArea>
#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>

namespace platform {

// A tab bar always has a current tab. "No page" is an extra, hidden tab kept last; selecting it
// leaves no visible tab selected, and the stack then shows an empty widget.
//
// Each page lies in a scroll area of its own, as large as the page control: where the window is
// made smaller than a page's controls need, the page scrolls instead of squeezing them until
// their texts are cut.

TPageControl::TPageControl(QWidget* parent)
    : QWidget(parent), tabs_(new QTabBar(this)), stack_(new QStackedWidget(this)),
      empty_(new QWidget(stack_)) {
    tabs_->setObjectName("Tabs");
    tabs_->setDrawBase(true);
    tabs_->setExpanding(false);
    tabs_->setMovable(false);
    tabs_->addTab(QString());
    tabs_->setTabVisible(0, false);
    tabs_->setTabEnabled(0, false); // also out of reach of the keyboard and the wheel
    stack_->addWidget(empty_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(tabs_);
    layout->addWidget(stack_, 1);

    connect(tabs_, &QTabBar::currentChanged, this, [this](int tab) { TabChanged(tab); });
}

QWidget* TPageControl::AddPage(const std::string& caption) {
    const bool first = pages_.empty();
    auto* page = new QWidget;
    auto* scroller = new QScrollArea;
    scroller->setFrameShape(QFrame::NoFrame);
    scroller->setWidgetResizable(true);
    scroller->setWidget(page);
    const int index = PageCount();
    pages_.push_back(page);
    stack_->insertWidget(index, scroller);
    inCode_ = true;
    tabs_->insertTab(index, FromSjis(caption));
    if (first) tabs_->setCurrentIndex(0);
    TabChanged(tabs_->currentIndex());
    inCode_ = false;
    return page;
}

QWidget* TPageControl::AddPage(const std::string& caption, const std::string& name,
                               QLayout* layout) {
    QWidget* page = AddPage(caption);
    page->setObjectName(QString::fromStdString(name));
    page->setLayout(layout);
    return page;
}

QWidget* TPageControl::Page(int index) const {
    return index >= 0 && index < PageCount() ? pages_[index] : nullptr;
}

int TPageControl::IndexOf(const QWidget* page) const {
    for (int i = 0; i < PageCount(); ++i)
        if (pages_[i] == page) return i;
    return -1;
}

std::string TPageControl::PageCaption(int index) const {
    return index >= 0 && index < PageCount() ? ToSjis(tabs_->tabText(index)) : std::string();
}

int TPageControl::ActivePageIndex() const {
    const int tab = tabs_->currentIndex();
    return tab >= 0 && tab < PageCount() ? tab : -1;
}

void TPageControl::SetActivePageIndex(int index) {
    if (index < 0 || index >= PageCount()) index = PageCount(); // the hidden "no page" tab
    inCode_ = true;
    tabs_->setCurrentIndex(index);
    TabChanged(tabs_->currentIndex());
    inCode_ = false;
}

void TPageControl::TabChanged(int tab) {
    const int index = tab >= 0 && tab < PageCount() ? tab : -1;
    QWidget* shown = index >= 0 ? stack_->widget(index) : empty_;
    if (stack_->currentWidget() == shown) return;
    stack_->setCurrentWidget(shown);
    if (!inCode_)
        if (auto handler = OnChange) handler(this);
}

} // namespace platform
