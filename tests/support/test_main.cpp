// The one GoogleTest main. GUI tests are built with QUARROW_GUI_TEST and get a QApplication.
#include <gtest/gtest.h>

#ifdef QUARROW_GUI_TEST
#include <QApplication>
#else
#include <QCoreApplication>
#endif

#include "process/NamazuLocale.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
#ifdef QUARROW_GUI_TEST
    QApplication app(argc, argv);
#else
    // Qt Core pieces (paths, QSaveFile) need the application object for their file path only.
    QCoreApplication app(argc, argv);
#endif
    // namazu and mknmz get the locale the program would give them (the build tree's own copy,
    // shared with the program), or none when it cannot be built.
    ProcessNamazuLocale().Start(TEST_BINARY_DIR "/locale");
    return RUN_ALL_TESTS();
}
