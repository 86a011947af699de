#include "app/QuillonLauncher.h"

#include "calculator/remote/QuillonRemote.h"
#include "dump/Prompter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

namespace {

constexpr int kRaiseTimeoutMs = 500;
constexpr int kStartTimeoutMs = 5000;
constexpr int kKillTimeoutMs = 2000;

} // namespace

QuillonLauncher::QuillonLauncher(Prompter& prompter, QString programDir)
    : m_prompter(prompter),
      m_programDir(programDir.isEmpty() ? QCoreApplication::applicationDirPath() : std::move(programDir)) {}

QuillonLauncher::~QuillonLauncher() {
    CloseStarted();
}

QString QuillonLauncher::ProgramName() {
#ifdef Q_OS_WIN
    return QStringLiteral("Quillon.exe");
#else
    return QStringLiteral("Quillon");
#endif
}

QString QuillonLauncher::ProgramPath() const {
    return QDir(m_programDir).filePath(ProgramName());
}

bool QuillonLauncher::StartedRunning() const {
    return m_process && m_process->state() != QProcess::NotRunning;
}

qint64 QuillonLauncher::StartedProcessId() const {
    return StartedRunning() ? m_process->processId() : 0;
}

void QuillonLauncher::Launch() {
    // Whoever started it, a calculator that answers is brought forward and nothing else happens.
    if (QuillonRemote::Send(QStringLiteral("raise"), kRaiseTimeoutMs))
        return;
    // Ours is running but no longer answers: it is of no use to the user any more.
    EndStarted();

    const QString path = ProgramPath();
    const QFileInfo program(path);
    if (!program.isFile()) {
        m_prompter.Message(kNotFoundText, "", Prompter::Icon::Exclamation);
        return;
    }
    auto process = std::make_unique<QProcess>();
    process->setProgram(path);
    process->setWorkingDirectory(program.absolutePath());
    // Its messages go where ours go; nothing piles up in pipes nobody reads.
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->setStandardInputFile(QProcess::nullDevice());
    process->start();
    // A calculator that cannot be started is not reported.
    if (process->waitForStarted(kStartTimeoutMs))
        m_process = std::move(process);
}

void QuillonLauncher::CloseStarted() {
    if (!StartedRunning()) {
        m_process.reset();
        return;
    }
    if (QuillonRemote::Send(QStringLiteral("close"), kRaiseTimeoutMs))
        m_process->waitForFinished(kCloseWaitMs);
    EndStarted();
}

void QuillonLauncher::EndStarted() {
    if (StartedRunning()) {
        m_process->kill();
        m_process->waitForFinished(kKillTimeoutMs);
    }
    m_process.reset();
}
