#include <gtest/gtest.h>
#include <QCoreApplication>

// The fake scanner control delivers its events through the Qt event loop.
int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
