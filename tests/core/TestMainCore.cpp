// The test programs of the core (the game, the wire) run with Qt Core only: an application
// object for posted messages, and boxes that fail the test, since none is expected.
#include "core/UnexpectedBoxes.h"
#include "platform/Boxes.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    UnexpectedBoxes unexpected;
    platform::SetBoxes(&unexpected);
    const int result = RUN_ALL_TESTS();
    platform::SetBoxes(nullptr);
    return result;
}
