// The MIDI sub-commands against the simulated RIV 10 that every port list ends with.
#include "support/DumpBuilder.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Result {
    int status = -1;
    std::string out;
    std::string err;
};

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class CliMidiTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("tolvane-cli-midi-" + std::to_string(::getpid()) + "-" +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    Result Run(const std::string& args) {
        const std::string command = std::string("'") + TOLVANE_CLI + "' " + args + " >'" +
                                    (m_dir / "out").string() + "' 2>'" + (m_dir / "err").string() +
                                    "' </dev/null";
        const int raw = std::system(command.c_str());
        Result r;
        if (raw != -1 && WIFEXITED(raw))
            r.status = WEXITSTATUS(raw);
        r.out = ReadText(m_dir / "out");
        r.err = ReadText(m_dir / "err");
        return r;
    }

    // The simulator is always the last input and the last output.
    int SimulatorIndex(const char* list) {
        const Result r = Run("ports");
        EXPECT_EQ(r.status, 0) << r.err;
        const size_t section = r.out.find(list);
        const size_t name = r.out.find(": RIV 10 Simulator\n", section);
        EXPECT_NE(name, std::string::npos) << r.out;
        const size_t lineStart = r.out.rfind('\n', name) + 1;
        return std::stoi(r.out.substr(lineStart, name - lineStart));
    }

    fs::path m_dir;
};

TEST_F(CliMidiTest, PortsEndWithTheSimulator) {
    const Result r = Run("ports");
    ASSERT_EQ(r.status, 0);
    const size_t outputs = r.out.find("Outputs:\n");
    ASSERT_NE(outputs, std::string::npos);
    EXPECT_EQ(r.out.rfind(": RIV 10 Simulator\n", outputs) + 19, outputs);
    EXPECT_EQ(r.out.rfind(": RIV 10 Simulator\n") + 19, r.out.size());
}

TEST_F(CliMidiTest, ReceiveSendAndTestSendThroughTheSimulator) {
    const int in = SimulatorIndex("Inputs:");
    const int out = SimulatorIndex("Outputs:");
    const fs::path received = m_dir / "received.syx";
    Result r = Run("receive --in " + std::to_string(in) + " '" + received.string() + "'");
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("Download complete.\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(": 0 No error\n"), std::string::npos) << r.out;
    EXPECT_EQ(Run("check '" + received.string() + "'").out, "0 No error\n");

    r = Run("send '" + received.string() + "' --out " + std::to_string(out) +
            " --buffer-size 1024 --delay 0");
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("Upload complete.\n"), std::string::npos) << r.out;

    // A port by its name as `ports` lists it.
    r = Run("test-send --out 'RIV 10 Simulator' '90 3c 40 |note on\n3c 00'");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Transmitted 5 of 5 bytes"), std::string::npos) << r.out;

    r = Run("test-send --out " + std::to_string(out) + " 'c0'");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Data string consistency error at byte 2.  Missing data byte 1."), std::string::npos)
        << r.err;
}

TEST_F(CliMidiTest, SendRefusesADumpThatFailsTheCheckUnlessForced) {
    testdump::Dump d;
    testdump::Bank bank;
    bank.number = 1;
    bank.slotPatches = {7, 0, 0, 0, 0, 0, 0, 0, 0}; // no patch 7 in the dump
    d.banks = {testdump::MakeBank(bank)};
    const testdump::Bytes image = d.Build();
    const fs::path damaged = m_dir / "damaged.syx";
    std::ofstream(damaged, std::ios::binary)
        .write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
    const std::string send = "send '" + damaged.string() + "' --out " + std::to_string(SimulatorIndex("Outputs:")) +
                             " --delay 0";

    Result r = Run(send);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "tolvane-cli: the dump failed the integrity check (14: A bank referenced an invalid "
                     "patch); nothing was sent (--force sends it anyway)\n");
    r = Run(send + " --force");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Upload complete.\n"), std::string::npos) << r.out;
}

TEST_F(CliMidiTest, BadPortsAndArgumentsAreReported) {
    Result r = Run("receive --in 999 '" + (m_dir / "x.syx").string() + "'");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("Error location: DMidiXmit (121)"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(m_dir / "x.syx"));

    r = Run("test-send --out 999 'c0 01'");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Error location: DSimpleMidiSend (86)"), std::string::npos) << r.err;

    // A name never falls back to another port.
    r = Run("test-send --out 'No Such Port' 'c0 01'");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("The MIDI output \"No Such Port\" is not connected."), std::string::npos) << r.err;

    r = Run("test-send --out 0 'F0 7E 7F 09 01'");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("consistency error at byte 1. System exclusive (F0) without an end (F7)."),
              std::string::npos)
        << r.err;

    for (const char* args : {"receive x.syx", "send --out 0", "send x.syx --out 0 --buffer-size 100",
                             "send x.syx --out 0 --delay 1001", "test-send --out 0 'g0'",
                             "test-send --out 0 ''", "simulate extra", "simulate --baud fast"}) {
        r = Run(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << args << ": " << r.err;
    }
}

} // namespace
