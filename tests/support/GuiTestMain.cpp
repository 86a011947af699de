// Widget tests run headless: the offscreen platform, and settings in a test location.
#include <gtest/gtest.h>

#include <QApplication>
#include <QStandardPaths>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    QApplication::setOrganizationName("Morvik");
    QApplication::setApplicationName("Tolvane");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
