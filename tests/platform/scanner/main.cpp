#include <dlfcn.h>
#include <gtest/gtest.h>
#include <QCoreApplication>

// The controls deliver their events through the Qt event loop.
int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    // SANE unloads its test backend at sane_exit; kept loaded, the backend's own leaks are
    // reported under its name, which the sanitizer build's suppressions name.
    dlopen(SANE_TEST_BACKEND, RTLD_NOW | RTLD_NODELETE);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
