// Main of the window tests: a widget application on the offscreen platform
// (unless a display is chosen), German regional settings and an
// application-data folder of its own.
#include "test_support.h"

#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <unistd.h>

int main(int argc, char **argv)
{
    QTemporaryDir dataHome;
    qputenv("XDG_DATA_HOME", dataHome.path().toUtf8());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The browser of the HTML editor refuses to run as root inside its sandbox.
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QLocale::setDefault(vq::test::germanLocale());
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
