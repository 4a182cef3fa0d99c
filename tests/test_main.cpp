// Shared main of every test program: one Qt application object for the whole run
// (file watchers, SQL drivers and widgets need one), then GoogleTest.
#include <gtest/gtest.h>

#ifdef PELORUS_WIDGET_TESTS
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
#ifdef PELORUS_WIDGET_TESTS
    // Widget tests run without a display (also when the build lists them).
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    TestApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
