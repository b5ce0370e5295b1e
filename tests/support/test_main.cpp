// The one GoogleTest main. GUI tests are built with QUARROW_GUI_TEST and get a QApplication.
#include <gtest/gtest.h>

#ifdef QUARROW_GUI_TEST
#include <QApplication>
#else
#include <QCoreApplication>
#endif

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
#ifdef QUARROW_GUI_TEST
    QApplication app(argc, argv);
#else
    // Qt Core pieces (paths, QSaveFile) need the application object for their file path only.
    QCoreApplication app(argc, argv);
#endif
    return RUN_ALL_TESTS();
}
