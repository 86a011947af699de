#pragma once

#include <QString>

#include <memory>

class Prompter;
class QProcess;

// The editor's side of the calculator: brings a running Quillon forward, or starts the one that
// sits beside the editor, and closes the one it started when it goes away. A calculator the user
// started by hand is raised but never closed. User-interface thread only; Launch() and
// CloseStarted() block for at most about a second.
class QuillonLauncher {
public:
    static constexpr const char* kNotFoundText =
        "Not able to locate the Quillon app.\nIt should be in the same directory as Tolvane.exe (but isn't).";
    static constexpr int kCloseWaitMs = 100;

    // programDir empty: the directory of the running executable.
    explicit QuillonLauncher(Prompter& prompter, QString programDir = QString());
    ~QuillonLauncher();
    QuillonLauncher(const QuillonLauncher&) = delete;
    QuillonLauncher& operator=(const QuillonLauncher&) = delete;

    // "Quillon" with the platform's executable suffix.
    static QString ProgramName();
    QString ProgramPath() const;

    void Launch();
    // Asks the calculator we started to close, and ends it if it is still there after a moment.
    void CloseStarted();
    // True while a calculator started by this launcher runs.
    bool StartedRunning() const;
    // The process id of that calculator, or 0.
    qint64 StartedProcessId() const;

private:
    void EndStarted();

    Prompter& m_prompter;
    QString m_programDir;
    std::unique_ptr<QProcess> m_process;
};
