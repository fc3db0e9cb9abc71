#include "platform/Dialogs.h"

#include "platform/Form.h"
#include "platform/SjisText.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSpacerItem>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

namespace platform {

namespace {

// Box texts break lines at CR, CR LF or LF.
QString BoxText(const std::string& text) {
    QString s = FromSjis(text);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}

// The window a box or dialog belongs to, opens over and stays above: the program's active
// window, else (another program is active) its main window, also while that sits hidden in the
// tray (the box shows alone, and over the window once the window is back). A box of a window
// minimised on the desktop would be hidden with it: such a box belongs to none.
QWidget* DialogParent() {
    QWidget* owner = QApplication::activeWindow();
    if (!owner) owner = MainForm();
    return owner && !(owner->isVisible() && owner->isMinimized()) ? owner : nullptr;
}

// Runs a dialog to its end. A dialog that belongs to a window holds up that window only: the
// tray icon and the program's other windows still take their presses, so that a window in the
// tray can be brought back to answer it.
int RunModal(QDialog& dialog) {
    if (dialog.parentWidget()) dialog.setWindowModality(Qt::WindowModal);
    return dialog.exec();
}

// Makes a box at least as wide as the window manager needs to draw its title whole. A box sizes
// itself to its text and buttons, and to its title with little room for the frame's own parts;
// a spacer as wide as the title in the desktop's title face (bold, as title bars draw it) and the
// frame's icon and three buttons beside it, each about as wide as the bar is high, keeps it wider
// whenever it lays itself out.
void HoldTitle(QMessageBox& box) {
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid) return;
    QFont face = QApplication::font("QMdiSubWindowTitleBar");
    face.setBold(true);
    const QFontMetrics fm(face);
    const int bar = fm.height() + 8;
    const int width = fm.horizontalAdvance(box.windowTitle()) + 4 * bar;
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Fixed, QSizePolicy::Minimum), 0, 0, 1,
                  grid->columnCount());
}

// The typed message dialog. Escape presses Cancel, else No, else OK; with none of them it does
// nothing. The close box answers mrCancel whatever the buttons.
class TMessageDialog : public QMessageBox {
public:
    using QMessageBox::QMessageBox;
    bool closedByBox = false;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
            for (auto b : {QMessageBox::Cancel, QMessageBox::No, QMessageBox::Ok}) {
                if (QAbstractButton* target = button(b)) {
                    target->click();
                    return;
                }
            }
            return;
        }
        QMessageBox::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent* event) override {
        if (!clickedButton()) {
            closedByBox = true;
            event->accept();
            QDialog::reject();
            return;
        }
        QMessageBox::closeEvent(event);
    }
};

// Open dialog that can take the name of a file that does not exist after asking.
class TOpenFileDialog : public QFileDialog {
public:
    TOpenFileDialog(QWidget* parent, bool createPrompt)
        : QFileDialog(parent), createPrompt_(createPrompt) {}

    void accept() override {
        if (createPrompt_) {
            for (const QString& file : selectedFiles()) {
                const QFileInfo info(file);
                if (info.exists() || !info.dir().exists()) continue;
                QMessageBox ask(QMessageBox::Question, windowTitle(),
                                file + QStringLiteral("\nThis file does not exist.\nCreate it?"),
                                QMessageBox::Yes | QMessageBox::No, this);
                if (RunModal(ask) != QMessageBox::Yes) return;
                QDialog::accept();
                return;
            }
        }
        QFileDialog::accept();
    }

private:
    bool createPrompt_;
};

// Presets folder and name: the folder of FileName when it names one, else InitialDir.
void Preset(QFileDialog& dlg, const TFileDialog& d) {
    dlg.setNameFilters(NameFilters(d.Filter));
    dlg.setDefaultSuffix(FromSjis(d.DefaultExt));
    const QString name = FromSjis(d.FileName);
    const QFileInfo info(name);
    if (!name.isEmpty() && name.contains(QLatin1Char('/'))) {
        dlg.setDirectory(info.path());
        if (!info.fileName().isEmpty()) dlg.selectFile(info.fileName());
    } else {
        if (!d.InitialDir.empty()) dlg.setDirectory(FromSjis(d.InitialDir));
        if (!name.isEmpty()) dlg.selectFile(name);
    }
}

// Runs the dialog; true with the chosen files in d.Files (the first in d.FileName).
[[nodiscard]] bool Finish(QFileDialog& dlg, TFileDialog& d) {
    if (RunModal(dlg) != QDialog::Accepted) return false;
    const QStringList chosen = dlg.selectedFiles();
    if (chosen.isEmpty()) return false;
    d.Files.clear();
    for (const auto& f : chosen) d.Files.push_back(ToSjis(f));
    d.FileName = d.Files.front();
    return true;
}

class TQtDialogs : public TDialogs {
public:
    TModalResult MessageBox(const std::string& text, const std::string& caption,
                            TBoxButtons buttons) override {
        QMessageBox box(QMessageBox::NoIcon, FromSjis(caption), BoxText(text),
                        buttons == TBoxButtons::OkCancel ? QMessageBox::Ok | QMessageBox::Cancel
                                                         : QMessageBox::Ok,
                        DialogParent());
        box.setTextFormat(Qt::PlainText);
        box.setDefaultButton(QMessageBox::Ok);
        HoldTitle(box);
        return RunModal(box) == QMessageBox::Cancel ? mrCancel : mrOk;
    }

    TModalResult MessageDlg(const std::string& text, TMsgDlgType type,
                            TMsgDlgButtons buttons) override {
        static const QMessageBox::Icon icons[] = {QMessageBox::Warning, QMessageBox::Critical,
                                                  QMessageBox::Information, QMessageBox::Question};
        QMessageBox::StandardButtons set;
        if (buttons & mbYes) set |= QMessageBox::Yes;
        if (buttons & mbNo) set |= QMessageBox::No;
        if (buttons & mbOK) set |= QMessageBox::Ok;
        if (buttons & mbCancel) set |= QMessageBox::Cancel;
        TMessageDialog box(icons[static_cast<int>(type)], FromSjis(MsgDlgTitle(type)),
                           BoxText(text), set, DialogParent());
        box.setTextFormat(Qt::PlainText);
        if (buttons & mbOK)
            box.setDefaultButton(QMessageBox::Ok);
        else if (buttons & mbYes)
            box.setDefaultButton(QMessageBox::Yes);
        HoldTitle(box);
        RunModal(box);
        if (box.closedByBox) return mrCancel;
        switch (box.standardButton(box.clickedButton())) {
        case QMessageBox::Yes:
            return mrYes;
        case QMessageBox::No:
            return mrNo;
        case QMessageBox::Ok:
            return mrOk;
        default:
            return mrCancel;
        }
    }

    bool ExecuteOpen(TFileDialog& d) override {
        const bool create = d.Options & ofCreatePrompt;
        TOpenFileDialog dlg(DialogParent(), create);
        dlg.setAcceptMode(QFileDialog::AcceptOpen);
        // Only a dialog for any file name lets a missing one be chosen, and it takes one name: with
        // the create prompt one file is chosen even when several were allowed.
        if (create || !(d.Options & ofFileMustExist))
            dlg.setFileMode(QFileDialog::AnyFile);
        else if (d.Options & ofAllowMultiSelect)
            dlg.setFileMode(QFileDialog::ExistingFiles);
        else
            dlg.setFileMode(QFileDialog::ExistingFile);
        Preset(dlg, d);
        return Finish(dlg, d);
    }

    bool ExecuteSave(TFileDialog& d) override {
        QFileDialog dlg(DialogParent());
        dlg.setAcceptMode(QFileDialog::AcceptSave);
        dlg.setFileMode(QFileDialog::AnyFile);
        dlg.setOption(QFileDialog::DontConfirmOverwrite, !(d.Options & ofOverwritePrompt));
        Preset(dlg, d);
        return Finish(dlg, d);
    }

    bool ExecuteFont(QFont& font, TColor& color) override {
        QDialog dlg(DialogParent());
        dlg.setWindowTitle(QStringLiteral("Font"));
        // The chooser starts on the face and style actually drawn: a name that stands for
        // another face (or is not installed) is not in its list, nor the style of a plain font.
        const QFontInfo info(font);
        QFont drawn = font;
        drawn.setFamily(info.family());
        drawn.setStyleName(info.styleName());
        auto* fonts = new QFontDialog(drawn, &dlg);
        fonts->setObjectName(QStringLiteral("FontChoice"));
        fonts->setWindowFlags(Qt::Widget);
        fonts->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
        // Return and Escape in the chooser's lists and fields answer the whole dialog.
        QObject::connect(fonts, &QDialog::accepted, &dlg, &QDialog::accept);
        QObject::connect(fonts, &QDialog::rejected, &dlg, &QDialog::reject);
        const QFont shown = fonts->currentFont();
        auto* colors = new QComboBox(&dlg);
        colors->setObjectName(QStringLiteral("ColorChoice"));
        const std::vector<TColorChoice> choices = FontColorChoices(color);
        for (const TColorChoice& choice : choices) {
            QPixmap swatch(16, 16);
            swatch.fill(Qt::transparent);
            QPainter painter(&swatch);
            painter.setPen(Qt::black);
            painter.setBrush(ColorToQColor(choice.Value));
            painter.drawRect(0, 0, 15, 15);
            painter.end();
            colors->addItem(QIcon(swatch), QString::fromStdString(choice.Name));
        }
        colors->setCurrentIndex(0);
        for (std::size_t i = 0; i < choices.size(); ++i)
            if (choices[i].Value == color) colors->setCurrentIndex(static_cast<int>(i));
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dlg);
        QObject::connect(buttons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
        QObject::connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
        auto* colorRow = new QFormLayout;
        colorRow->addRow(QStringLiteral("Color:"), colors);
        auto* layout = new QVBoxLayout(&dlg);
        layout->addWidget(fonts);
        layout->addLayout(colorRow);
        layout->addWidget(buttons);
        if (RunModal(dlg) != QDialog::Accepted) return false;
        const QFont chosen = fonts->currentFont();
        // Unchanged, the font stays as it was given, its name too; with the face kept, the name
        // given stays with the new size or style.
        if (chosen != shown) {
            const QString name = font.family();
            font = chosen;
            if (chosen.family() == shown.family()) {
                font.setFamily(name);
                font.setStyleName(QString());
            }
        }
        color = choices[static_cast<std::size_t>(std::max(colors->currentIndex(), 0))].Value;
        return true;
    }
};

TDialogs*& Installed() {
    static TDialogs* installed = nullptr;
    return installed;
}

} // namespace

TDialogs& Dialogs() {
    static TQtDialogs real;
    return Installed() ? *Installed() : real;
}

TDialogs* SetDialogs(TDialogs* dialogs) {
    TDialogs* previous = std::exchange(Installed(), dialogs);
    SetBoxes(&Dialogs());
    return previous;
}

bool TOpenDialog::Execute() {
    return Dialogs().ExecuteOpen(*this);
}
bool TSaveDialog::Execute() {
    return Dialogs().ExecuteSave(*this);
}
bool TFontDialog::Execute() {
    return Dialogs().ExecuteFont(Font, Color);
}

std::vector<TColorChoice> FontColorChoices(TColor current) {
    static constexpr TColor kStandard[] = {clBlack, clMaroon,  clGreen,  clOlive, clNavy, clPurple,
                                           clTeal,  clGray,    clSilver, clRed,   clLime, clYellow,
                                           clBlue,  clFuchsia, clAqua,   clWhite};
    auto name = [](TColor color) {
        const std::string text = ColorToString(color);
        return text.rfind("cl", 0) == 0 ? text.substr(2) : text;
    };
    std::vector<TColorChoice> choices;
    if (std::find(std::begin(kStandard), std::end(kStandard), current) == std::end(kStandard))
        choices.push_back({current, name(current)});
    for (TColor color : kStandard) choices.push_back({color, name(color)});
    return choices;
}

QStringList NameFilters(const std::string& filter) {
    const QStringList parts = FromSjis(filter).split(QLatin1Char('|'));
    QStringList result;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (auto& p : patterns) {
            p = p.trimmed();
            if (p == QStringLiteral("*.*")) p = QStringLiteral("*");
        }
        const QString list = patterns.join(QLatin1Char(' '));
        const QString& description = parts[i];
        result << (description.endsWith(QLatin1Char('(') + list + QLatin1Char(')'))
                       ? description
                       : description + QStringLiteral(" (") + list + QLatin1Char(')'));
    }
    return result;
}

} // namespace platform
