#include <QApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

int RunQuillonLogicTest(int argc, char** argv);
int RunQuillonDialogTest(int argc, char** argv);
int RunQuillonRemoteTest(int argc, char** argv);

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // The user's own calculator settings must never be read or written by a test run.
    QTemporaryDir settingsDir;
    if (!settingsDir.isValid())
        return 1;
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());

    int failures = 0;
    failures += RunQuillonLogicTest(argc, argv);
    failures += RunQuillonDialogTest(argc, argv);
    failures += RunQuillonRemoteTest(argc, argv);
    return failures == 0 ? 0 : 1;
}
