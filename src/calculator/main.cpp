#include "calculator/QuillonDialog.h"
#include "calculator/remote/QuillonRemote.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Morvik"));
    QCoreApplication::setApplicationName(QStringLiteral("Quillon"));

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
