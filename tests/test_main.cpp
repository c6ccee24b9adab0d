// Test main: a Qt application object (with widgets for tests built with
// VQ_TEST_GUI, offscreen unless QT_QPA_PLATFORM says otherwise), German regional settings by
// default and an application-data folder of its own in a temporary folder.
#include "tests/test_support.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#ifdef VQ_TEST_GUI
#include <QApplication>
#include <unistd.h>
#endif
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    QTemporaryDir dataHome;
    qputenv("XDG_DATA_HOME", dataHome.path().toUtf8());
#ifdef VQ_TEST_GUI
    // Windows and laid-out documents without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The browser engine (preview, snippet editor) refuses to run as root
    // inside its sandbox; it needs shared contexts created before the application.
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
#else
    QCoreApplication app(argc, argv);
#endif
    QLocale::setDefault(vq::test::germanLocale());
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
