// The text viewer, the machine-type texts, the host text and the about box text.
#include "platform/Application.h"
#include "platform/SjisText.h"
#include "shared/PreviewTestHooks.h"
#include "shared/Sub.h"
#include "support/Files.h"
#include "support/ScriptedDialogs.h"

#include <QFontInfo>
#include <QLayout>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSlider>
#include <QTemporaryDir>
#include <QWidget>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <unistd.h>

namespace {

// Puts a modal runner in place for one test and the previous one back afterwards.
class ScopedModalRunner {
public:
    explicit ScopedModalRunner(TPreviewModalRunner runner)
        : previous_(SetPreviewModalRunner(std::move(runner))) {}
    ~ScopedModalRunner() { SetPreviewModalRunner(std::move(previous_)); }

private:
    TPreviewModalRunner previous_;
};

// Sets the application title for one test.
class ScopedTitle {
public:
    explicit ScopedTitle(const QString& title) : previous_(platform::Application()->Title()) {
        platform::Application()->SetTitle(title);
    }
    ~ScopedTitle() { platform::Application()->SetTitle(previous_); }

private:
    QString previous_;
};

// What the viewer showed while it was open.
struct Shown {
    std::string caption;
    QString text;
    bool readOnly = false;
    bool visibleTrackBar = false;
    double opacity = 0;
};

int OpacityByte(const QWidget& window) {
    return static_cast<int>(std::lround(window.windowOpacity() * 255));
}

class ViewerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        mainWindow.setFont(mainFont());
    }

    static QFont mainFont() {
        QFont font("DejaVu Sans");
        font.setPixelSize(21);
        font.setBold(true);
        return font;
    }

    std::unique_ptr<TTrovGamePreviewForm> NewViewer(bool seeThrough) {
        auto viewer =
            std::make_unique<TTrovGamePreviewForm>(kServerPreviewFormName, &mainWindow, seeThrough);
        viewer->layout()->activate();
        return viewer;
    }

    std::string Path(const char* name) const { return dir.filePath(name).toStdString(); }

    QTemporaryDir dir;
    QWidget mainWindow;
};

TEST_F(ViewerTest, IsBuiltAsDesigned) {
    auto viewer = NewViewer(true);
    EXPECT_EQ(viewer->objectName(), "TTrovGameServerPreviewForm");
    EXPECT_EQ(viewer->windowTitle(), "Preview Window");
    EXPECT_EQ(viewer->size(), QSize(640, 480));
    EXPECT_EQ(viewer->font().pixelSize(), 15);
    EXPECT_TRUE(viewer->isHidden());

    ASSERT_EQ(viewer->findChild<QPlainTextEdit*>("Memo"), viewer->Memo);
    EXPECT_TRUE(viewer->Memo->isReadOnly());
    EXPECT_EQ(viewer->Memo->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(viewer->Memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);

    ASSERT_EQ(viewer->findChild<QSlider*>("TrackBar"), viewer->TrackBar);
    EXPECT_EQ(viewer->TrackBar->orientation(), Qt::Horizontal);
    EXPECT_EQ(viewer->TrackBar->minimum(), 55);
    EXPECT_EQ(viewer->TrackBar->maximum(), 255);
    EXPECT_EQ(viewer->TrackBar->value(), 255);
    EXPECT_EQ(viewer->TrackBar->pageStep(), 10);
    EXPECT_EQ(viewer->TrackBar->tickInterval(), 1);
    EXPECT_EQ(viewer->TrackBar->tickPosition(), QSlider::TicksBelow);

    // The client's viewer is the same window under its own name.
    TTrovGameClientPreviewForm client(kClientPreviewFormName, &mainWindow, true);
    EXPECT_EQ(client.objectName(), "TTrovGameClientPreviewForm");
}

TEST_F(ViewerTest, TrackBarSetsTheOpacityInStepsOf255ths) {
    auto viewer = NewViewer(true);
    EXPECT_EQ(viewer->windowOpacity(), 1.0);
    EXPECT_TRUE(viewer->TrackBar->isEnabled());
    EXPECT_FALSE(viewer->TrackBar->isHidden());

    for (int position = 55; position <= 255; ++position) {
        viewer->TrackBar->setValue(position);
        ASSERT_EQ(OpacityByte(*viewer), position) << "position " << position;
    }
    EXPECT_EQ(viewer->windowOpacity(), 1.0);
    // The left end is as faint as it gets.
    viewer->TrackBar->setValue(0);
    EXPECT_NEAR(viewer->windowOpacity(), 55 / 255.0, 1e-9);
}

TEST_F(ViewerTest, MemoLiesAboveTheTrackBarWhichRunsAlongTheBottom) {
    auto viewer = NewViewer(true);
    QRect memo = viewer->Memo->geometry();
    QRect track = viewer->TrackBar->geometry();
    EXPECT_EQ(memo.top(), 0);
    EXPECT_EQ(memo.width(), 640);
    EXPECT_EQ(track.width(), 640);
    EXPECT_EQ(track.bottom(), viewer->rect().bottom());
    EXPECT_LE(memo.bottom(), track.top());
    EXPECT_GT(track.height(), 0);

    // Resizing keeps the memo anchored to all four sides.
    viewer->resize(800, 600);
    viewer->layout()->invalidate();
    viewer->layout()->activate();
    EXPECT_EQ(viewer->Memo->geometry().width(), 800);
    EXPECT_EQ(viewer->TrackBar->geometry().bottom(), 599);
    EXPECT_EQ(viewer->Memo->geometry().height(), 600 - viewer->TrackBar->geometry().height());
}

TEST_F(ViewerTest, WithoutSeeThroughWindowsTheMemoFillsTheWindowAndOpacityStaysFull) {
    auto viewer = NewViewer(false);
    EXPECT_TRUE(viewer->TrackBar->isHidden());
    EXPECT_FALSE(viewer->TrackBar->isEnabled());
    EXPECT_EQ(viewer->Memo->geometry(), viewer->rect());

    viewer->TrackBar->setValue(55);
    viewer->TrackBarChange();
    EXPECT_EQ(viewer->windowOpacity(), 1.0);
}

TEST_F(ViewerTest, MemoTakesTheMainWindowsFontAtCreationOnly) {
    QWidget other;
    EXPECT_FALSE(mainWindow.acceptDrops());
    auto viewer = NewViewer(true);

    QFont memoFont = viewer->Memo->font();
    EXPECT_EQ(memoFont.family(), "DejaVu Sans");
    EXPECT_EQ(memoFont.pixelSize(), 21);
    EXPECT_TRUE(memoFont.bold());
    // The viewer's own font stays as designed.
    EXPECT_EQ(viewer->font().pixelSize(), 15);
    EXPECT_FALSE(viewer->font().bold());

    // Later changes of the main window's font do not reach the memo.
    QFont changed("DejaVu Serif");
    changed.setPixelSize(30);
    mainWindow.setFont(changed);
    EXPECT_EQ(viewer->Memo->font().family(), "DejaVu Sans");
    EXPECT_EQ(viewer->Memo->font().pixelSize(), 21);
    EXPECT_TRUE(viewer->Memo->font().bold());

    // The main window now takes dropped files; nothing else does.
    EXPECT_TRUE(mainWindow.acceptDrops());
    EXPECT_FALSE(other.acceptDrops());
}

TEST_F(ViewerTest, ShowsADocumentWhileOpenAndEmptiesTheMemoWhenClosed) {
    ScopedTitle title("Qon's Trov Game Server");
    ScriptedDialogs dialogs;
    std::vector<Shown> shown;
    ScopedModalRunner runner([&](TTrovGamePreviewForm& viewer) {
        shown.push_back({platform::ToSjis(viewer.windowTitle()), viewer.Memo->toPlainText(),
                         viewer.Memo->isReadOnly(), !viewer.TrackBar->isHidden(),
                         viewer.windowOpacity()});
        viewer.TrackBar->setValue(100); // the reader makes it see-through
    });
    auto viewer = NewViewer(true);

    // Shift-JIS text with every kind of line break, an empty line and no break at the end.
    const std::string text = "Trov Game\r\n" + Sjis("取引ゲーム") + "\nline 3\r\rlast";
    WriteFile(Path("TrovGSrv.txt"), text);
    WriteFile(Path("TrovGSrv.his"), "ver 1.00\r\n- first\r\n");

    viewer->ShowText(Path("TrovGSrv.txt"));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, "Qon's Trov Game Server - Text - TrovGSrv.txt");
    EXPECT_EQ(shown[0].text, QString::fromUtf8("Trov Game\n取引ゲーム\nline 3\n\nlast"));
    EXPECT_TRUE(shown[0].readOnly);
    EXPECT_TRUE(shown[0].visibleTrackBar);
    EXPECT_EQ(shown[0].opacity, 1.0);
    EXPECT_TRUE(viewer->Memo->toPlainText().isEmpty());

    // The opacity chosen last time is kept for the next document.
    viewer->ShowHistory(Path("TrovGSrv.his"));
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1].caption, "Qon's Trov Game Server - Renewal history - TrovGSrv.his");
    EXPECT_EQ(shown[1].text, "ver 1.00\n- first");
    EXPECT_EQ(std::lround(shown[1].opacity * 255), 100);
    EXPECT_TRUE(viewer->Memo->toPlainText().isEmpty());

    // An empty document shows an empty memo.
    WriteFile(Path("empty.txt"), "");
    viewer->ShowText(Path("empty.txt"));
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_TRUE(shown[2].text.isEmpty());
    EXPECT_EQ(shown[2].caption, "Qon's Trov Game Server - Text - empty.txt");

    EXPECT_TRUE(dialogs.Trace().empty());
}

TEST_F(ViewerTest, AMissingDocumentIsReportedAndNotShown) {
    ScopedTitle title("Qon's Trov Game Client");
    ScriptedDialogs dialogs;
    int opened = 0;
    ScopedModalRunner runner([&](TTrovGamePreviewForm&) { ++opened; });
    auto viewer = NewViewer(true);
    const std::string missing = Path("TrovGClt.his");

    viewer->ShowHistory(missing);
    EXPECT_EQ(opened, 0);
    EXPECT_EQ(dialogs.Trace(), (Lines{"beep", "error(OK): Cannot open file \"" + missing + "\". " +
                                                  std::strerror(ENOENT)}));
    EXPECT_TRUE(viewer->Memo->toPlainText().isEmpty());

    // A folder in place of the file is no document either.
    dialogs.Clear();
    viewer->ShowText(dir.path().toStdString());
    EXPECT_EQ(opened, 0);
    ASSERT_EQ(dialogs.Boxes().size(), 1u);
    EXPECT_EQ(dialogs.Boxes()[0].type, platform::TMsgDlgType::Error);

    // Nor a file larger than any document (4 MiB), which is not read at all.
    dialogs.Clear();
    const std::string large = Path("TrovGClt.txt");
    ASSERT_TRUE(WriteFile(large, "text"));
    ASSERT_EQ(truncate(large.c_str(), (4 << 20) + 1), 0);
    viewer->ShowText(large);
    EXPECT_EQ(opened, 0);
    EXPECT_EQ(dialogs.Trace(), (Lines{"beep", "error(OK): Cannot open file \"" + large + "\". " +
                                                  std::strerror(EFBIG)}));
}

// ---- Machine type ----------------------------------------------------------------------------

TEST(MachineType, TextsByKeyboardSubtypeForBothPrograms) {
    const std::string pcAt = "PC/AT\x8c\xdd\x8a\xb7\x8b\x40";
    const std::string pc98 = "PC-9800 Series\x81\xf4\x8d\xc5\x8d\x82";
    const std::string unknown = "\x94\xbb\x95\xca\x95\x73\x89\xc2PC";
    // The same texts written as characters.
    EXPECT_EQ(pcAt, Sjis("PC/AT互換機"));
    EXPECT_EQ(pc98, Sjis("PC-9800 Series♪最高"));
    EXPECT_EQ(unknown, Sjis("判別不可PC"));

    struct Case {
        std::uint32_t subtype;
        std::string server;
        std::string client;
    };
    const Case cases[] = {
        {0, "PC/AT Compatible", pcAt},
        {4, "PC/AT Compatible", pcAt},
        {5, "Unresolvable PC", unknown},
        {0x440, "Unresolvable PC", unknown},
        {0x441, "EPSON Note", "EPSON Note"},
        {0x442, "Unresolvable PC", unknown},
        {0xD00, "Unresolvable PC", unknown},
        {0xD01, "PC-9800 Series, Wonderful!", pc98},
        {0xD06, "PC-9800 Series, Wonderful!", pc98},
        {0xD07, "Unresolvable PC", unknown},
        {platform::kKeyboardSubtypeUnknown, "Unresolvable PC", unknown},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MachineTypeName(c.subtype, TTrovProgram::Server), c.server)
            << "subtype " << c.subtype;
        EXPECT_EQ(MachineTypeName(c.subtype, TTrovProgram::Client), c.client)
            << "subtype " << c.subtype;
    }
}

TEST(MachineType, ThisMachine) {
#if defined(__i386__) || defined(__x86_64__)
    EXPECT_EQ(GetMachineTypeName(TTrovProgram::Server), "PC/AT Compatible");
    EXPECT_EQ(GetMachineTypeName(TTrovProgram::Client), Sjis("PC/AT互換機"));
#else
    EXPECT_EQ(GetMachineTypeName(TTrovProgram::Server), "Unresolvable PC");
    EXPECT_EQ(GetMachineTypeName(TTrovProgram::Client), Sjis("判別不可PC"));
#endif
}

// ---- Host text -------------------------------------------------------------------------------

TEST(HostText, NameAndFirstAddressInBrackets) {
    EXPECT_EQ(HostText("trovhost", "192.0.2.7"), "trovhost [192.0.2.7]");
    EXPECT_EQ(HostText("trovhost", ""), "trovhost [unknown]");
    EXPECT_EQ(LocalHostText("localhost", {}), "localhost [127.0.0.1]");
    EXPECT_EQ(LocalHostText("127.0.0.2", {}), "127.0.0.2 [127.0.0.2]");
    EXPECT_EQ(LocalHostText("", {}), " [unknown]");

    const std::string name = platform::GetLocalHostName();
    const std::string text = GetLocalHostText();
    EXPECT_EQ(text.substr(0, name.size() + 2), name + " [");
    EXPECT_EQ(text.back(), ']');
}

// A name that resolves only to loopback addresses reaches no player: the label shows the
// machine's own address instead, where it has one.
TEST(HostText, ALoopbackAddressGivesWayToTheFirstInterfaceAddressThatIsUp) {
    using platform::TInterfaceAddress;
    const std::vector<TInterfaceAddress> own = {
        {"127.0.0.1", true}, {"198.51.100.4", false}, {"192.0.2.5", true}, {"192.0.2.6", true}};
    EXPECT_EQ(HostAddress({"192.0.2.9"}, own), "192.0.2.9");
    EXPECT_EQ(HostAddress({"127.0.1.1", "192.0.2.9"}, own), "192.0.2.9");
    EXPECT_EQ(HostAddress({"127.0.1.1"}, own), "192.0.2.5");
    EXPECT_EQ(HostAddress({"127.0.1.1"}, {{"127.0.0.1", true}, {"192.0.2.5", false}}), "127.0.1.1");
    EXPECT_EQ(HostAddress({}, own), "");

    EXPECT_EQ(LocalHostText("localhost", own), "localhost [192.0.2.5]");
    EXPECT_EQ(LocalHostText("192.0.2.9", own), "192.0.2.9 [192.0.2.9]");
    EXPECT_EQ(LocalHostText("no-such-host.invalid", own), "no-such-host.invalid [unknown]");
}

// ---- About box -------------------------------------------------------------------------------

TEST(AboutText, ThousandsSeparators) {
    EXPECT_EQ(FormatThousands(0), "0");
    EXPECT_EQ(FormatThousands(7), "7");
    EXPECT_EQ(FormatThousands(999), "999");
    EXPECT_EQ(FormatThousands(1000), "1,000");
    EXPECT_EQ(FormatThousands(100000), "100,000");
    EXPECT_EQ(FormatThousands(999999), "999,999");
    EXPECT_EQ(FormatThousands(1234567), "1,234,567");
    // More than 4 GiB, as machines have today.
    EXPECT_EQ(FormatThousands(25769803776ull), "25,769,803,776");
    EXPECT_EQ(FormatThousands(18446744073709551615ull), "18,446,744,073,709,551,615");
}

TEST(AboutText, LinesOfTheBox) {
    platform::TMemoryStatus memory;
    memory.AvailPhys = 1234567;
    memory.TotalPhys = 4294967296ull;
    EXPECT_EQ(AboutText(kClientAboutHead, Sjis("PC/AT互換機"), memory),
              "[Selvane Computer Network Trov Game Client]ver 1.00 beta 6E (2006-2/14)\r\n"
              "\r\n"
              "Your machine: " +
                  Sjis("PC/AT互換機") +
                  "\r\n"
                  "Free memory: 1,234,567 / 4,294,967,296 bytes\r\n");
    EXPECT_EQ(AboutText(kServerAboutHead, "PC/AT Compatible", platform::TMemoryStatus{}),
              "[Selvane Computer Network]ver 1.00 beta 6E (2006-2/14)\r\n"
              "\r\n"
              "Your machine: PC/AT Compatible\r\n"
              "Free memory: 0 / 0 bytes\r\n");

    // This machine's box: its machine type and memory that is there.
    const std::string server = GetAboutText(TTrovProgram::Server);
    const std::string head = std::string(kServerAboutHead) +
                             "\r\n\r\nYour machine: " + GetMachineTypeName(TTrovProgram::Server) +
                             "\r\nFree memory: ";
    EXPECT_EQ(server.substr(0, head.size()), head);
    EXPECT_EQ(server.substr(server.size() - 8), " bytes\r\n");
    EXPECT_EQ(server.find("Free memory: 0 "), std::string::npos);
    EXPECT_EQ(GetAboutText(TTrovProgram::Client).rfind(kClientAboutHead, 0), 0u);
}

} // namespace
