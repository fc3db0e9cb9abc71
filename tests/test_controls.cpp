// The controls whose behaviour the windows rely on where it differs from a plain Qt widget.
#include "platform/Events.h"
#include "platform/Label.h"
#include "platform/PageControl.h"
#include "platform/RadioGroup.h"
#include "platform/Sjis.h"
#include "platform/SpinEdit.h"
#include "platform/StatusBar.h"
#include "support/ScriptedDialogs.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QFocusEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRadioButton>
#include <QTabBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <gtest/gtest.h>
#include <stdexcept>

using platform::TPageControl;
using platform::TRadioGroup;
using platform::TSpinEdit;

namespace {

void Type(QWidget* target, const QString& text) {
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(target, &press);
    }
}

void Key(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(target, &press);
}

void Click(QWidget* target, QPoint at) {
    const QPointF local(at), global(target->mapToGlobal(at));
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(target, &release);
}

// Shows the window and waits (bounded) until it is the active one, so focus can move in it.
void ShowActive(QWidget& window) {
    window.show();
    window.activateWindow();
    QDeadlineTimer deadline(5000);
    while (QApplication::activeWindow() != &window && !deadline.hasExpired())
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_EQ(QApplication::activeWindow(), &window);
}

// A spin edit as the windows set up their game spin edits: 0..99, two characters.
struct GameSpin : ::testing::Test {
    GameSpin() {
        spin.SetMinValue(0);
        spin.SetMaxValue(99);
        spin.SetMaxLength(2);
        spin.SetValue(5);
    }
    TSpinEdit spin;
};

} // namespace

// ---- Spin edit ----------------------------------------------------------------------------

TEST_F(GameSpin, TypedTextStandsUncorrectedAndValueReadsItOrMinValue) {
    int changes = 0;
    spin.OnChange = [&](QObject* sender) {
        EXPECT_EQ(sender, &spin);
        ++changes;
    };
    spin.SetText("");
    changes = 0;
    Type(spin.Editor(), "-");
    EXPECT_EQ(spin.Text(), "-"); // not a number: kept as typed
    EXPECT_EQ(spin.Value(), 0);
    Type(spin.Editor(), "5");
    EXPECT_EQ(spin.Text(), "-5"); // below the range: kept too, and read as it stands
    EXPECT_EQ(spin.Value(), -5);
    EXPECT_EQ(changes, 2);

    spin.SetMinValue(3);
    for (const char* bad : {"", "-", "+", "1a", " 5", "5 ", "0x1F", "2147483648"}) {
        spin.SetText(bad);
        EXPECT_EQ(spin.Value(), 3) << '"' << bad << '"';
    }
    spin.SetText("+7");
    EXPECT_EQ(spin.Value(), 7);
    spin.SetText("-2147483648");
    EXPECT_EQ(spin.Value(), -2147483647 - 1);
    spin.SetText(platform::Utf8ToSjis("１２")); // full-width digits are no decimal number
    EXPECT_EQ(spin.Value(), 3);
}

TEST_F(GameSpin, WritingAValueClampsIntoTheRangeUnlessThereIsNone) {
    spin.SetValue(150);
    EXPECT_EQ(spin.Text(), "99");
    spin.SetValue(-3);
    EXPECT_EQ(spin.Text(), "0");
    spin.SetValue(42);
    EXPECT_EQ(spin.Text(), "42");

    // A new range does not touch the text: a port read while MinValue was 1024 stays 1024.
    TSpinEdit port;
    port.SetMinValue(1024);
    port.SetMaxValue(49151);
    port.SetValue(80);
    port.SetMinValue(0);
    EXPECT_EQ(port.Text(), "1024");

    TSpinEdit free;
    free.SetValue(-12345);
    EXPECT_EQ(free.Text(), "-12345");
    free.SetValue(2000000000);
    EXPECT_EQ(free.Value(), 2000000000);
}

TEST_F(GameSpin, MaxLengthLimitsTypingInShiftJisBytesButNotTextWrittenByCode) {
    spin.SetText("");
    Type(spin.Editor(), "123");
    EXPECT_EQ(spin.Text(), "12");

    spin.SetText("");
    Type(spin.Editor(), QString::fromUtf8("１2")); // a double-byte character fills both bytes
    EXPECT_EQ(spin.Text(), platform::Utf8ToSjis("１"));

    spin.SetText("12345"); // code may write more, so the leave handler can see a long text
    EXPECT_EQ(spin.Text(), "12345");
    spin.Editor()->end(false);
    Type(spin.Editor(), "6");
    EXPECT_EQ(spin.Text(), "12345");
    Key(spin.Editor(), Qt::Key_Backspace); // shortening it is allowed
    EXPECT_EQ(spin.Text(), "1234");

    spin.SetMaxLength(0); // no limit
    spin.SetText("");
    Type(spin.Editor(), "123456");
    EXPECT_EQ(spin.Text(), "123456");
}

TEST_F(GameSpin, UpAndDownStepByIncrementWithinTheRange) {
    spin.SetIncrement(10);
    spin.findChild<QToolButton*>("Up")->click();
    EXPECT_EQ(spin.Text(), "15");
    Key(spin.Editor(), Qt::Key_Up);
    EXPECT_EQ(spin.Text(), "25");
    Key(spin.Editor(), Qt::Key_Down);
    spin.findChild<QToolButton*>("Down")->click();
    EXPECT_EQ(spin.Text(), "5");
    spin.DownClick();
    EXPECT_EQ(spin.Text(), "0");
    spin.SetValue(95);
    spin.UpClick();
    EXPECT_EQ(spin.Text(), "99");
    spin.SetText("x"); // reads as MinValue
    spin.UpClick();
    EXPECT_EQ(spin.Text(), "10");
}

TEST(SpinEdit, OnExitRunsWhenTheFocusMovesToAnotherControlOnly) {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* spin = new TSpinEdit(&window);
    auto* other = new QLineEdit(&window);
    layout->addWidget(spin);
    layout->addWidget(other);
    int exits = 0;
    spin->OnExit = [&](QObject* sender) {
        EXPECT_EQ(sender, spin);
        ++exits;
    };
    ShowActive(window);

    spin->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(spin->Editor()->hasFocus());
    Type(spin->Editor(), "7");
    spin->findChild<QToolButton*>("Up")->click(); // the arrows do not take the focus
    EXPECT_EQ(exits, 0);
    EXPECT_TRUE(spin->Editor()->hasFocus());

    other->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(exits, 1);

    // The whole window losing the focus (a box opening, another program) or a pop-up menu
    // opening is no leaving.
    for (auto reason : {Qt::ActiveWindowFocusReason, Qt::PopupFocusReason}) {
        QFocusEvent out(QEvent::FocusOut, reason);
        QApplication::sendEvent(spin->Editor(), &out);
    }
    EXPECT_EQ(exits, 1);
}

// The windows' leave handler clamps by the text: empty gives MinValue, too long MaxValue, out
// of range the nearer bound; a text that is no number stands. The control has to give it all
// it needs, and must not correct anything by itself.
TEST_F(GameSpin, CarriesTheWindowsLeaveHandler) {
    auto clamp = [](QObject* sender) {
        auto* edit = qobject_cast<TSpinEdit*>(sender);
        if (!edit) return;
        if (edit->Text().empty())
            edit->SetValue(edit->MinValue());
        else if (edit->Text().size() > static_cast<std::size_t>(edit->MaxLength()))
            edit->SetValue(edit->MaxValue());
        else if (edit->Value() < edit->MinValue())
            edit->SetValue(edit->MinValue());
        else if (edit->Value() > edit->MaxValue())
            edit->SetValue(edit->MaxValue());
    };
    spin.OnExit = clamp;
    struct Case {
        const char* typed;
        const char* shown;
    };
    for (auto c :
         {Case{"", "0"}, Case{"-5", "0"}, Case{"7", "7"}, Case{"-", "-"}, Case{"123", "99"}}) {
        spin.SetText(c.typed);
        spin.OnExit(&spin);
        EXPECT_EQ(spin.Text(), c.shown) << '"' << c.typed << '"';
    }
    spin.SetText("-");
    EXPECT_EQ(spin.Value(), 0);

    TSpinEdit port;
    port.SetMinValue(1024);
    port.SetMaxValue(49151);
    port.SetMaxLength(5);
    port.OnExit = clamp;
    port.SetText("80");
    port.OnExit(&port);
    EXPECT_EQ(port.Text(), "1024");
}

// ---- Radio group --------------------------------------------------------------------------

namespace {

struct OwnerGroup : ::testing::Test {
    OwnerGroup() {
        group.SetCaption("Factory Operation");
        group.SetItems({"Client", "Server", "Auto"});
        group.SetColumns(3);
        group.OnClick = [this](QObject* sender) {
            EXPECT_EQ(sender, &group);
            clicks.push_back(group.ItemIndex());
        };
    }
    // Which buttons show as checked.
    std::vector<int> Checked() const {
        std::vector<int> checked;
        for (int i = 0; i < group.Count(); ++i)
            if (group.Button(i)->isChecked()) checked.push_back(i);
        return checked;
    }
    TRadioGroup group;
    std::vector<int> clicks;
};

} // namespace

TEST_F(OwnerGroup, SelectingInCodeClicksClearingDoesNot) {
    EXPECT_EQ(group.ItemIndex(), -1);
    EXPECT_EQ(Checked(), std::vector<int>{});

    group.SetItemIndex(1);
    EXPECT_EQ(clicks, std::vector<int>{1}); // the handler already sees the new index
    EXPECT_EQ(Checked(), std::vector<int>{1});
    group.SetItemIndex(1); // no change, no click
    group.SetItemIndex(-1);
    EXPECT_EQ(clicks, std::vector<int>{1});
    EXPECT_EQ(group.ItemIndex(), -1);
    EXPECT_EQ(Checked(), std::vector<int>{});

    group.SetItemIndex(7);  // past the last item: the last one
    group.SetItemIndex(-3); // below -1: none
    EXPECT_EQ(clicks, (std::vector<int>{1, 2}));
    EXPECT_EQ(group.ItemIndex(), -1);
}

TEST_F(OwnerGroup, UserClickRunsOnlyWhenTheSelectionChanges) {
    group.Button(2)->click();
    EXPECT_EQ(group.ItemIndex(), 2);
    group.Button(2)->click(); // the item already selected
    group.Button(0)->click();
    EXPECT_EQ(clicks, (std::vector<int>{2, 0}));
    EXPECT_EQ(Checked(), std::vector<int>{0});

    group.SetItemIndex(-1);
    group.Button(0)->click(); // from no selection
    EXPECT_EQ(clicks, (std::vector<int>{2, 0, 0}));

    group.setEnabled(false);
    group.Button(1)->click();
    EXPECT_EQ(group.ItemIndex(), 0);
}

TEST_F(OwnerGroup, QuietlySelectsWithoutTheHandlerAndAttachesItAgain) {
    platform::Quietly(group.OnClick, [&] { group.SetItemIndex(2); });
    EXPECT_EQ(group.ItemIndex(), 2);
    EXPECT_TRUE(clicks.empty());
    EXPECT_THROW(platform::Quietly(group.OnClick,
                                   [&] {
                                       group.SetItemIndex(1);
                                       throw std::runtime_error("x");
                                   }),
                 std::runtime_error);
    group.SetItemIndex(0);
    EXPECT_EQ(clicks, std::vector<int>{0});
}

// The owner handler's refusal: choosing "Server" for a role a player holds selects "Client"
// again from inside the handler, which runs the handler once more.
TEST_F(OwnerGroup, HandlerMaySelectAnotherItemOfItsOwnGroup) {
    group.SetItemIndex(0);
    clicks.clear();
    group.OnClick = [this](QObject*) {
        clicks.push_back(group.ItemIndex());
        if (group.ItemIndex() != 0) group.SetItemIndex(0);
    };
    group.Button(1)->click();
    EXPECT_EQ(clicks, (std::vector<int>{1, 0}));
    EXPECT_EQ(group.ItemIndex(), 0);
    EXPECT_EQ(Checked(), std::vector<int>{0});
}

TEST(RadioGroup, ItemsFillColumnsTopToBottom) {
    TRadioGroup group;
    group.SetItems({"a", "b", "c", "d", "e"});
    group.SetColumns(2);
    auto* grid = qobject_cast<QGridLayout*>(group.layout());
    ASSERT_NE(grid, nullptr);
    auto cell = [&](int item) {
        int row, column, rows, columns;
        grid->getItemPosition(grid->indexOf(group.Button(item)), &row, &column, &rows, &columns);
        return std::pair(row, column);
    };
    EXPECT_EQ(cell(0), std::pair(0, 0));
    EXPECT_EQ(cell(2), std::pair(2, 0));
    EXPECT_EQ(cell(3), std::pair(0, 1));
    EXPECT_EQ(cell(4), std::pair(1, 1));

    group.SetColumns(5);
    EXPECT_EQ(cell(4), std::pair(0, 4));
    EXPECT_EQ(group.Caption(), "");
    group.SetCaption("Send to");
    EXPECT_EQ(group.title(), "Send to");
}

// ---- Labels -------------------------------------------------------------------------------

TEST(Label, BoldIsSwitchedAloneAndTheParentFontStillReachesTheLabel) {
    QWidget page;
    page.setFont(QFont("Serif", 20));
    auto* label = new QLabel("Waiting", &page);
    QFont styled;
    styled.setItalic(true);
    styled.setUnderline(true);
    label->setFont(styled);

    platform::SetBold(label, true);
    EXPECT_TRUE(platform::IsBold(label));
    EXPECT_TRUE(label->font().italic());
    EXPECT_TRUE(label->font().underline());
    EXPECT_EQ(label->font().pointSize(), 20);

    page.setFont(QFont("Sans", 9)); // the page font changed later (Change fonts)
    EXPECT_EQ(label->font().pointSize(), 9);
    EXPECT_EQ(label->font().family(), QFont("Sans", 9).family());
    EXPECT_TRUE(label->font().bold());

    platform::SetBold(label, false);
    EXPECT_FALSE(platform::IsBold(label));
    EXPECT_TRUE(label->font().italic());
    EXPECT_TRUE(label->font().underline());

    // A bold page font and a label that never had a font of its own.
    page.setFont(QFont("Sans", 11, QFont::Bold));
    auto* plain = new QLabel("Fulfilled", &page);
    EXPECT_TRUE(platform::IsBold(plain));
    platform::SetBold(plain, false);
    EXPECT_FALSE(platform::IsBold(plain));
    page.setFont(QFont("Sans", 14, QFont::Bold));
    EXPECT_EQ(plain->font().pointSize(), 14);
    EXPECT_FALSE(platform::IsBold(plain));
}

// ---- Status bar ---------------------------------------------------------------------------

TEST(StatusBar, SimpleTextKeepsShiftJisBytes) {
    platform::TStatusBar bar;
    EXPECT_EQ(bar.SimpleText(), "");
    const std::string text = Sjis("「Benvik Group」 - Status : 5 Week");
    bar.SetSimpleText(text);
    EXPECT_EQ(bar.SimpleText(), text);
    EXPECT_EQ(bar.findChild<QLabel*>("SimpleText")->text(),
              QString::fromUtf8("「Benvik Group」 - Status : 5 Week"));
}

// ---- Page control -------------------------------------------------------------------------

namespace {

struct Pages : ::testing::Test {
    Pages() {
        for (const char* caption : {"Connection", "Status", "History"})
            pages.push_back(control.AddPage(caption));
        control.OnChange = [this](QObject* sender) {
            EXPECT_EQ(sender, &control);
            changes.push_back(control.ActivePageIndex());
        };
        control.resize(400, 300);
    }
    std::vector<int> Visible() const {
        std::vector<int> shown;
        for (int i = 0; i < control.PageCount(); ++i)
            if (control.Page(i)->isVisible()) shown.push_back(i);
        return shown;
    }
    TPageControl control;
    std::vector<QWidget*> pages;
    std::vector<int> changes;
};

} // namespace

TEST_F(Pages, CodeSelectsAPageOrNoneWithoutTheChangeEvent) {
    EXPECT_EQ(control.PageCount(), 3);
    EXPECT_EQ(control.TabBar()->count(), 4); // with the hidden one that stands for no page
    EXPECT_EQ(control.PageCaption(2), "History");
    EXPECT_EQ(control.ActivePageIndex(), 0);
    control.show();
    EXPECT_EQ(Visible(), std::vector<int>{0});

    control.SetActivePageIndex(2);
    EXPECT_EQ(control.ActivePage(), pages[2]);
    EXPECT_EQ(Visible(), std::vector<int>{2});

    for (int outside : {-1, 3, 99}) {
        control.SetActivePageIndex(2);
        control.SetActivePageIndex(outside);
        EXPECT_EQ(control.ActivePageIndex(), -1);
        EXPECT_EQ(control.ActivePage(), nullptr);
        EXPECT_EQ(Visible(), std::vector<int>{});
    }
    control.SetActivePage(pages[1]);
    EXPECT_EQ(control.ActivePageIndex(), 1);
    EXPECT_TRUE(changes.empty());
}

TEST_F(Pages, NoPageCanBeSetBeforeTheWindowIsShown) {
    control.SetActivePageIndex(-1); // settings are loaded while the window is created
    control.show();
    EXPECT_EQ(control.ActivePageIndex(), -1);
    EXPECT_EQ(Visible(), std::vector<int>{});
}

TEST_F(Pages, TheUserPickingATabRunsOnChange) {
    control.show();
    control.SetActivePageIndex(-1);
    QTabBar* tabs = control.TabBar();
    Click(tabs, tabs->tabRect(1).center());
    EXPECT_EQ(control.ActivePageIndex(), 1);
    EXPECT_EQ(Visible(), std::vector<int>{1});
    Click(tabs, tabs->tabRect(1).center()); // the page already shown
    Click(tabs, tabs->tabRect(2).center());
    EXPECT_EQ(changes, (std::vector<int>{1, 2}));

    // The keyboard walks the pages only, never into "no page".
    Key(tabs, Qt::Key_Right);
    EXPECT_EQ(control.ActivePageIndex(), 2);
    Key(tabs, Qt::Key_Left);
    EXPECT_EQ(control.ActivePageIndex(), 1);
    EXPECT_EQ(changes, (std::vector<int>{1, 2, 1}));
}

TEST_F(Pages, TheChangeHandlerMaySwitchThePageItself) {
    control.show();
    control.OnChange = [this](QObject*) {
        changes.push_back(control.ActivePageIndex());
        if (control.ActivePageIndex() == 2) control.SetActivePageIndex(0);
    };
    Click(control.TabBar(), control.TabBar()->tabRect(2).center());
    EXPECT_EQ(changes, std::vector<int>{2});
    EXPECT_EQ(control.ActivePageIndex(), 0);
    EXPECT_EQ(Visible(), std::vector<int>{0});
}

// A window's leave handler must not run while the window is taken down around it.
TEST(SpinEdit, ClosingOrDestroyingTheWindowIsNoLeaving) {
    for (bool closeFirst : {true, false}) {
        auto* window = new QWidget;
        auto* layout = new QVBoxLayout(window);
        auto* spin = new TSpinEdit(window);
        layout->addWidget(spin);
        layout->addWidget(new QLineEdit(window));
        int exits = 0;
        spin->OnExit = [&](QObject*) { ++exits; };
        ShowActive(*window);
        spin->setFocus();
        QApplication::processEvents();
        ASSERT_TRUE(spin->Editor()->hasFocus());
        if (closeFirst) {
            window->close();
            QApplication::processEvents();
        }
        delete window;
        EXPECT_EQ(exits, 0) << (closeFirst ? "closed" : "deleted while shown");
    }
}
