#pragma once

#include <iosfwd>
#include <string>
#include <vector>

class SystemDoc;

// The command-line front end over the dump model. Every sub-command prints its result on `out`;
// usage errors, unreadable files and malformed text give one line on `err` and exit status 2.
class TolvaneCli {
public:
    TolvaneCli(std::ostream& out, std::ostream& err) : m_out(out), m_err(err) {}
    int Run(const std::vector<std::string>& args);

    // The list of commands with their arguments, one or two lines each, as "help" prints it.
    static const char* CommandList();

private:
    struct Args; // the sub-command's positional words and flags

    int New(Args& a);
    int Check(Args& a);
    int Info(Args& a);
    int List(Args& a);
    int Export(Args& a);
    int Repair(Args& a);
    int Hex(Args& a);
    int Describe(Args& a);
    int Diff(Args& a);  // TolvaneCliDiff.cpp
    int Sheet(Args& a); // TolvaneCliSheet.cpp
    // MIDI transfers (TolvaneCliMidi.cpp)
    int Ports(Args& a);
    int Receive(Args& a);
    int Send(Args& a);
    int TestSend(Args& a);
    int Simulate(Args& a);

    // Opens FILE as the editor does, without questions; false after reporting a read failure.
    bool Open(const std::string& path, SystemDoc& doc, int* checkCode = nullptr);
    int UsageError(const std::string& problem);
    int Failure(const std::string& problem);
    void PrintUsage();

    std::ostream& m_out;
    std::ostream& m_err;
};
