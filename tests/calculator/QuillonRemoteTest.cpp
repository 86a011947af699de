#include "calculator/remote/QuillonRemote.h"
#include "calculator/QuillonDialog.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QSettings>
#include <QTest>
#include <QUuid>

#include <chrono>
#include <future>

namespace {

QString UniqueName() {
    return QStringLiteral("QuillonTest-") + QUuid::createUuid().toString(QUuid::Id128);
}

// The server answers on this thread's event loop, so the blocking client runs on another.
bool SendFromOtherThread(const QString& name, const QString& command) {
    std::future<bool> answer = std::async(std::launch::async, [name, command] {
        return QuillonRemote::Send(name, command, QuillonRemote::kDefaultTimeoutMs);
    });
    while (answer.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return answer.get();
}

} // namespace

class QuillonRemoteTest : public QObject {
    Q_OBJECT

private slots:
    void init() { QSettings(QStringLiteral("Morvik"), QStringLiteral("Quillon")).clear(); }

    void raiseAndCloseReachTheDialog() {
        QuillonRemote remote(UniqueName());
        QVERIFY(remote.Listen());
        QuillonDialog dialog;
        connect(&remote, &QuillonRemote::RaiseRequested, &dialog, &QuillonDialog::BringForward);
        connect(&remote, &QuillonRemote::CloseRequested, &dialog, &QuillonDialog::reject);
        dialog.showMinimized();
        QVERIFY(dialog.isMinimized());

        QVERIFY(SendFromOtherThread(remote.Name(), QStringLiteral("raise")));
        QVERIFY(!dialog.isMinimized());
        QVERIFY(dialog.isVisible());

        dialog.findChild<QCheckBox*>(QStringLiteral("autoCopyCheck"))->setChecked(true);
        QVERIFY(SendFromOtherThread(remote.Name(), QStringLiteral("close")));
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        // Closed as Exit closes: the settings are written.
        QCOMPARE(QSettings(QStringLiteral("Morvik"), QStringLiteral("Quillon")).value("AutoCopy").toInt(), 1);
    }

    void rawClientGetsAnswers_data() {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<int>("raises");
        QTest::addColumn<int>("closes");
        QTest::newRow("raise") << QByteArray("raise\n") << QByteArray("ok\n") << 1 << 0;
        QTest::newRow("close, Windows line end") << QByteArray("close\r\n") << QByteArray("ok\n") << 0 << 1;
        QTest::newRow("two in one write") << QByteArray("raise\nclose\n") << QByteArray("ok\nok\n") << 1 << 1;
        QTest::newRow("unknown") << QByteArray("quit\n") << QByteArray("unknown\n") << 0 << 0;
    }
    void rawClientGetsAnswers() {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, answer);
        QFETCH(int, raises);
        QFETCH(int, closes);
        QuillonRemote remote(UniqueName());
        QVERIFY(remote.Listen());
        int raised = 0;
        int closed = 0;
        connect(&remote, &QuillonRemote::RaiseRequested, this, [&raised] { ++raised; });
        connect(&remote, &QuillonRemote::CloseRequested, this, [&closed] { ++closed; });

        QLocalSocket client;
        client.connectToServer(remote.Name());
        QTRY_COMPARE(client.state(), QLocalSocket::ConnectedState);
        client.write(request);
        QByteArray received;
        QTRY_VERIFY((received += client.readAll()).size() >= answer.size());
        QCOMPARE(received, answer);
        QCOMPARE(raised, raises);
        QCOMPARE(closed, closes);
    }

    void nobodyListening() { QVERIFY(!QuillonRemote::Send(UniqueName(), QStringLiteral("raise"), 200)); }

    void secondServerIsRefused() {
        QuillonRemote first(UniqueName());
        QVERIFY(first.Listen());
        QuillonRemote second(first.Name());
        QVERIFY(!second.Listen());
        QVERIFY(first.IsListening());
        QVERIFY(SendFromOtherThread(first.Name(), QStringLiteral("raise")));
    }

    void staleNameIsTakenOver() {
        // What a crashed calculator leaves behind: the name's socket file, with nobody behind it.
        const QString name = UniqueName();
        QFile leftover(QDir(QDir::tempPath()).filePath(name));
        QVERIFY(leftover.open(QIODevice::WriteOnly));
        leftover.close();
        QuillonRemote remote(name);
        QVERIFY(remote.Listen());
        QVERIFY(SendFromOtherThread(name, QStringLiteral("raise")));
    }
};

int RunQuillonRemoteTest(int argc, char** argv) {
    QuillonRemoteTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "QuillonRemoteTest.moc"
