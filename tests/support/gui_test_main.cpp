#include "classic_look.h"
#include "twips.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    // Listing the tests at build time happens without the test environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    // As the program does: the windows are laid out in the display's own pixels.
    lumox::keepDevicePixels();
    QApplication app(argc, argv);
    lumox::applyClassicLook(app);
    return RUN_ALL_TESTS();
}
