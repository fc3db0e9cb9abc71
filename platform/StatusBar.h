#pragma once
// A status bar showing one simple text across its whole width.
#include <QStatusBar>
#include <string>

class QLabel;

namespace platform {

class TStatusBar : public QStatusBar {
    Q_OBJECT
public:
    explicit TStatusBar(QWidget* parent = nullptr);

    // Shift-JIS bytes. The text stands until it is written again.
    std::string SimpleText() const;
    void SetSimpleText(const std::string& text);

private:
    QLabel* text_;
};

} // namespace platform
