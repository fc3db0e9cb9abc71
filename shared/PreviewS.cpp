#include "shared/PreviewS.h"
#include "shared/PreviewTestHooks.h"

#include "platform/Application.h"
#include "platform/AtomicFile.h"
#include "platform/Beep.h"
#include "platform/Dialogs.h"
#include "platform/SjisText.h"
#include "platform/Widgets.h"
#include "shared/Text.h"

#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QSlider>
#include <QVBoxLayout>
#include <cstring>

namespace {

// The largest document shown. The help and change-history texts are far smaller; a larger
// file is refused before it is read, as is anything that is no regular file.
constexpr std::size_t kMaxDocumentSize = 4 << 20;

TPreviewModalRunner& ModalRunner() {
    static TPreviewModalRunner runner;
    return runner;
}

} // namespace

TTrovGamePreviewForm::TTrovGamePreviewForm(const char* name, QWidget* mainWindow, bool seeThrough)
    : QDialog(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
      seeThrough_(seeThrough) {
    setObjectName(name);
    setWindowTitle("Preview Window");
    resize(640, 480);
    setFont(platform::PixelFont("system", 15));

    Memo = new QPlainTextEdit;
    Memo->setObjectName("Memo");
    Memo->setReadOnly(true);
    Memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    TrackBar = new QSlider(Qt::Horizontal);
    TrackBar->setObjectName("TrackBar");
    TrackBar->setRange(55, 255);
    TrackBar->setValue(255);
    TrackBar->setPageStep(10);
    TrackBar->setTickInterval(1);
    TrackBar->setTickPosition(QSlider::TicksBelow);
    connect(TrackBar, &QSlider::valueChanged, this, [this] { TrackBarChange(); });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Memo, 1);
    layout->addWidget(TrackBar);

    FormCreate(mainWindow);
}

void TTrovGamePreviewForm::FormCreate(QWidget* mainWindow) {
    if (mainWindow) {
        // A copy of every property, so the memo does not follow the viewer's own font.
        Memo->setFont(platform::OwnFont(mainWindow->font()));
    }
    if (seeThrough_) {
        TrackBarChange();
    } else {
        // The layout gives the track bar's room to the memo.
        TrackBar->setVisible(false);
        TrackBar->setEnabled(false);
    }
    // Files dropped on the main window are taken (and discarded) by the main window.
    if (mainWindow) mainWindow->setAcceptDrops(true);
}

void TTrovGamePreviewForm::TrackBarChange() {
    if (!seeThrough_) return;
    setWindowOpacity(TrackBar->value() / 255.0);
}

void TTrovGamePreviewForm::ShowText(const std::string& fileName) {
    ShowDocument(kTextCaption, fileName);
}

void TTrovGamePreviewForm::ShowHistory(const std::string& fileName) {
    ShowDocument(kHistoryCaption, fileName);
}

void TTrovGamePreviewForm::ShowDocument(const char* captionPart, const std::string& fileName) {
    Memo->clear();
    std::size_t slash = fileName.rfind('/');
    std::string baseName = slash == std::string::npos ? fileName : fileName.substr(slash + 1);
    QString title = platform::Application() ? platform::Application()->Title() : QString();
    setWindowTitle(title + QString::fromLatin1(captionPart) +
                   QFile::decodeName(QByteArray::fromStdString(baseName)));

    std::string bytes;
    if (const int failure = platform::ReadWholeFile(fileName, bytes, kMaxDocumentSize);
        failure != 0) {
        const std::string error = std::strerror(failure);
        // The file went away after the menu was opened (or cannot be read, or is no document):
        // say so and leave the game and the connections alone.
        platform::Beep();
        std::string shownName =
            platform::ToSjis(QFile::decodeName(QByteArray::fromStdString(fileName)));
        platform::MessageDlg("Cannot open file \"" + shownName + "\". " + error,
                             platform::TMsgDlgType::Error, platform::mbOK);
        return;
    }
    QStringList lines;
    for (const std::string& line : SplitLines(bytes)) lines << platform::FromSjis(line);
    Memo->setPlainText(lines.join('\n'));

    ShowModal();
    Memo->clear();
}

void TTrovGamePreviewForm::ShowModal() {
    if (ModalRunner()) {
        ModalRunner()(*this);
        return;
    }
    exec();
}

TPreviewModalRunner SetPreviewModalRunner(TPreviewModalRunner runner) {
    TPreviewModalRunner previous = std::move(ModalRunner());
    ModalRunner() = std::move(runner);
    return previous;
}

bool TTrovGamePreviewForm::CanSeeThrough() {
    const QString platformName = QGuiApplication::platformName();
    return platformName == "xcb" || platformName == "windows" || platformName == "cocoa";
}
