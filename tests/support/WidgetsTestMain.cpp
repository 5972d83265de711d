#include <gtest/gtest.h>

#include <QApplication>

// The station's windows, on a screen that needs no display.
int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VrelScanning"));
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
