// Test entry: an offscreen QApplication on a scratch desktop.
#include "ScratchDesktop.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    ScratchDesktop scratch(QStringLiteral("SillaroTest"));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
