// What people see: both windows at their opening and their smallest size, every page, in a real
// X server with a window manager (the frame takes its share of the outer size, and the desktop's
// fonts are used), with every text that the game writes into them at its widest. No visible
// label, heading, button caption or table cell may need more room than it has (a page that
// scrolls shows what lies beyond its view when scrolled to it), and texts side by side stay
// apart.
//
// The test program starts its own X server (Xvfb, on a display it picks itself) and window
// manager (openbox) before the application connects, and ends them after; without them the
// cases are skipped.
#include "client/TC_Main.h"
#include "platform/ListView.h"
#include "platform/PageControl.h"
#include "platform/RadioGroup.h"
#include "platform/SpinEdit.h"
#include "platform/StringGrid.h"
#include "server/TS_Main.h"
#include "support/ScriptedDialogs.h"
#include "support/TestApplication.h"
#include "support/TestPeer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
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

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// The path of a program found on PATH, empty when there is none.
std::string FindProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        const std::size_t end = std::min(dirs.find(':', start), dirs.size());
        const std::string file = dirs.substr(start, end - start) + "/" + name;
        if (end > start && access(file.c_str(), X_OK) == 0) return file;
        start = end + 1;
    }
    return {};
}

// A process started with its output dropped; `env` entries ("NAME=value") replace or add to the
// environment.
pid_t Spawn(const std::string& program, const std::vector<std::string>& args,
            const std::vector<std::string>& env = {}) {
    std::vector<std::string> environment;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        bool replaced = false;
        for (const std::string& own : env)
            replaced |= entry.compare(0, own.find('=') + 1, own, 0, own.find('=') + 1) == 0;
        if (!replaced) environment.push_back(entry);
    }
    environment.insert(environment.end(), env.begin(), env.end());
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& e : environment) envp.push_back(e.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data()) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

bool Exited(pid_t pid) {
    int status = 0;
    return waitpid(pid, &status, WNOHANG) == pid;
}

// Ends a process started here: asked first, forced after a while.
void End(pid_t pid) {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (Clock::now() < deadline) {
        if (Exited(pid)) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

// An X server with a window manager, for the life of the object.
class XSession {
public:
    // Empty when the session runs; else why it could not be started.
    std::string Start() {
        const std::string xvfb = FindProgram("Xvfb");
        const std::string openbox = FindProgram("openbox");
        if (xvfb.empty() || openbox.empty())
            return "Xvfb or openbox is not installed (scripts/setup.sh installs them)";
        if (!folder_.isValid()) return "no temporary folder";

        // The server picks a free display itself and writes its number into the pipe.
        int fds[2];
        if (pipe(fds) != 0) return "no pipe";
        fcntl(fds[0], F_SETFD, FD_CLOEXEC);
        xvfb_ = Spawn(xvfb, {"-displayfd", std::to_string(fds[1]), "-screen", "0", "1280x1024x24",
                             "-nolisten", "tcp"});
        close(fds[1]);
        std::string number;
        const auto deadline = Clock::now() + std::chrono::seconds(20);
        while (xvfb_ > 0 && number.find('\n') == std::string::npos && Clock::now() < deadline) {
            pollfd p{fds[0], POLLIN, 0};
            if (poll(&p, 1, 100) <= 0) continue;
            char c[16];
            const ssize_t n = read(fds[0], c, sizeof c);
            if (n <= 0) break;
            number.append(c, static_cast<std::size_t>(n));
        }
        close(fds[0]);
        if (number.find('\n') == std::string::npos) return "Xvfb did not start";
        display_ = ":" + number.substr(0, number.find('\n'));

        // The window manager runs its start-up command once it manages the screen.
        const std::string ready = folder_.filePath("ready").toStdString();
        const std::string home = folder_.path().toStdString();
        wm_ = Spawn(openbox, {"--sm-disable", "--startup", "touch " + ready},
                    {"DISPLAY=" + display_, "HOME=" + home, "XDG_CONFIG_HOME=" + home,
                     "XDG_CACHE_HOME=" + home, "XDG_DATA_HOME=" + home});
        const auto wmDeadline = Clock::now() + std::chrono::seconds(20);
        while (wm_ > 0 && !std::filesystem::exists(ready) && Clock::now() < wmDeadline) {
            if (Exited(wm_)) {
                wm_ = -1;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (!std::filesystem::exists(ready)) return "openbox did not start";
        return {};
    }
    ~XSession() {
        End(wm_);
        End(xvfb_);
    }
    const std::string& Display() const { return display_; }

private:
    QTemporaryDir folder_;
    pid_t xvfb_ = -1;
    pid_t wm_ = -1;
    std::string display_;
};

// Why the cases are skipped; empty while the session runs.
std::string skipReason;

std::string Describe(const QWidget* w, const QString& text) {
    return w->objectName().toStdString() + " (" + w->metaObject()->className() + ") \"" +
           text.toStdString() + "\"";
}

// Whether `w` is the page that a scroll area scrolls: what lies outside the area's view is
// shown when the page is scrolled to it.
bool IsScrolledPage(const QWidget* w) {
    const QWidget* view = w->parentWidget();
    const auto* area = view ? qobject_cast<const QScrollArea*>(view->parentWidget()) : nullptr;
    return area && area->widget() == w;
}

// The part of a widget's rectangle that is not cut off by its parents, in its own coordinates.
QRect Unclipped(const QWidget* w) {
    QRect rect = w->rect();
    QPoint offset(0, 0);
    for (const QWidget* p = w; p->parentWidget() && !p->isWindow() && !IsScrolledPage(p);
         p = p->parentWidget()) {
        offset += p->pos();
        rect &= p->parentWidget()->rect().translated(-offset);
    }
    return rect;
}

void ExpectRoom(const QWidget* w, const QString& text, const QRect& room, const QRect& need,
                const std::string& where) {
    EXPECT_TRUE(room.contains(need) && Unclipped(w).contains(room))
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
            EXPECT_TRUE(cell.contains(need))
                << where << ": " << grid->objectName().toStdString() << " cell " << col << ","
                << row << " \"" << text.toStdString() << "\" needs " << need.right() + 1 << "x"
                << need.bottom() + 1 << ", has " << cell.width() << "x" << cell.height();
        }
}

// From the last ink of a cell's text to the first ink of the text in the next cell on its right,
// across the grid line between them, at least this many pixels stay free: neighbouring numbers
// read as two.
constexpr int kInkGap = 5;

// Every pair of non-empty neighbouring cells of a row, drawn as CheckGrid has it.
void CheckGridGaps(const platform::TStringGrid* grid, const std::string& where) {
    const QFontMetrics fm = grid->fontMetrics();
    for (int row = 0; row < grid->RowCount(); ++row)
        for (int col = 0; col + 1 < grid->ColCount(); ++col) {
            const QString left = QString::fromStdString(grid->Cells(col, row));
            const QString right = QString::fromStdString(grid->Cells(col + 1, row));
            if (left.trimmed().isEmpty() || right.trimmed().isEmpty()) continue;
            // From the left cell's left edge: its text's last ink, then the grid line (one
            // pixel) and the right cell with its text's first ink.
            const int inkEnd =
                platform::TStringGrid::TextIndent + fm.tightBoundingRect(left).right();
            const int inkStart = grid->ColWidths(col) + 1 + platform::TStringGrid::TextIndent +
                                 fm.tightBoundingRect(right).left();
            EXPECT_GE(inkStart - inkEnd - 1, kInkGap)
                << where << ": " << grid->objectName().toStdString() << " row " << row << ", \""
                << left.toStdString() << "\" (column " << col << ", " << grid->ColWidths(col)
                << " px) and \"" << right.toStdString() << "\" run together";
        }
}

// Every pair of the labels whose texts share a line: the texts, placed as the labels draw them,
// stand further apart than a blank inside either, so that they read as two texts.
void CheckLabelsApart(const std::vector<const QLabel*>& labels, const std::string& where) {
    std::vector<QRect> texts;
    for (const QLabel* label : labels) {
        const int m = label->margin();
        const QRect room = label->contentsRect().adjusted(m, m, -m, -m);
        const int flags = int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0);
        const QRect need = label->fontMetrics().boundingRect(room, flags, label->text());
        texts.push_back(need.translated(label->mapTo(label->window(), QPoint(0, 0))));
    }
    for (std::size_t i = 0; i < labels.size(); ++i)
        for (std::size_t j = i + 1; j < labels.size(); ++j) {
            const QRect& a = texts[i];
            const QRect& b = texts[j];
            if (a.bottom() < b.top() || b.bottom() < a.top()) continue; // different lines
            const int apart = std::max(b.left() - a.right(), a.left() - b.right()) - 1;
            const int blank = std::max(labels[i]->fontMetrics().horizontalAdvance(' '),
                                       labels[j]->fontMetrics().horizontalAdvance(' '));
            EXPECT_GT(apart, blank)
                << where << ": " << Describe(labels[i], labels[i]->text()) << " and "
                << Describe(labels[j], labels[j]->text()) << " run into one another";
        }
}

// Every column's caption in the list's heading, in the room that the heading leaves it before
// it cuts the caption short with an ellipsis.
void CheckListHeadings(const platform::TListView* list, const std::string& where) {
    const QHeaderView* header = list->horizontalHeader();
    for (int c = 0; c < list->ColumnCount(); ++c) {
        QStyleOptionHeader option;
        option.initFrom(header);
        option.section = c;
        option.text = QString::fromStdString(list->Column(c)->Caption());
        option.rect = QRect(0, 0, header->sectionSize(c), header->height());
        option.textAlignment = header->defaultAlignment();
        const QRect room = header->style()->subElementRect(QStyle::SE_HeaderLabel, &option, header);
        EXPECT_GE(room.width(), header->fontMetrics().horizontalAdvance(option.text))
            << where << ": " << list->objectName().toStdString() << " heading \""
            << option.text.toStdString() << "\" is cut in its " << header->sectionSize(c) << " px";
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

// The server window allows 640x480 too: there every text is whole as well, where a page scrolls.
TEST(Layout, ServerWindowHoldsEveryTextAtItsSmallestSize) {
    if (!skipReason.empty()) GTEST_SKIP() << skipReason;
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    TTrovGameServerForm form(nullptr, dir.filePath("TrovGSrv").toStdString());
    ShowFramed(form, QSize(848, 554));
    const QSize size = form.minimumSize();
    form.resize(size);
    ASSERT_TRUE(WaitUntil([&] { return form.size() == size; }));
    CheckEveryPage(form, form.PageControl, "smallest size, preparing", "server-smallest-preparing");
    for (auto& role : form.Roles) role.Owner->SetItemIndex(1);
    form.Button_StartClick(nullptr);
    ASSERT_EQ(form.Game()->FState, gsRunning);
    CheckEveryPage(form, form.PageControl, "smallest size, running", "server-smallest-running");
}

// Texts side by side stay apart: the Manual Operation page's four input labels when every role
// has ordered (all bold), and the numbers of a finished game of 99 weeks in the tables.
TEST(Layout, ServerWindowKeepsNeighbouringTextsApart) {
    if (!skipReason.empty()) GTEST_SKIP() << skipReason;
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    TTrovGameServerForm form(nullptr, dir.filePath("TrovGSrv").toStdString());
    ShowFramed(form, QSize(848, 554));
    CheckListHeadings(form.ListView_Connect, "opening");
    form.SpinEdit_FinalTurn->SetValue(99);
    form.SpinEdit_Exit(form.SpinEdit_FinalTurn);

    for (auto& role : form.Roles) role.Owner->SetItemIndex(1);
    form.Button_StartClick(nullptr);
    TTrovGame& game = *form.Game();
    ASSERT_EQ(game.FState, gsRunning);
    for (int r = 1; r <= 4; ++r) game.FPlayers[r]->Order = 5;
    form.ShowInputStatus();
    form.PageControl->SetActivePage(form.TabSheet_Input);
    Settle();
    CheckLabelsApart(
        {form.Label_FtInput, form.Label_W1Input, form.Label_W2Input, form.Label_RtInput},
        "every role ordered");
    Screenshot("server-ordered-manual-operation");

    form.Button_StopClick(nullptr);
    for (auto& role : form.Roles) role.Owner->SetItemIndex(2);
    form.Button_StartClick(nullptr);
    ASSERT_TRUE(WaitUntil([&] { return game.FState == gsFinished; }));
    // Three-digit numbers of every kind side by side in every row.
    for (int h = 0; h < TTrovGame::kHistoryCount; ++h)
        for (std::size_t w = 0; w < game.History(h).size(); ++w)
            game.History(h)[w] = static_cast<std::uint8_t>(100 + (w * 37 + h * 11) % 156);
    form.UpdateDisplay();
    for (QWidget* page : {form.TabSheet_Init, form.TabSheet_Game}) {
        form.PageControl->SetActivePage(page);
        Settle();
        for (const platform::TStringGrid* grid : page->findChildren<platform::TStringGrid*>())
            CheckGridGaps(grid, "finished game of 99 weeks");
    }
    Screenshot("server-finished-99-status");
}

TEST(Layout, ClientWindowHoldsEveryTextAtItsOpeningAndItsSmallestSize) {
    if (!skipReason.empty()) GTEST_SKIP() << skipReason;
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    TTrovGameClientForm form(nullptr, dir.filePath("TrovGClt").toStdString());
    ShowFramed(form, QSize(688, 554));
    CheckEveryPage(form, form.PageControl, "disconnected", "client-disconnected");
    CheckListHeadings(form.ListView_History, "opening");

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
        const std::string where = size == opening ? "opening size" : "smallest size";
        for (int role = 0; role < 4; ++role) {
            form.RadioGroup_Play->SetItemIndex(role);
            form.UpdateView();
            const std::string shots = size == opening ? "client-opening" : "client-smallest";
            CheckEveryPage(form, form.PageControl, where + ", role " + std::to_string(role),
                           shots + "-role" + std::to_string(role));
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    std::optional<XSession> session;
    if (!::testing::GTEST_FLAG(list_tests)) {
        session.emplace();
        skipReason = session->Start();
        if (skipReason.empty()) {
            qputenv("DISPLAY", QByteArray::fromStdString(session->Display()));
            qputenv("QT_QPA_PLATFORM", "xcb");
        }
    }
    if (!skipReason.empty()) qputenv("QT_QPA_PLATFORM", "offscreen");
    return RunTestsInApplication(argc, argv);
}
