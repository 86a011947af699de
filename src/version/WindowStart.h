#pragma once

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>
#include <cstring>

// What the programs with a window do first.

// --help and --version are answered before the window system is asked for, so both work
// without a display; Qt's own options are not known yet and are let through. `describe` adds the
// program's description and options. The program ends here when either word was given.
inline void AnswerHelpOrVersion(int argc, char* argv[], void (*describe)(QCommandLineParser&)) {
    static const char* const kWords[] = {"-h", "--help", "-?", "-v", "--version"};
    bool asked = false;
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i)
        for (const char* word : kWords)
            asked = asked || std::strcmp(argv[i], word) == 0;
    if (!asked)
        return;
    QCoreApplication core(argc, argv);
    QCommandLineParser parser;
    describe(parser);
    parser.parse(QCoreApplication::arguments());
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();
    parser.showHelp(0);
}

// Without a display there is nothing to show: says so plainly (true) instead of Qt's abort.
inline bool DisplayMissing(const char* program) {
#if defined(Q_OS_LINUX)
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        std::fprintf(stderr, "%s: no display found (DISPLAY and WAYLAND_DISPLAY are not set).\n", program);
        return true;
    }
#else
    (void)program;
#endif
    return false;
}
