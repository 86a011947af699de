#include "calculator/QuillonDialog.h"
#include "calculator/remote/QuillonRemote.h"
#include "version/WindowStart.h"
#include "version/Version.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QGuiApplication>


namespace {
void DescribeOptions(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        QStringLiteral("MIDI calculator: composes and takes apart MIDI messages, converts numbers."));
    parser.addHelpOption();
    parser.addVersionOption();
}
} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication::setOrganizationName(QStringLiteral("Morvik"));
    QCoreApplication::setApplicationName(QStringLiteral("Quillon"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TOLVANE_VERSION_STRING));
    AnswerHelpOrVersion(argc, argv, DescribeOptions);

    if (DisplayMissing("Quillon"))
        return 2;
    QApplication app(argc, argv);
    // Desktops match the window to the installed desktop entry and its icon by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("example.morvik.quillon"));
    // Qt has taken its own options out by now; anything else unknown is an error.
    QCommandLineParser parser;
    DescribeOptions(parser);
    parser.process(app);

    // One calculator per user: a second start only brings the first forward.
    if (QuillonRemote::Send(QStringLiteral("raise")))
        return 0;

    QuillonRemote remote;
    // Without the socket the calculator still works; it just cannot be found by the editor.
    remote.Listen();

    QuillonDialog dialog;
    QObject::connect(&remote, &QuillonRemote::RaiseRequested, &dialog, &QuillonDialog::BringForward);
    QObject::connect(&remote, &QuillonRemote::CloseRequested, &dialog, &QuillonDialog::reject);
    dialog.exec();
    return 0;
}
