// What people see: both windows at their opening size, every page, in a real X server with a
// window manager (the frame takes its share of the outer size, and the desktop's fonts are
// used), with every text that the game writes into them at its widest. No visible label,
// heading, button caption or table cell may need more room than it has.
//
// The test program starts its own X server (Xvfb, on a display it picks itself) and window
// manager (openbox) before the application connects, and ends them after; without them the
// cases are skipped.
#include "client/TC_Main.h"
#include "platform/PageControl.h"
#include "platform/RadioGroup.h"
#include "platform/StringGrid.h"
#include "server/TS_Main.h"
#include "support/ScriptedDialogs.h"
#include "support/TestApplication.h"
#include "support/TestPeer.h"
#include "support/XSession.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOption>
#include <QTemporaryDir>
#include <array>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

// Why the cases are skipped; empty while the session runs.
std::string skipReason;

std::string Describe(const QWidget* w, const QString& text) {
    return w->objectName().toStdString() + " (" + w->metaObject()->className() + ") \"" +
           text.toStdString() + "\"";
}

// The part of a widget's rectangle that is not cut off by its parents, in its own coordinates.
QRect Unclipped(const QWidget* w) {
    QRect rect = w->rect();
    QPoint offset(0, 0);
    for (const QWidget* p = w; p->parentWidget() && !p->isWindow(); p = p->parentWidget()) {
        offset += p->pos();
        rect &= p->parentWidget()->rect().translated(-offset);
    }
    return rect;
}

// Whether heights are checked too: below its opening size a window may squeeze its pages
// vertically (the least size is the design's), never so narrow that a text is cut.
bool checkHeights = true;

// Without the heights checked, a rectangle reaching from top to bottom of everything.
QRect Checked(QRect rect) {
    if (!checkHeights) rect.setCoords(rect.left(), -100000, rect.right(), 100000);
    return rect;
}

void ExpectRoom(const QWidget* w, const QString& text, const QRect& room, const QRect& need,
                const std::string& where) {
    EXPECT_TRUE(Checked(room).contains(Checked(need)) &&
                Checked(Unclipped(w)).contains(Checked(room)))
        << where << ": " << Describe(w, text) << " needs " << need.width() << "x" << need.height()
        << " at " << need.x() << "," << need.y() << ", has " << room.width() << "x" << room.height()
        << " at " << room.x() << "," << room.y() << " (unclipped " << Unclipped(w).width() << "x"
        << Unclipped(w).height() << ")";
}

void CheckLabel(const QLabel* label, const std::string& where) {
    const QString text = label->text();
    if (text.isEmpty()) return;
    const int m = label->margin();
    const QRect room = label->contentsRect().adjusted(m, m, -m, -m);
    const int flags = int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0);
    ExpectRoom(label, text, room, label->fontMetrics().boundingRect(room, flags, text), where);
}

void CheckButton(const QAbstractButton* button, const std::string& where) {
    const QString text = button->text();
    if (text.isEmpty()) return;
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = text;
    QStyle::SubElement part = QStyle::SE_PushButtonContents;
    if (qobject_cast<const QCheckBox*>(button)) part = QStyle::SE_CheckBoxContents;
    if (qobject_cast<const QRadioButton*>(button)) part = QStyle::SE_RadioButtonContents;
    const QRect room = button->style()->subElementRect(part, &option, button);
    const int flags = Qt::AlignCenter | Qt::TextShowMnemonic;
    QRect need = button->fontMetrics().boundingRect(room, flags, text);
    ExpectRoom(button, text, room, need, where);
}

void CheckGroupBox(const QGroupBox* box, const std::string& where) {
    const QString title = box->title();
    if (title.isEmpty()) return;
    QStyleOptionGroupBox option;
    option.initFrom(box);
    option.text = title;
    option.lineWidth = 1;
    option.textAlignment = box->alignment();
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    const QRect room =
        box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box);
    const int width = box->fontMetrics().horizontalAdvance(title);
    ExpectRoom(box, title, room, QRect(room.topLeft(), QSize(width, room.height())), where);
}

// Every non-empty cell: its text, drawn at the cell's left plus the grid's text indent and
// centred in the row, inside the cell.
void CheckGrid(const platform::TStringGrid* grid, const std::string& where) {
    const QFontMetrics fm = grid->fontMetrics();
    const int height = grid->DefaultRowHeight();
    const int baseline = (height - fm.height()) / 2 + fm.ascent();
    for (int row = 0; row < grid->RowCount(); ++row)
        for (int col = 0; col < grid->ColCount(); ++col) {
            const QString text = QString::fromStdString(grid->Cells(col, row));
            if (text.trimmed().isEmpty()) continue;
            const QRect ink = fm.tightBoundingRect(text.trimmed());
            const QRect need(platform::TStringGrid::TextIndent + ink.left(), baseline + ink.top(),
                             ink.width(), ink.height());
            const QRect cell(0, 0, grid->ColWidths(col), height);
            EXPECT_TRUE(Checked(cell).contains(Checked(need)))
                << where << ": " << grid->objectName().toStdString() << " cell " << col << ","
                << row << " \"" << text.toStdString() << "\" needs " << need.right() + 1 << "x"
                << need.bottom() + 1 << ", has " << cell.width() << "x" << cell.height();
        }
}

void CheckVisibleTexts(QWidget* window, const std::string& where) {
    for (const QLabel* label : window->findChildren<QLabel*>())
        if (label->isVisible()) CheckLabel(label, where);
    for (const QAbstractButton* button : window->findChildren<QAbstractButton*>())
        if (button->isVisible()) CheckButton(button, where);
    for (const QGroupBox* box : window->findChildren<QGroupBox*>())
        if (box->isVisible()) CheckGroupBox(box, where);
    for (const platform::TStringGrid* grid : window->findChildren<platform::TStringGrid*>())
        if (grid->isVisible()) CheckGrid(grid, where);
}

// Lets the window manager and the layouts finish what they are doing.
void Settle() {
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QCoreApplication::processEvents();
    }
}

// Shows the window and waits until the window manager has framed it and the window has taken its
// opening size inside the frame.
void ShowFramed(QWidget& window, QSize outer) {
    window.show();
    ASSERT_TRUE(WaitUntil(
        [&] { return window.frameGeometry().size() == outer && window.size() != outer; }, 20000))
        << "the window was not framed at its outer size " << outer.width() << "x" << outer.height()
        << ": frame " << window.frameGeometry().width() << "x" << window.frameGeometry().height();
    Settle();
}

// With TROV_LAYOUT_SCREENS naming a folder, the screen is saved there as <name>.png (to look at
// the windows; needs ImageMagick's import).
void Screenshot(const std::string& name) {
    const char* folder = std::getenv("TROV_LAYOUT_SCREENS");
    const std::string import = FindProgram("import");
    if (!folder || !*folder || import.empty()) return;
    const pid_t pid = Spawn(import, {"-window", "root", std::string(folder) + "/" + name + ".png"});
    if (pid > 0) waitpid(pid, nullptr, 0);
}

// `shots` names the screenshots: <shots>-<page caption>.
void CheckEveryPage(QWidget& window, platform::TPageControl* pages, const std::string& where,
                    const std::string& shots = {}) {
    for (int page = 0; page < pages->PageCount(); ++page) {
        pages->SetActivePageIndex(page);
        Settle();
        CheckVisibleTexts(&window, where + ", page \"" + pages->PageCaption(page) + "\"");
        if (!shots.empty()) {
            std::string caption = pages->PageCaption(page);
            for (char& c : caption) c = c == ' ' ? '-' : static_cast<char>(std::tolower(c));
            Screenshot(shots + "-" + caption);
        }
    }
}

TEST(Layout, ServerWindowHoldsEveryTextAtItsOpeningSize) {
    if (!skipReason.empty()) GTEST_SKIP() << skipReason;
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    TTrovGameServerForm form(nullptr, dir.filePath("TrovGSrv").toStdString());
    ShowFramed(form, QSize(848, 554));
    CheckEveryPage(form, form.PageControl, "preparing", "server-preparing");

    // The game master plays every role: a running week, with the widest numbers.
    for (auto& role : form.Roles) role.Owner->SetItemIndex(1);
    form.Button_StartClick(nullptr);
    TTrovGame& game = *form.Game();
    ASSERT_EQ(game.FState, gsRunning);
    for (auto* history : {&game.StockF, &game.StockD, &game.StockW, &game.StockR, &game.BacklogF,
                          &game.BacklogD, &game.BacklogW, &game.BacklogR, &game.OrderDd,
                          &game.OrderWd, &game.OrderRd, &game.Market})
        (*history)[0] = 255;
    form.UpdateDisplay();
    CheckEveryPage(form, form.PageControl, "running", "server-running");
    // Three roles have ordered (the fourth order ends the week).
    for (int r = 2; r <= 4; ++r) game.FPlayers[r]->Order = 5;
    form.ShowInputStatus();
    CheckVisibleTexts(&form, "running, three roles ordered");

    // The computer plays every role to the end: the table with its totals.
    form.Button_StopClick(nullptr);
    for (auto& role : form.Roles) role.Owner->SetItemIndex(2);
    form.Button_StartClick(nullptr);
    ASSERT_TRUE(WaitUntil([&] { return game.FState == gsFinished; }));
    form.UpdateDisplay();
    CheckEveryPage(form, form.PageControl, "finished", "server-finished");
}

TEST(Layout, ClientWindowHoldsEveryTextAtItsOpeningSizeAndItsWidthsAtTheSmallest) {
    if (!skipReason.empty()) GTEST_SKIP() << skipReason;
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    TTrovGameClientForm form(nullptr, dir.filePath("TrovGClt").toStdString());
    ShowFramed(form, QSize(688, 554));
    CheckEveryPage(form, form.PageControl, "disconnected", "client-disconnected");

    // A week of a game with the widest numbers, every role taken and decided.
    form.FState = csPlaying;
    form.FWeek = 99;
    form.FGroupName = "Benvik Group";
    for (int i = 0; i < 4; ++i) {
        form.FStock[i] = 255;
        form.FJoined[i] = true;
        form.FDecided[i] = true;
    }
    form.FBacklog = 255;
    form.FDemand = 255;
    const QSize opening = form.size();
    for (const QSize size : {opening, form.minimumSize()}) {
        form.resize(size);
        ASSERT_TRUE(WaitUntil([&] { return form.size() == size; }));
        checkHeights = size == opening;
        const std::string where = size == opening ? "opening size" : "smallest size";
        for (int role = 0; role < 4; ++role) {
            form.RadioGroup_Play->SetItemIndex(role);
            form.UpdateView();
            const std::string shots = size == opening ? "client-opening" : "client-smallest";
            CheckEveryPage(form, form.PageControl, where + ", role " + std::to_string(role),
                           shots + "-role" + std::to_string(role));
        }
    }
    checkHeights = true;
}

} // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return RunTestsInXSession(argc, argv, skipReason);
}
