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
#include "platform/SjisText.h"
#include "platform/Sockets.h"
#include "platform/SpinEdit.h"
#include "platform/StringGrid.h"
#include "server/TS_Main.h"
#include "support/RealDialogs.h"
#include "support/ScriptedDialogs.h"
#include "support/TestApplication.h"
#include "support/TestPeer.h"
#include "support/XSession.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGlyphRun>
#include <QGroupBox>
#include <QHash>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QStyle>
#include <QStyleOption>
#include <QTabBar>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTextLayout>
#include <QWindow>
#include <array>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

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

// Whether every character of `text` is drawn with a glyph in `font`: laid out as a widget lays
// it out, each character takes its glyph from the font's face or from the first face the font
// falls back to that has one; a character that no face has gets glyph 0.
bool HasEveryGlyph(const QString& text, const QFont& font) {
    static QHash<QString, bool> known;
    const QString key = font.key() + QChar(0) + text;
    if (const auto found = known.constFind(key); found != known.constEnd()) return *found;
    bool every = true;
    // Line breaks and tabs are not drawn: the texts between them are laid out on their own.
    QString line;
    const auto layOut = [&] {
        if (line.isEmpty()) return;
        QTextLayout layout(line, font);
        layout.beginLayout();
        layout.createLine();
        layout.endLayout();
        for (const QGlyphRun& run : layout.glyphRuns())
            for (const quint32 glyph : run.glyphIndexes()) every &= glyph != 0;
        line.clear();
    };
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control)
            layOut();
        else
            line += c;
    }
    layOut();
    known.insert(key, every);
    return every;
}

void ExpectGlyphs(const QWidget* w, const QString& text, const QFont& font,
                  const std::string& where) {
    if (HasEveryGlyph(text, font)) return;
    QString missing;
    for (const char32_t c : text.toUcs4()) {
        const QString one = QString::fromUcs4(&c, 1);
        if (!HasEveryGlyph(one, font) && !missing.contains(one)) missing += one;
    }
    ADD_FAILURE() << where << ": " << Describe(w, text) << " in \"" << font.family().toStdString()
                  << "\" (" << QFontInfo(font).family().toStdString()
                  << ") is drawn without a glyph for \"" << missing.toStdString() << "\"";
}

// Every text that a visible control of the window draws itself, in the control's font.
void CheckGlyphs(QWidget* window, const std::string& where) {
    QList<QWidget*> widgets = window->findChildren<QWidget*>();
    widgets.prepend(window);
    for (const QWidget* w : widgets) {
        if (!w->isVisible()) continue;
        const QFont& font = w->font();
        const auto expect = [&](const QString& text) { ExpectGlyphs(w, text, font, where); };
        if (auto* label = qobject_cast<const QLabel*>(w)) expect(label->text());
        if (auto* button = qobject_cast<const QAbstractButton*>(w)) expect(button->text());
        if (auto* box = qobject_cast<const QGroupBox*>(w)) expect(box->title());
        if (auto* edit = qobject_cast<const QLineEdit*>(w)) expect(edit->displayText());
        if (auto* memo = qobject_cast<const QPlainTextEdit*>(w)) expect(memo->toPlainText());
        if (auto* combo = qobject_cast<const QComboBox*>(w)) expect(combo->currentText());
        if (auto* tabs = qobject_cast<const QTabBar*>(w))
            for (int i = 0; i < tabs->count(); ++i) expect(tabs->tabText(i));
        if (auto* menu = qobject_cast<const QMenuBar*>(w))
            for (const QAction* action : menu->actions()) expect(action->text());
        if (auto* grid = qobject_cast<const platform::TStringGrid*>(w))
            for (int row = 0; row < grid->RowCount(); ++row)
                for (int col = 0; col < grid->ColCount(); ++col)
                    expect(platform::FromSjis(grid->Cells(col, row)));
        if (auto* header = qobject_cast<const QHeaderView*>(w); header && header->model())
            for (int i = 0; i < header->count(); ++i)
                expect(header->model()->headerData(i, header->orientation()).toString());
        else if (auto* view = qobject_cast<const QAbstractItemView*>(w); view && view->model())
            for (int row = 0; row < view->model()->rowCount(); ++row)
                for (int col = 0; col < view->model()->columnCount(); ++col)
                    expect(view->model()->index(row, col).data().toString());
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

// Every cell of the list: its text in the room that the cell leaves it beside its check box and
// mark, before the list cuts it short with an ellipsis.
void CheckListCells(const platform::TListView* list, const std::string& where) {
    const QAbstractItemModel* model = list->model();
    const QStyle* style = list->style();
    // A grid line takes the last pixel of a cell; the text keeps a margin on either side.
    const int line = list->showGrid() ? 1 : 0;
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1;
    const int icon = style->pixelMetric(QStyle::PM_SmallIconSize, nullptr, list);
    for (int row = 0; row < model->rowCount(); ++row)
        for (int col = 0; col < model->columnCount(); ++col) {
            const QModelIndex index = model->index(row, col);
            QStyleOptionViewItem option;
            option.initFrom(list);
            option.font = list->font();
            option.fontMetrics = list->fontMetrics();
            option.rect = QRect(0, 0, list->columnWidth(col) - line, list->rowHeight(row));
            option.displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
            option.decorationSize = QSize(icon, icon);
            option.features = QStyleOptionViewItem::HasDisplay;
            option.text = index.data().toString();
            if (option.text.isEmpty()) continue;
            if (index.data(Qt::CheckStateRole).isValid())
                option.features |= QStyleOptionViewItem::HasCheckIndicator;
            if (const QVariant mark = index.data(Qt::DecorationRole); mark.isValid()) {
                option.features |= QStyleOptionViewItem::HasDecoration;
                option.icon = mark.value<QIcon>();
                option.decorationSize = option.icon.actualSize(option.decorationSize);
            }
            const QRect room = style->subElementRect(QStyle::SE_ItemViewItemText, &option, list);
            // The cell cuts a text whose laid-out width, in fractions of a pixel, passes its
            // room.
            EXPECT_LE(QFontMetricsF(option.font).horizontalAdvance(option.text),
                      room.width() - 2 * margin)
                << where << ": " << list->objectName().toStdString() << " cell " << col << ","
                << row << " \"" << option.text.toStdString() << "\" is cut in its "
                << list->columnWidth(col) << " px";
        }
}

// The text of a one-line edit in the room that the edit leaves it inside its frame and margins;
// a longer text is scrolled, and its start hidden.
void CheckLineEdit(const QLineEdit* edit, const std::string& where) {
    const QString text = edit->displayText();
    if (text.isEmpty()) return;
    QStyleOptionFrame option;
    option.initFrom(edit);
    option.rect = edit->contentsRect();
    option.lineWidth = edit->hasFrame()
                           ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit)
                           : 0;
    option.state |= QStyle::State_Sunken;
    // The edit keeps two pixels on either side of its text, and the cursor one after it.
    const QRect room = edit->style()
                           ->subElementRect(QStyle::SE_LineEditContents, &option, edit)
                           .marginsRemoved(edit->textMargins())
                           .adjusted(2, 0, -2, 0);
    const int width = edit->fontMetrics().horizontalAdvance(text) + 1;
    ExpectRoom(edit, text, room, QRect(room.topLeft(), QSize(width, room.height())), where);
}

// Every text of the window's visible controls, in the room that its control leaves it.
void CheckVisibleTexts(QWidget* window, const std::string& where) {
    for (const QLabel* label : window->findChildren<QLabel*>())
        if (label->isVisible()) CheckLabel(label, where);
    for (const QAbstractButton* button : window->findChildren<QAbstractButton*>())
        if (button->isVisible()) CheckButton(button, where);
    for (const QGroupBox* box : window->findChildren<QGroupBox*>())
        if (box->isVisible()) CheckGroupBox(box, where);
    for (const platform::TStringGrid* grid : window->findChildren<platform::TStringGrid*>())
        if (grid->isVisible()) CheckGrid(grid, where);
    for (const platform::TListView* list : window->findChildren<platform::TListView*>())
        if (list->isVisible()) {
            CheckListHeadings(list, where);
            CheckListCells(list, where);
        }
    for (const QLineEdit* edit : window->findChildren<QLineEdit*>())
        if (edit->isVisible()) CheckLineEdit(edit, where);
    CheckGlyphs(window, where);
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

// Paints every shown window of the program now and waits until the X server has drawn it: a
// window is painted once the server has exposed it, which may come after it has been framed.
void PaintShownWindows() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (!window->isVisible()) continue;
        EXPECT_TRUE(WaitUntil(
            [&] { return window->windowHandle() && window->windowHandle()->isExposed(); }, 20000))
            << window->objectName().toStdString() << " was not exposed";
        window->repaint();
    }
    QGuiApplication::sync();
}

// With TROV_LAYOUT_SCREENS naming a folder, the screen is saved there as <name>.png (to look at
// the windows; needs ImageMagick's import), once the windows have painted.
void Screenshot(const std::string& name) {
    const char* folder = std::getenv("TROV_LAYOUT_SCREENS");
    const std::string import = FindProgram("import");
    if (!folder || !*folder || import.empty()) return;
    PaintShownWindows();
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

    // The end of a game of 99 weeks: the history with its Total and Average rows.
    form.resize(opening);
    ASSERT_TRUE(WaitUntil([&] { return form.size() == opening; }));
    form.FHistory.assign(100, THistoryRec{{255, 255, 255, 255}, 255, 255, 99, 99});
    form.FState = csFinished;
    form.UpdateView();
    ASSERT_EQ(form.ListView_History->Item(form.ListView_History->Count() - 1)->Caption(),
              "Average");
    form.ListView_History->scrollToBottom();
    CheckEveryPage(form, form.PageControl, "finished game of 99 weeks", "client-finished");
}

// A five-digit port that nothing listens on, within the server's Port range.
int FreeServerPort() {
    for (int port = 41000 + getpid() % 8000; port <= 49151; ++port) {
        QTcpServer probe;
        if (probe.listen(QHostAddress::Any, static_cast<quint16>(port))) return port;
    }
    return 0;
}

// A class at the game master's window: two players admitted (their rows ticked and marked), at
// the settings' font and at the larger one a projector asks for (every page makes room for its
// texts or scrolls to them).
TEST(Layout, ServerWindowHoldsAdmittedPlayersAtItsFontAndALargerOne) {
    if (!skipReason.empty()) GTEST_SKIP() << skipReason;
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    TTrovGameServerForm form(nullptr, dir.filePath("TrovGSrv").toStdString());
    ShowFramed(form, QSize(848, 554));
    form.SpinEdit_Port->SetValue(FreeServerPort());
    form.CheckBox_Server->setChecked(true);
    ASSERT_TRUE(form.ServerSocket->Active());
    const auto port = static_cast<quint16>(form.ServerSocket->LocalPort());
    std::vector<std::unique_ptr<TestPeer>> players;
    for (const char* join : {"TC_PN:Dmitri\tTC_PT:Ft\t", "TC_PN:Chiara\tTC_PT:W1\t"}) {
        players.push_back(std::make_unique<TestPeer>());
        ASSERT_TRUE(players.back()->Connect(port));
        players.back()->Send(join);
        ASSERT_TRUE(players.back()->WaitForMessage("TS_Cn:Welcome!\t"));
    }
    platform::TListView* list = form.ListView_Connect;
    // Each row once it shows its wish and its host's name.
    const auto rowsShown = [&] {
        if (list->Count() != 2) return false;
        for (int i = 0; i < 2; ++i)
            if (list->Item(i)->SubItems().size() < 2 || list->Item(i)->SubItems()[0] == "UnKnown" ||
                list->Item(i)->SubItems()[1] != "localhost")
                return false;
        return true;
    };
    ASSERT_TRUE(WaitUntil(rowsShown));
    for (int i = 0; i < 2; ++i) list->Item(i)->SetChecked(true);
    ASSERT_TRUE(WaitUntil([&] {
        return list->Count() == 2 && list->Item(0)->StateIndex() == 1 &&
               list->Item(1)->StateIndex() == 1;
    }));
    CheckEveryPage(form, form.PageControl, "two players admitted", "server-admitted");

    QFont larger = form.PageControl->font();
    larger.setPointSize(20);
    dialogs.ChooseFont(larger);
    form.MItem_FontClick(form.MItem_Font);
    ASSERT_EQ(form.PageControl->font().pointSize(), 20);
    CheckEveryPage(form, form.PageControl, "font size 20, two players admitted",
                   "server-size20-admitted");
}

// The frames as the window manager draws them: its title bar shows the icon, the title and
// three buttons (minimise, maximise, close; openbox's layout "NLIMC"), each button and the icon
// a square as high as the bar, in the manager's title face (openbox draws "sans" 8 points,
// bold). Every frame has the bar and the sides of `framed`, a window the manager has framed.
int FramedWidth(const QWidget* window, const QWidget* framed) {
    return window->width() + framed->frameGeometry().width() - framed->width();
}
int TitleBarNeed(const QString& title, const QWidget* framed) {
    QFont face(QStringLiteral("Sans"));
    face.setPointSize(8);
    face.setBold(true);
    const int bar = framed->geometry().top() - framed->frameGeometry().top();
    return QFontMetrics(face).horizontalAdvance(title) + 4 * bar;
}

// A box with a short text is as wide as its title needs in its frame: the title is not cut.
TEST(Layout, ShortBoxesShowTheirWholeTitle) {
    if (!skipReason.empty()) GTEST_SKIP() << skipReason;
    QTemporaryDir dir;
    TTrovGameClientForm form(nullptr, dir.filePath("TrovGClt").toStdString());
    ShowFramed(form, QSize(688, 554));
    Watchdog watchdog;
    const std::pair<const char*, std::function<void()>> boxes[] = {
        {"start", [] { platform::MessageBox("Start !", "Information"); }},
        {"send-a-message", [] { platform::MessageBox("Send a Message.", "Information"); }},
        {"saved",
         [] {
             (void)platform::MessageDlg("Saved.", platform::TMsgDlgType::Information,
                                        platform::mbOK);
         }},
    };
    for (const auto& [name, show] : boxes) {
        QString title;
        int width = 0;
        WhenModal([&](QWidget* modal) {
            EXPECT_TRUE(WaitUntil([&] { return modal->windowHandle()->isExposed(); }, 20000));
            Screenshot(std::string("box-") + name);
            title = modal->windowTitle();
            width = FramedWidth(modal, &form);
            qobject_cast<QMessageBox*>(modal)->button(QMessageBox::Ok)->click();
        });
        show();
        const int need = TitleBarNeed(title, &form);
        EXPECT_GE(width, need) << name << ": the title \"" << title.toStdString() << "\" needs "
                               << need << " px of its frame";
    }
}

// Japanese texts where the game master writes them: the group name, in its edit and in the
// headings of a running game, and the memo of the message to the players.
TEST(Layout, ServerWindowDrawsJapaneseTextsWithTheirGlyphs) {
    if (!skipReason.empty()) GTEST_SKIP() << skipReason;
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    TTrovGameServerForm form(nullptr, dir.filePath("TrovGSrv").toStdString());
    ShowFramed(form, QSize(848, 554));
    form.Edit_GroupName->setText(QStringLiteral("北の物流班"));
    form.Edit_GroupNameExit(form.Edit_GroupName);
    form.Memo_SendMsg->setPlainText(QStringLiteral("来週は多めに注文します。\n在庫が足りません！"));
    CheckEveryPage(form, form.PageControl, "preparing, Japanese texts",
                   "server-japanese-preparing");
    for (auto& role : form.Roles) role.Owner->SetItemIndex(1);
    form.Button_StartClick(nullptr);
    ASSERT_EQ(form.Game()->FState, gsRunning);
    form.UpdateDisplay();
    CheckEveryPage(form, form.PageControl, "running, Japanese texts", "server-japanese-running");
}

// Japanese texts where a player writes them or the server sends them: the player's name, the
// chat memo and the group name in the status headings of a running and a finished game.
TEST(Layout, ClientWindowDrawsJapaneseTextsWithTheirGlyphs) {
    if (!skipReason.empty()) GTEST_SKIP() << skipReason;
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    TTrovGameClientForm form(nullptr, dir.filePath("TrovGClt").toStdString());
    ShowFramed(form, QSize(688, 554));
    form.Edit_Name->setText(QStringLiteral("山田　太郎"));
    form.Memo_Msg->setPlainText(QStringLiteral("卸売さん、出荷をお願いします。"));
    form.FGroupName = platform::ToSjis(QStringLiteral("北の物流班"));
    form.FWeek = 20;
    for (const TClientState state : {csPlaying, csFinished}) {
        form.FState = state;
        form.UpdateView();
        const std::string name = state == csPlaying ? "playing" : "finished";
        CheckEveryPage(form, form.PageControl, name + ", Japanese texts",
                       "client-japanese-" + name);
    }
}

// Starts another program with a window of its own, which the window manager makes the active
// window, and ends it with the object.
class AnotherProgram {
public:
    AnotherProgram() {
        char self[4096];
        const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
        if (n > 0) pid_ = Spawn(std::string(self, static_cast<std::size_t>(n)), {kArgument});
    }
    ~AnotherProgram() { End(pid_); }
    AnotherProgram(const AnotherProgram&) = delete;
    AnotherProgram& operator=(const AnotherProgram&) = delete;
    bool Started() const { return pid_ > 0; }

    // The argument that makes the test program this other program.
    static constexpr const char* kArgument = "--another-program";
    static int Run(int& argc, char** argv) {
        QApplication app(argc, argv);
        QWidget window;
        window.setWindowTitle(QStringLiteral("Another program"));
        window.resize(400, 300);
        window.show();
        window.activateWindow();
        return app.exec();
    }

private:
    pid_t pid_ = -1;
};

// A box that a server message opens while another program is active belongs to the program's
// main window: it opens over that window and the window manager keeps it above it.
TEST(Layout, BoxFromTheNetworkBelongsToTheMainWindowWhileAnotherProgramIsActive) {
    if (!skipReason.empty()) GTEST_SKIP() << skipReason;
    QTemporaryDir dir;
    TTrovGameClientForm form(nullptr, dir.filePath("TrovGClt").toStdString());
    ShowFramed(form, QSize(688, 554));
    ASSERT_TRUE(WaitUntil([&] { return QApplication::activeWindow() == &form; }, 20000));
    AnotherProgram other;
    ASSERT_TRUE(other.Started());
    ASSERT_TRUE(WaitUntil([] { return QApplication::activeWindow() == nullptr; }, 20000))
        << "the other program's window did not become active";

    TestServer server;
    const std::unique_ptr<TestPeer> peer = ConnectClient(form, server);
    ASSERT_TRUE(peer);

    Watchdog watchdog;
    QString text;
    const QWidget* parent = nullptr;
    const QWindow* transientParent = nullptr;
    QRect box;
    WhenModal([&](QWidget* modal) {
        text = qobject_cast<QMessageBox*>(modal)->text();
        parent = modal->parentWidget();
        transientParent = modal->windowHandle()->transientParent();
        // Where the window manager has put it.
        EXPECT_TRUE(WaitUntil([&] { return modal->windowHandle()->isExposed(); }, 20000));
        Screenshot("box-while-another-program-is-active");
        box = modal->frameGeometry();
        qobject_cast<QMessageBox*>(modal)->button(QMessageBox::Ok)->click();
    });
    peer->Send("TS_Cn:Welcome!\t");
    ASSERT_TRUE(WaitUntil([&] { return !text.isEmpty() && !QApplication::activeModalWidget(); }));
    EXPECT_EQ(text, "Connected. Waiting for acceptance.");
    EXPECT_EQ(parent, &form);
    EXPECT_EQ(transientParent, form.windowHandle());
    // Over the middle of the window (the screen's middle lies inside the window too).
    const QRect window = form.frameGeometry();
    const QRect middle = window.adjusted(window.width() / 4, window.height() / 4,
                                         -window.width() / 4, -window.height() / 4);
    EXPECT_TRUE(middle.contains(box.center())) << "the box's middle " << box.center().x() << ","
                                               << box.center().y() << " is not over its window's";

    // A box that belonged to a minimised window would be hidden with it: it stands alone.
    form.showMinimized();
    ASSERT_TRUE(WaitUntil([&] { return form.isMinimized(); }));
    text.clear();
    parent = &form;
    WhenModal([&](QWidget* modal) {
        text = qobject_cast<QMessageBox*>(modal)->text();
        parent = modal->parentWidget();
        qobject_cast<QMessageBox*>(modal)->button(QMessageBox::Ok)->click();
    });
    peer->Send("TS_Pl:Let's Play!\t");
    ASSERT_TRUE(WaitUntil([&] { return !text.isEmpty() && !QApplication::activeModalWidget(); }));
    EXPECT_EQ(text, "Accepted. Waiting for the start.");
    EXPECT_EQ(parent, nullptr);
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == AnotherProgram::kArgument)
        return AnotherProgram::Run(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RunTestsInXSession(argc, argv, skipReason);
}
