#include <gtest/gtest.h>

#include <QCoreApplication>

// Qt's plugins, settings and processes expect an application object.
int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
