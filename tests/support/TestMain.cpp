// Test programs run on Qt's offscreen platform, so that windows, posted messages and sockets
// work without a display.
#include "support/TestApplication.h"

#include <QByteArray>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    return RunTestsInApplication(argc, argv);
}
