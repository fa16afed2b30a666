#include "skin/SkinSE.h"

#include <QApplication>

#include <gtest/gtest.h>

// The widgets need an application and the skin; without a display they render offscreen.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    // The panes draw over the backgrounds of the skin the build packs.
    if (SkinSE_LoadSkinResourceFromZIP(QStringLiteral(OSTVIK_SKIN_ZIP), QString()) == 0) {
        return 1;
    }
    return RUN_ALL_TESTS();
}
