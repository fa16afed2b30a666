#ifdef OSTVIK_TEST_SKIN_ZIP
#include "skin/SkinSE.h"
#endif

#include <QApplication>

#include <gtest/gtest.h>

// The main of a suite whose widgets need an application and nothing more, or also the skin
// the build packs when the suite names it; without a display they render offscreen.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
#ifdef OSTVIK_TEST_SKIN_ZIP
    // Panes draw over the backgrounds of that skin.
    if (SkinSE_LoadSkinResourceFromZIP(QStringLiteral(OSTVIK_TEST_SKIN_ZIP), QString()) == 0) {
        return 1;
    }
#endif
    return RUN_ALL_TESTS();
}
