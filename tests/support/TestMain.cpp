// Test programs run with an application object on Qt's offscreen platform, so that
// windows, posted messages and sockets work without a display.
#include "platform/Application.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    platform::TApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
