#include "app/ZIVBackupApp.h"

#include <QApplication>
#include <QGuiApplication>
#include <QIcon>

#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[]) {
    // Without a display there is nothing to show; say so plainly instead of Qt's abort.
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
#if defined(Q_OS_LINUX)
    if (platform.isEmpty() && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        std::fprintf(stderr, "Tolvane: no display found (DISPLAY and WAYLAND_DISPLAY are not set).\n");
        return 2;
    }
#endif
    QApplication application(argc, argv);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/Tolvane.png")));
    ZIVBackupApp app;
    if (!app.InitInstance(QApplication::arguments()))
        return 1;
    const int result = QApplication::exec();
    return app.ExitInstance() != 0 ? 1 : result;
}
