#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

int RunQuillonLogicTest(int argc, char** argv);
int RunQuillonDialogTest(int argc, char** argv);
int RunQuillonRemoteTest(int argc, char** argv);

int main(int argc, char** argv) {
    // The user's own calculator settings must never be read or written by a test run. The
    // configuration folder itself moves, so that the store and the check made before it opens
    // see the same files; nothing else of the user's is shared with the editor's tests either.
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
