// Starting, raising and closing the real calculator, and the application error report. The
// calculators here listen under a user name of their own, so a calculator the person at the
// machine runs is never touched, and keep their settings in a scratch folder.
#include "app/QuillonLauncher.h"
#include "app/AppErrorReport.h"
#include "calculator/remote/QuillonRemote.h"
#include "support/ScriptedPrompter.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

constexpr int kWaitMs = 10000;

// Sets an environment variable for the length of a test and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name)) {
        qputenv(name, value);
    }
    ~ScopedEnv() {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* m_name;
    bool m_had;
    QByteArray m_old;
};

bool Answering() {
    QLocalSocket socket;
    socket.connectToServer(QuillonRemote::ServerName());
    return socket.waitForConnected(200);
}

class QuillonLauncherTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(
            QFileInfo::exists(QDir(QStringLiteral(QUILLON_DIR)).filePath(QuillonLauncher::ProgramName())));
        ASSERT_FALSE(Answering());
    }
    void TearDown() override {
        if (m_byHand.state() != QProcess::NotRunning) {
            m_byHand.kill();
            m_byHand.waitForFinished(kWaitMs);
        }
    }

    QTemporaryDir m_config;
    ScopedEnv m_user{"USER", "tolvane-test-" + QByteArray::number(QCoreApplication::applicationPid())};
    ScopedEnv m_configHome{"XDG_CONFIG_HOME", QFile::encodeName(m_config.path())};
    ScriptedPrompter m_prompter;
    QProcess m_byHand;
};

TEST_F(QuillonLauncherTest, StartsOnceRaisesAfterwardsAndClosesItsOwn) {
    auto launcher = std::make_unique<QuillonLauncher>(m_prompter, QStringLiteral(QUILLON_DIR));
    launcher->Launch();
    ASSERT_TRUE(launcher->StartedRunning());
    const qint64 pid = launcher->StartedProcessId();
    ASSERT_TRUE(QTest::qWaitFor(Answering, kWaitMs));

    launcher->Launch();
    EXPECT_TRUE(launcher->StartedRunning());
    EXPECT_EQ(launcher->StartedProcessId(), pid);
    EXPECT_TRUE(m_prompter.Messages().empty());

    launcher.reset();
    EXPECT_FALSE(Answering());
#ifdef Q_OS_LINUX
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/proc/%1").arg(pid)));
#endif

    // One that went away by itself is simply started again.
    QuillonLauncher again(m_prompter, QStringLiteral(QUILLON_DIR));
    again.Launch();
    ASSERT_TRUE(QTest::qWaitFor(Answering, kWaitMs));
    ASSERT_TRUE(QuillonRemote::Send(QStringLiteral("close"), kWaitMs));
    ASSERT_TRUE(QTest::qWaitFor([&again] { return !again.StartedRunning(); }, kWaitMs));
    again.Launch();
    EXPECT_TRUE(again.StartedRunning());
}

TEST_F(QuillonLauncherTest, LeavesACalculatorStartedByHandAlone) {
    m_byHand.setProgram(QDir(QStringLiteral(QUILLON_DIR)).filePath(QuillonLauncher::ProgramName()));
    m_byHand.start();
    ASSERT_TRUE(m_byHand.waitForStarted(kWaitMs));
    ASSERT_TRUE(QTest::qWaitFor(Answering, kWaitMs));

    {
        QuillonLauncher launcher(m_prompter, QStringLiteral(QUILLON_DIR));
        launcher.Launch();
        EXPECT_FALSE(launcher.StartedRunning());
    }
    EXPECT_FALSE(m_byHand.waitForFinished(500));
    EXPECT_EQ(m_byHand.state(), QProcess::Running);
    EXPECT_TRUE(Answering());
}

TEST(QuillonLauncherMissing, SaysWhereTheCalculatorShouldBe) {
    QTemporaryDir empty;
    ScopedEnv user("USER", "tolvane-test-missing-" + QByteArray::number(QCoreApplication::applicationPid()));
    ScriptedPrompter prompter;
    QuillonLauncher launcher(prompter, empty.path());
    EXPECT_EQ(launcher.ProgramPath(), QDir(empty.path()).filePath(QuillonLauncher::ProgramName()));
    launcher.Launch();
    EXPECT_FALSE(launcher.StartedRunning());
    ASSERT_EQ(prompter.Messages().size(), 1u);
    const ScriptedPrompter::Entry& message = prompter.Messages()[0];
    EXPECT_EQ(message.text, "Not able to locate the Quillon app.\nIt should be in the same directory as "
                            "Tolvane.exe (but isn't).");
    EXPECT_EQ(message.icon, Prompter::Icon::Exclamation);
}

TEST(AppErrorReportTest, FormatsTheCodeItsTextTheLocationAndTheStep) {
    const QString text = AppErrorReportText(2, 258, QStringLiteral("Bitmap did not get loaded."));
    EXPECT_EQ(text,
              QStringLiteral("Error 2 (0x2): ") + qt_error_string(2).left(75) +
                  QStringLiteral("\nError location: ZIVBackup line 258.\nBitmap did not get loaded.\n"));
    EXPECT_TRUE(AppErrorReportText(-1, 1, QString()).startsWith(QStringLiteral("Error -1 (0xffffffff): ")));

    ScriptedPrompter prompter;
    ShowAppErrorReport(prompter, 2, 258, QStringLiteral("Bitmap did not get loaded."));
    ASSERT_EQ(prompter.Messages().size(), 1u);
    EXPECT_EQ(prompter.Messages()[0].text, text.toStdString());
    EXPECT_EQ(prompter.Messages()[0].caption, "Tolvane");
    EXPECT_EQ(prompter.Messages()[0].icon, Prompter::Icon::Stop);
}

} // namespace
