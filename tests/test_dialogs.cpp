// Message boxes and dialogs: the scripted ones the window tests use, and the real ones,
// driven here by timers so that no test waits on a person.
#include "platform/Beep.h"
#include "platform/Dialogs.h"
#include "platform/Messages.h"
#include "support/RealDialogs.h"
#include "support/ScriptedDialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFontDialog>
#include <QFontInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <memory>

using namespace platform;

// ---- Scripted dialogs ---------------------------------------------------------------------

TEST(ScriptedDialogs, LogsBeepsAndBoxesInOrderAndAnswersByDefault) {
    ScriptedDialogs dialogs;
    Beep();
    EXPECT_EQ(MessageBox("Stop?", "Confirmation", TBoxButtons::OkCancel), mrOk);
    EXPECT_EQ(MessageDlg("An ecception has occurred.\r\rx", TMsgDlgType::Warning, mbOK), mrOk);
    Beep();
    EXPECT_EQ(MessageDlg("Socket error", TMsgDlgType::Warning, mbYes), mrYes);
    EXPECT_EQ(MessageBox("Send a Message.", "Information"), mrOk);

    EXPECT_EQ(dialogs.Trace(),
              (Lines{"beep", "box(Confirmation; OK Cancel): Stop?",
                     "warning(OK): An ecception has occurred.\r\rx", "beep",
                     "warning(Yes): Socket error", "box(Information; OK): Send a Message."}));
    EXPECT_EQ(dialogs.Beeps(), 2);
    const auto boxes = dialogs.Boxes();
    ASSERT_EQ(boxes.size(), 4u);
    EXPECT_EQ(boxes[1].kind, ScriptedDialogs::Kind::Dialog);
    EXPECT_EQ(boxes[1].caption, "Warning");
    EXPECT_EQ(boxes[1].type, TMsgDlgType::Warning);
    EXPECT_EQ(boxes[0].boxButtons, TBoxButtons::OkCancel);
    EXPECT_EQ(boxes[2].answer, mrYes);
}

TEST(ScriptedDialogs, AnswersInTheOrderQueued) {
    ScriptedDialogs dialogs;
    dialogs.Answer(mrCancel).Answer(mrNo).Answer(mrCancel);
    EXPECT_EQ(MessageBox("End?", "Confirmation", TBoxButtons::OkCancel), mrCancel);
    EXPECT_EQ(MessageDlg("Save?", TMsgDlgType::Confirmation, mbYes | mbNo), mrNo);
    EXPECT_EQ(dialogs.Pending(), 1u);
    // Cancel stands for the close box of a dialog without a Cancel button.
    EXPECT_EQ(MessageDlg("Socket error", TMsgDlgType::Warning, mbYes), mrCancel);
    EXPECT_EQ(dialogs.Pending(), 0u);
    EXPECT_EQ(MessageBox("Saved.", "Information"), mrOk);
}

// A box opened while an event is handled lets further events run before it returns.
TEST(ScriptedDialogs, CodeRunsWhileTheBoxIsOpenAndItsBoxesComeNext) {
    ScriptedDialogs dialogs;
    std::vector<std::string> steps;
    dialogs
        .Answer(mrOk,
                [&] {
                    steps.push_back("nested");
                    Beep();
                    EXPECT_EQ(MessageDlg("Player lost", TMsgDlgType::Information, mbOK), mrOk);
                })
        .Answer(mrOk);
    steps.push_back("before");
    EXPECT_EQ(MessageBox("Pause", "Information"), mrOk);
    steps.push_back("after");
    EXPECT_EQ(steps, (std::vector<std::string>{"before", "nested", "after"}));
    EXPECT_EQ(dialogs.Trace(),
              (Lines{"box(Information; OK): Pause", "beep", "information(OK): Player lost"}));
}

TEST(ScriptedDialogs, AnswersFileAndFontDialogs) {
    ScriptedDialogs dialogs;
    TSaveDialog save;
    save.Filter = "Text File(*.txt)|*.txt|All Files(*.*)|*.*";
    save.DefaultExt = "txt";
    save.FileName = "./last.txt";
    save.Options = ofOverwritePrompt | ofHideReadOnly | ofEnableSizing;
    EXPECT_FALSE(save.Execute()); // not told: cancelled
    EXPECT_EQ(save.FileName, "./last.txt");

    dialogs.ChooseFile("/tmp/result.txt").CancelFile();
    EXPECT_TRUE(save.Execute());
    EXPECT_EQ(save.FileName, "/tmp/result.txt");
    EXPECT_EQ(save.Files, std::vector<std::string>{"/tmp/result.txt"});
    TOpenDialog open;
    open.FileName = "game.tgd";
    EXPECT_FALSE(open.Execute());
    EXPECT_EQ(open.FileName, "game.tgd");

    dialogs.ChooseFiles({"a.tgd", "b.tgd"});
    EXPECT_TRUE(open.Execute());
    EXPECT_EQ(open.FileName, "a.tgd");
    EXPECT_EQ(open.Files.size(), 2u);

    TFontDialog font;
    font.Font = QFont("Sans", 12);
    EXPECT_FALSE(font.Execute());
    dialogs.ChooseFont(QFont("Serif", 20));
    EXPECT_TRUE(font.Execute());
    EXPECT_EQ(font.Font.pointSize(), 20);

    EXPECT_EQ(dialogs.Trace(), (Lines{"save: ./last.txt", "save: ./last.txt", "open: game.tgd",
                                      "open: game.tgd", "font", "font"}));
    const auto& shown = dialogs.Log()[1].file;
    EXPECT_EQ(shown.Filter, "Text File(*.txt)|*.txt|All Files(*.*)|*.*");
    EXPECT_EQ(shown.DefaultExt, "txt");
    EXPECT_TRUE(shown.Options & ofOverwritePrompt);
    EXPECT_TRUE(dialogs.Log()[1].accepted);
    EXPECT_EQ(dialogs.Log()[5].font.pointSize(), 12);
}

TEST(FontDialog, OffersTheStandardColoursByNameAndKeepsAnyOther) {
    std::vector<TColorChoice> choices = FontColorChoices(clRed);
    ASSERT_EQ(choices.size(), 16u);
    EXPECT_EQ(choices.front().Name, "Black");
    EXPECT_EQ(choices.back().Name, "White");
    choices = FontColorChoices(clWindowText);
    ASSERT_EQ(choices.size(), 17u);
    EXPECT_EQ(choices.front().Value, clWindowText);
    EXPECT_EQ(choices.front().Name, "WindowText");
    EXPECT_EQ(FontColorChoices(RGBColor(1, 2, 3)).front().Name, "$00030201");
}

TEST(FontDialog, TheRealDialogReturnsTheChosenFontAndColour) {
    TDialogs* scripted = SetDialogs(nullptr); // the real dialogs
    TFontDialog dialog;
    dialog.Font = QFont("Sans", 12);
    dialog.Color = clWindowText;
    bool seen = false;
    QTimer::singleShot(0, [&] {
        QWidget* box = QApplication::activeModalWidget();
        if (!box) return;
        auto* colors = box->findChild<QComboBox*>("ColorChoice");
        seen = colors && colors->currentText() == "WindowText";
        if (colors) colors->setCurrentIndex(colors->findText("Teal"));
        static_cast<QDialog*>(box)->accept();
    });
    const bool chosen = dialog.Execute();
    SetDialogs(scripted);
    EXPECT_TRUE(seen);
    EXPECT_TRUE(chosen);
    EXPECT_EQ(dialog.Color, clTeal);
    EXPECT_EQ(dialog.Font.pointSize(), 12);
}

TEST(ScriptedDialogs, ReportsAnswersThatDoNotFitTheDialog) {
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedDialogs dialogs;
            dialogs.Answer(mrOk);
            TSaveDialog save;
            EXPECT_FALSE(save.Execute());
        },
        "does not fit");
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedDialogs dialogs;
            dialogs.Answer(mrCancel);
            MessageBox("Saved.", "Information"); // no Cancel button
        },
        "no button");
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedDialogs dialogs;
            dialogs.Answer(mrYes);
            MessageDlg("x", TMsgDlgType::Error, mbOK);
        },
        "no button");
}

TEST(ScriptedDialogs, InstallingIsScoped) {
    TDialogs* real = &Dialogs();
    ScriptedDialogs outer;
    EXPECT_EQ(&Dialogs(), &outer);
    {
        ScriptedDialogs inner;
        Beep();
        MessageBox("inner", "Information");
        EXPECT_EQ(inner.Trace(), (Lines{"beep", "box(Information; OK): inner"}));
    }
    EXPECT_EQ(&Dialogs(), &outer);
    Beep();
    MessageBox("outer", "Information");
    EXPECT_EQ(outer.Trace(), (Lines{"beep", "box(Information; OK): outer"}));
    EXPECT_NE(real, &outer);
}

TEST(ScriptedDialogs, SjisHelperGivesShiftJisBytes) {
    EXPECT_EQ(Sjis("「！」"), "\x81\x75\x81\x49\x81\x76");
}

// ---- Real dialogs -------------------------------------------------------------------------

namespace {

QAbstractButton* ButtonOf(QWidget* modal, QMessageBox::StandardButton which) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    return box ? box->button(which) : nullptr;
}

void PressEscape(QWidget* modal) {
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(modal, &escape);
}

} // namespace

TEST(RealDialogs, PlainBoxHasTheCaptionNoIconAndItsButtons) {
    Watchdog watchdog;
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::Warning;
    int buttons = 0;
    WhenModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        buttons = box->standardButtons();
        box->button(QMessageBox::Cancel)->click();
    });
    EXPECT_EQ(MessageBox("Loading game data\rdestroys current data. OK?\r ", "Confirmation",
                         TBoxButtons::OkCancel),
              mrCancel);
    EXPECT_EQ(title, "Confirmation");
    EXPECT_EQ(text, "Loading game data\ndestroys current data. OK?\n ");
    EXPECT_EQ(icon, QMessageBox::NoIcon);
    EXPECT_EQ(buttons, QMessageBox::Ok | QMessageBox::Cancel);

    WhenModal([](QWidget* modal) { modal->close(); });
    EXPECT_EQ(MessageBox("Saved.", "Information"), mrOk); // the close box of an OK box is OK
    WhenModal([](QWidget* modal) { PressEscape(modal); });
    EXPECT_EQ(MessageBox("End?", "Confirmation", TBoxButtons::OkCancel), mrCancel);
}

TEST(RealDialogs, TypedDialogHasTheKindsTitleAndAnswersItsButtonOrCancel) {
    Watchdog watchdog;
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    WhenModal([&](QWidget* modal) {
        title = modal->windowTitle();
        icon = qobject_cast<QMessageBox*>(modal)->icon();
        ButtonOf(modal, QMessageBox::Yes)->click();
    });
    EXPECT_EQ(MessageDlg("Socket error", TMsgDlgType::Warning, mbYes), mrYes);
    EXPECT_EQ(title, "Warning");
    EXPECT_EQ(icon, QMessageBox::Warning);

    // Closed with the close box: Cancel, even with a single Yes or OK button.
    WhenModal([](QWidget* modal) { modal->close(); });
    EXPECT_EQ(MessageDlg("Socket error", TMsgDlgType::Warning, mbYes), mrCancel);
    WhenModal([](QWidget* modal) { modal->close(); });
    EXPECT_EQ(MessageDlg("Could not connect", TMsgDlgType::Error, mbOK), mrCancel);

    // Escape takes Cancel, else No, else OK; with a single Yes it does nothing.
    WhenModal([](QWidget* modal) { PressEscape(modal); });
    EXPECT_EQ(MessageDlg("x", TMsgDlgType::Confirmation, mbYes | mbNo | mbCancel), mrCancel);
    WhenModal([](QWidget* modal) { PressEscape(modal); });
    EXPECT_EQ(MessageDlg("x", TMsgDlgType::Confirmation, mbYes | mbNo), mrNo);
    WhenModal([](QWidget* modal) { PressEscape(modal); });
    EXPECT_EQ(MessageDlg("x", TMsgDlgType::Information, mbOK), mrOk);
    bool stillOpen = false;
    WhenModal([&](QWidget* modal) {
        PressEscape(modal);
        stillOpen = QApplication::activeModalWidget() == modal && modal->isVisible();
        ButtonOf(modal, QMessageBox::Yes)->click();
    });
    EXPECT_EQ(MessageDlg("x", TMsgDlgType::Warning, mbYes), mrYes);
    EXPECT_TRUE(stillOpen);

    EXPECT_EQ(MsgDlgTitle(TMsgDlgType::Error), "Error");
    EXPECT_EQ(MsgDlgTitle(TMsgDlgType::Information), "Information");
    EXPECT_EQ(MsgDlgTitle(TMsgDlgType::Confirmation), "Confirm");
}

// Posted messages (and socket events alike) are handled while a box waits for its answer.
TEST(RealDialogs, EventsGoOnWhileABoxIsOpen) {
    Watchdog watchdog;
    bool handled = false;
    bool handledBeforeAnswer = false;
    QMetaObject::invokeMethod(
        qApp, [&] { handled = true; }, Qt::QueuedConnection);
    WhenModal([&](QWidget* modal) {
        handledBeforeAnswer = handled;
        ButtonOf(modal, QMessageBox::Ok)->click();
    });
    MessageBox("Pause", "Information");
    EXPECT_TRUE(handledBeforeAnswer);
}

namespace {

// A key pressed in the font dialog's list of faces, where its focus starts.
void PressInTheFontChooser(QWidget* modal, Qt::Key key) {
    auto* chooser = modal->findChild<QWidget*>("FontChoice");
    ASSERT_NE(chooser, nullptr);
    auto* faces = chooser->findChild<QListView*>();
    ASSERT_NE(faces, nullptr);
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(faces, &press);
}

} // namespace

TEST(RealDialogs, TheFontDialogStartsOnTheFaceDrawnAndReturnOrEscapeAnswersIt) {
    Watchdog watchdog;
    const QFont terminal("Terminal", 13); // drawn in the fixed-pitch face that stands for it
    const QString drawn = QFontInfo(terminal).family();
    ASSERT_NE(drawn.toStdString(), "Terminal");
    for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return}) {
        SCOPED_TRACE(key == Qt::Key_Escape ? "Escape" : "Return");
        TFontDialog dialog;
        dialog.Font = terminal;
        dialog.Color = clWindowText;
        std::string started;
        bool closed = false;
        WhenModal([&](QWidget* modal) {
            const QFont start = modal->findChild<QFontDialog*>("FontChoice")->currentFont();
            started = (start.family() + " " + start.styleName()).toStdString();
            PressInTheFontChooser(modal, key);
            QApplication::processEvents();
            closed = QApplication::activeModalWidget() != modal;
            if (!closed) static_cast<QDialog*>(modal)->reject();
        });
        EXPECT_EQ(dialog.Execute(), key == Qt::Key_Return);
        EXPECT_TRUE(closed) << "the key left the dialog open";
        EXPECT_EQ(started, (drawn + " " + QFontInfo(terminal).styleName()).toStdString());
        // Accepted without a change, the font is the one given, name and all.
        EXPECT_EQ(dialog.Font, terminal);
        EXPECT_EQ(dialog.Color, clWindowText);
    }

    // Another face is taken by its name; the size changed alone keeps the name given.
    TFontDialog dialog;
    dialog.Font = terminal;
    WhenModal([&](QWidget* modal) {
        modal->findChild<QFontDialog*>("FontChoice")->setCurrentFont(QFont("DejaVu Serif", 13));
        static_cast<QDialog*>(modal)->accept();
    });
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.Font.family().toStdString(), "DejaVu Serif");
    dialog.Font = terminal;
    WhenModal([&](QWidget* modal) {
        modal->findChild<QFontDialog*>("FontChoice")->setCurrentFont(QFont(drawn, 20));
        static_cast<QDialog*>(modal)->accept();
    });
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.Font.family().toStdString(), "Terminal");
    EXPECT_EQ(dialog.Font.pointSize(), 20);
}

TEST(RealDialogs, NameFiltersInQtsForm) {
    EXPECT_EQ(NameFilters("Text File(*.txt)|*.txt|All Files(*.*)|*.*"),
              (QStringList{"Text File(*.txt)", "All Files(*.*) (*)"}));
    EXPECT_EQ(NameFilters("Trov Game Data File(*.tgd)|*.tgd"),
              QStringList{"Trov Game Data File(*.tgd)"});
    EXPECT_EQ(NameFilters("Data|*.tgd;*.dat"), QStringList{"Data (*.tgd *.dat)"});
    EXPECT_EQ(NameFilters(""), QStringList{});
}

TEST(RealDialogs, SaveDialogPresetsTheLastNameAndAddsTheDefaultExtension) {
    Watchdog watchdog;
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    TSaveDialog save;
    save.Filter = "Text File(*.txt)|*.txt";
    save.DefaultExt = "txt";
    save.FileName = (dir.path() + "/last.txt").toStdString();
    save.Options = ofOverwritePrompt;
    QStringList filters;
    QString folder, suffix;
    WhenModal([&](QWidget* modal) {
        auto* dlg = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dlg, nullptr);
        filters = dlg->nameFilters();
        folder = dlg->directory().absolutePath();
        suffix = dlg->defaultSuffix();
        dlg->selectFile("history");
        QMetaObject::invokeMethod(dlg, "accept", Qt::DirectConnection);
    });
    ASSERT_TRUE(save.Execute());
    EXPECT_EQ(filters, QStringList{"Text File(*.txt)"});
    EXPECT_EQ(folder, QDir(dir.path()).absolutePath());
    EXPECT_EQ(suffix, "txt");
    EXPECT_EQ(save.FileName, (QDir(dir.path()).absolutePath() + "/history.txt").toStdString());

    WhenModal([](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });
    EXPECT_FALSE(save.Execute());
    EXPECT_EQ(save.FileName, (QDir(dir.path()).absolutePath() + "/history.txt").toStdString());
}

TEST(RealDialogs, OpenDialogOffersToCreateAMissingFile) {
    Watchdog watchdog;
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    TOpenDialog open;
    open.DefaultExt = "tgd";
    open.Filter = "Trov Game Data File(*.tgd)|*.tgd|All Files(*.*)|*.*";
    open.InitialDir = dir.path().toStdString();
    open.Options = ofHideReadOnly | ofAllowMultiSelect | ofPathMustExist | ofFileMustExist |
                   ofCreatePrompt | ofEnableSizing;
    const QString missing = QDir(dir.path()).absoluteFilePath("new.tgd");
    int asked = 0;
    auto pick = [&](QMessageBox::StandardButton answer) {
        WhenModal([&, answer](QWidget* modal) {
            auto* dlg = qobject_cast<QFileDialog*>(modal);
            ASSERT_NE(dlg, nullptr);
            WhenModal(
                [&, answer, dlg](QWidget* question) {
                    ++asked;
                    ButtonOf(question, answer)->click();
                    if (answer == QMessageBox::No) dlg->reject(); // still open: give up
                },
                dlg);
            auto* name = dlg->findChild<QLineEdit*>("fileNameEdit");
            ASSERT_NE(name, nullptr);
            name->setText("new.tgd"); // typed by the user
            QMetaObject::invokeMethod(dlg, "accept", Qt::DirectConnection);
        });
    };
    pick(QMessageBox::No);
    EXPECT_FALSE(open.Execute());
    pick(QMessageBox::Yes);
    ASSERT_TRUE(open.Execute());
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(open.FileName, missing.toStdString());
}
