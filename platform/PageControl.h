#pragma once
// A page control: tabbed pages of which one, or none, is shown.
//
// ActivePageIndex -1 shows no page and no selected tab, until the user picks a tab or code selects
// a page. OnChange runs when the user changes the page, not when code does.
#include "platform/Events.h"

#include <QWidget>
#include <string>
#include <vector>

class QLayout;
class QStackedWidget;
class QTabBar;

namespace platform {

class TPageControl : public QWidget {
    Q_OBJECT
public:
    explicit TPageControl(QWidget* parent = nullptr);

    // Adds a page (a tab sheet) with the caption (Shift-JIS) as the last one and returns it; the
    // page control owns it. The first page added becomes the active one.
    QWidget* AddPage(const std::string& caption);
    // The same, with the page's object name and its layout (which takes its controls in).
    QWidget* AddPage(const std::string& caption, const std::string& name, QLayout* layout);
    int PageCount() const { return static_cast<int>(pages_.size()); }
    QWidget* Page(int index) const;
    // The index of `page`, -1 when it is none of the pages.
    int IndexOf(const QWidget* page) const;
    std::string PageCaption(int index) const;

    int ActivePageIndex() const;
    // An index outside the pages shows no page.
    void SetActivePageIndex(int index);
    QWidget* ActivePage() const { return Page(ActivePageIndex()); }
    void SetActivePage(QWidget* page) { SetActivePageIndex(IndexOf(page)); }

    QTabBar* TabBar() const { return tabs_; }

    // Raised after the user has switched to another page.
    TNotifyEvent OnChange;

private:
    void TabChanged(int tab);

    QTabBar* tabs_;
    QStackedWidget* stack_;
    QWidget* empty_;
    std::vector<QWidget*> pages_;
    bool inCode_ = false;
};

} // namespace platform
