#include "cli/TolvaneCli.h"
#include "version/Version.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <iostream>
#include <string>
#include <vector>

namespace {
// --help and --version as the first word go through Qt's parser, as in the window programs; the
// help lists the commands.
void AnswerHelpOrVersion(int argc, char** argv) {
    if (argc < 2)
        return;
    const std::string word = argv[1];
    if (word != "--help" && word != "-h" && word != "-?" && word != "--version" && word != "-v")
        return;
    QCoreApplication core(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tolvane-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TOLVANE_VERSION_STRING));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Works on RIV 10 system dumps (.syx) without a window.\n\n"
                                                    "Commands:\n") +
                                     QString::fromLatin1(TolvaneCli::CommandList()).trimmed());
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("One of the commands above."),
                                 QStringLiteral("COMMAND [ARGUMENTS]"));
    parser.process(core); // prints and ends the program
}
} // namespace

int main(int argc, char** argv) {
    AnswerHelpOrVersion(argc, argv);
    std::ios::sync_with_stdio(false);
    std::vector<std::string> args(argv + 1, argv + argc);
    TolvaneCli cli(std::cout, std::cerr);
    const int status = cli.Run(args);
    std::cout.flush();
    return status;
}
