// Test main: a Qt application object, German regional settings by default and
// an application-data folder of its own in a temporary folder.
#include "test_support.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    QTemporaryDir dataHome;
    qputenv("XDG_DATA_HOME", dataHome.path().toUtf8());
    QCoreApplication app(argc, argv);
    QLocale::setDefault(vq::test::germanLocale());
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
