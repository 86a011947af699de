#include "app/ZIVBackupApp.h"
#include "version/Version.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QGuiApplication>
#include <QIcon>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
void DescribeOptions(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        QStringLiteral("Librarian and editor for the RIV 10 MIDI foot controller."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("The system dump (.syx) to open."),
                                 QStringLiteral("[file]"));
}

// --help and --version are answered before the window system is asked for, so both work
// without a display; Qt's own options are not known yet and are let through.
void AnswerHelpOrVersion(int argc, char* argv[]) {
    static const char* const kWords[] = {"-h", "--help", "-?", "-v", "--version"};
    bool asked = false;
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i)
        for (const char* word : kWords)
            asked = asked || std::strcmp(argv[i], word) == 0;
    if (!asked)
        return;
    QCoreApplication core(argc, argv);
    QCommandLineParser parser;
    DescribeOptions(parser);
    parser.parse(QCoreApplication::arguments());
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();
    parser.showHelp(0);
}
} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication::setApplicationName(QString::fromLatin1(ZIVBackupApp::kAppTitle));
    QCoreApplication::setApplicationVersion(QStringLiteral(TOLVANE_VERSION_STRING));
    AnswerHelpOrVersion(argc, argv);

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
    // Desktops match the windows to the installed desktop entry and its icon by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("example.morvik.tolvane"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/Tolvane.png")));
    // Qt has taken its own options out by now; anything else unknown is an error.
    QCommandLineParser parser;
    DescribeOptions(parser);
    parser.process(application);
    ZIVBackupApp app;
    if (!app.InitInstance(QStringList{QApplication::arguments().value(0)} + parser.positionalArguments()))
        return 1;
    const int result = QApplication::exec();
    return app.ExitInstance() != 0 ? 1 : result;
}
