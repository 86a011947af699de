#include "app/ZIVBackupApp.h"
#include "version/WindowStart.h"
#include "version/Version.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QGuiApplication>
#include <QIcon>

#include <cstdlib>

namespace {
void DescribeOptions(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        QStringLiteral("Librarian and editor for the RIV 10 MIDI foot controller."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("The system dump (.syx) to open."),
                                 QStringLiteral("[file]"));
}
} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication::setApplicationName(QString::fromLatin1(ZIVBackupApp::kAppTitle));
    QCoreApplication::setApplicationVersion(QStringLiteral(TOLVANE_VERSION_STRING));
    AnswerHelpOrVersion(argc, argv, DescribeOptions);

    if (DisplayMissing("Tolvane"))
        return 2;
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
