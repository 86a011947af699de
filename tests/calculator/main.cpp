#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

int RunQuillonLogicTest(int argc, char** argv);
int RunQuillonDialogTest(int argc, char** argv);
int RunQuillonRemoteTest(int argc, char** argv);

int main(int argc, char** argv) {
    // The user's own calculator settings must never be read or written by a test run, so the
    // configuration folder moves to a fresh one. Moving only QSettings' path would leave the check
    // made before a store opens reading the real folder; Qt's test folder is shared with the
    // editor's tests, which write the company's file there.
    QTemporaryDir settingsDir;
    if (!settingsDir.isValid())
        return 1;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(settingsDir.path()));
    QApplication app(argc, argv);

    int failures = 0;
    failures += RunQuillonLogicTest(argc, argv);
    failures += RunQuillonDialogTest(argc, argv);
    failures += RunQuillonRemoteTest(argc, argv);
    return failures == 0 ? 0 : 1;
}
