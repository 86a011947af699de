// The transfer dialogs end to end against the simulated device: what the window shows, what the
// caller gets back, and which boxes the user sees.
#include "midi/MidiPorts.h"
#include "midi/SimulatorBackend.h"
#include "midi/TransferEngine.h"
#include "midi/dialogs/DMidiXmit.h"
#include "midi/dialogs/DSimpleMidiSend.h"
#include "midi/dialogs/DialogTransferObserver.h"
#include "support/DumpBuilder.h"
#include "support/ScriptedPrompter.h"
#include "support/SimulatorLayer.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
constexpr int kTimeoutMs = 60000;

QString Shown(const QWidget& dialog, const char* name) {
    const auto* label = dialog.findChild<QLabel*>(QString::fromLatin1(name));
    return label ? label->text() : QStringLiteral("<no control %1>").arg(QString::fromLatin1(name));
}

QPushButton* AbortButton(const QWidget& dialog) {
    return dialog.findChild<QPushButton*>(QStringLiteral("abort"));
}

// Holds the worker in its first pause until the test lets it go, so what happens before the
// transfer runs is not a race. Bounded, so a failed test cannot hang the dialog's destructor.
class Gate {
public:
    void Wait() {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait_for(lock, std::chrono::seconds(30), [this] { return m_open; });
    }
    void Open() {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_open = true;
        }
        m_changed.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_open = false;
};

// Notes the status line at the moment each box comes up.
class StatusNotingPrompter : public ScriptedPrompter {
public:
    void Message(const std::string& text, const std::string& caption, Icon icon) override {
        statusAtBox.push_back(dialog ? Shown(*dialog, "status") : QString());
        ScriptedPrompter::Message(text, caption, icon);
    }
    const QWidget* dialog = nullptr;
    std::vector<QString> statusAtBox;
};

TransferSettings QuietSettings() {
    TransferSettings settings;
    settings.promptBeforeDownload = false;
    settings.delayBetweenBuffers = 0;
    return settings;
}

void NoPauses(TransferDialog& dialog) {
    dialog.Engine().SetSleeper([](int) {});
}

// Shows the dialog as the application would and lets the event loop run until it closes.
::testing::AssertionResult RunToEnd(TransferDialog& dialog) {
    dialog.show();
    if (!QTest::qWaitFor([&dialog] { return dialog.Finished(); }, kTimeoutMs))
        return ::testing::AssertionFailure() << "the transfer did not end";
    if (dialog.isVisible())
        return ::testing::AssertionFailure() << "the window stayed up after the transfer";
    return ::testing::AssertionSuccess();
}

} // namespace

class TransferDialogTest : public ::testing::Test {
protected:
    void TearDown() override { MidiPortsTerm(); }

    SimulatorBackend& InitSimulator() {
        SimulatorBackend* simulator = StartLayerWithSimulator();
        EXPECT_NE(simulator, nullptr);
        return *simulator;
    }

    ScriptedPrompter m_prompter;
};

// --- the queued observer ------------------------------------------------------------------------

TEST_F(TransferDialogTest, WorkerReportsArriveLaterInOrderOnTheWindowThread) {
    DialogTransferObserver observer;
    std::vector<QString> seen;
    bool allOnWindowThread = true;
    QObject::connect(&observer, &DialogTransferObserver::textChanged, [&](int control, const QString& text) {
        allOnWindowThread = allOnWindowThread && QThread::currentThread() == observer.thread();
        seen.push_back(QString::number(control) + ' ' + text);
    });
    QObject::connect(&observer, &DialogTransferObserver::valueChanged, [&](int control, unsigned value) {
        allOnWindowThread = allOnWindowThread && QThread::currentThread() == observer.thread();
        seen.push_back(QString::number(control) + ' ' + QString::number(value));
    });
    std::thread worker([&observer] {
        for (unsigned i = 0; i < 200; ++i)
            observer.SetValue(CtlValue1, i * 50);
        observer.SetValue(CtlValue1, 4294967295u);
        observer.SetText(CtlStatus, "Download complete.");
    });
    worker.join(); // returns although this thread did not run its event loop: the worker never waited
    EXPECT_TRUE(seen.empty()) << "nothing may reach the widgets from the worker's thread";
    ASSERT_TRUE(QTest::qWaitFor([&seen] { return seen.size() == 202; }, kTimeoutMs)) << seen.size();
    EXPECT_TRUE(allOnWindowThread);
    for (unsigned i = 0; i < 200; ++i)
        ASSERT_EQ(seen[i], QStringLiteral("102 %1").arg(i * 50));
    EXPECT_EQ(seen[200], QStringLiteral("102 4294967295")) << "counters are unsigned";
    EXPECT_EQ(seen[201], QStringLiteral("100 Download complete."));

    observer.SetText(CtlStatus, "Closing MIDI devices...");
    EXPECT_EQ(seen.back(), QStringLiteral("100 Closing MIDI devices..."))
        << "the window's own thread is served at once";
}

// --- download -----------------------------------------------------------------------------------

TEST_F(TransferDialogTest, DownloadHandsBackTheDeviceDumpAndShowsTheFinalCounts) {
    SimulatorBackend& simulator = InitSimulator();
    const Bytes dump = Riv10Device::DemoDump();
    simulator.Device().SetDump(dump);
    DMidiXmit dialog(QuietSettings(), m_prompter);
    NoPauses(dialog);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("MIDI Transmission"));
    EXPECT_TRUE(AbortButton(dialog)->isDefault());
    QSignalSpy received(&dialog, &DMidiXmit::dumpReceived);

    ASSERT_TRUE(RunToEnd(dialog));
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(dialog.MakeDocument());
    EXPECT_EQ(received.count(), 1);
    EXPECT_EQ(dialog.ReceivedBytes(), dump);
    EXPECT_FALSE(dialog.ErrorFlag());
    EXPECT_TRUE(m_prompter.Messages().empty());

    EXPECT_EQ(Shown(dialog, "status"), QStringLiteral("Preparing document..."));
    EXPECT_EQ(Shown(dialog, "label1"), QStringLiteral("Total data received:"));
    EXPECT_EQ(Shown(dialog, "value1"), QString::number(dump.size()));
    EXPECT_EQ(Shown(dialog, "bytes"), QStringLiteral("bytes"));
    EXPECT_EQ(Shown(dialog, "label2"), QStringLiteral("Number of EOXs received:"));
    EXPECT_EQ(Shown(dialog, "value2"), QStringLiteral("1"));
    EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("value1"))->accessibleName(),
              QStringLiteral("Total data received:"));
    const auto* progress = dialog.findChild<QProgressBar*>(QStringLiteral("progress"));
    EXPECT_EQ(progress->maximum(), static_cast<int>(dump.size()));
    EXPECT_EQ(progress->value(), progress->maximum());
}

TEST_F(TransferDialogTest, StartInstructionsComeUpWhileThePortWaits) {
    InitSimulator();
    TransferSettings settings = QuietSettings();
    settings.promptBeforeDownload = true;
    StatusNotingPrompter prompter;
    DMidiXmit dialog(settings, prompter);
    prompter.dialog = &dialog;
    NoPauses(dialog);

    ASSERT_TRUE(RunToEnd(dialog));
    ASSERT_EQ(prompter.Messages().size(), 1u);
    const auto& box = prompter.Messages()[0];
    EXPECT_EQ(box.caption, "Start Download");
    EXPECT_EQ(box.icon, Prompter::Icon::Exclamation);
    EXPECT_EQ(box.text.rfind("You must manually initiate dump downloads using the hand programmer", 0), 0u);
    EXPECT_EQ(prompter.statusAtBox[0], QStringLiteral("Initiate Dump on Unit"));
    EXPECT_EQ(dialog.ReceivedBytes(), Riv10Device::DemoDump()) << "a dump sent while the box was up is kept";
}

// Every way the user can cancel only sets the abort flag: the window stays until the worker ends.
enum class AbortBy { Button, Enter, Escape, CloseBox };

std::string AbortName(const ::testing::TestParamInfo<AbortBy>& info) {
    switch (info.param) {
    case AbortBy::Button:
        return "Button";
    case AbortBy::Enter:
        return "Enter";
    case AbortBy::Escape:
        return "Escape";
    case AbortBy::CloseBox:
        return "CloseBox";
    }
    return "Unknown";
}

class AbortTest : public TransferDialogTest, public ::testing::WithParamInterface<AbortBy> {};

TEST_P(AbortTest, AbortBeforeAnyDataSaysDownloadAborted) {
    SimulatorBackend& simulator = InitSimulator();
    simulator.SetSendOnStart(false);
    Gate gate;
    DMidiXmit dialog(QuietSettings(), m_prompter);
    dialog.Engine().SetSleeper([&gate](int) { gate.Wait(); });
    dialog.show();
    ASSERT_TRUE(QTest::qWaitFor([&dialog] { return dialog.Started(); }, kTimeoutMs));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_EQ(Shown(dialog, "status"), QStringLiteral("Waiting for sysex data..."));

    switch (GetParam()) {
    case AbortBy::Button:
        QTest::mouseClick(AbortButton(dialog), Qt::LeftButton);
        break;
    case AbortBy::Enter:
        QTest::keyClick(&dialog, Qt::Key_Return);
        break;
    case AbortBy::Escape:
        QTest::keyClick(&dialog, Qt::Key_Escape);
        break;
    case AbortBy::CloseBox:
        dialog.close();
        break;
    }
    EXPECT_TRUE(dialog.Engine().Aborted());
    EXPECT_TRUE(dialog.isVisible()) << "the window waits for the worker";
    EXPECT_FALSE(dialog.Finished());

    gate.Open();
    ASSERT_TRUE(QTest::qWaitFor([&dialog] { return dialog.Finished(); }, kTimeoutMs));
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_FALSE(dialog.MakeDocument());
    EXPECT_TRUE(dialog.ReceivedBytes().empty());
    EXPECT_EQ(Shown(dialog, "value1"), QStringLiteral("0"));
    ASSERT_EQ(m_prompter.Messages().size(), 1u);
    EXPECT_EQ(m_prompter.Messages()[0].text, "Download aborted.");
    EXPECT_EQ(m_prompter.Messages()[0].caption, "MIDI Error");
    EXPECT_EQ(m_prompter.Messages()[0].icon, Prompter::Icon::Exclamation);
}

INSTANTIATE_TEST_SUITE_P(TransferDialog, AbortTest,
                         ::testing::Values(AbortBy::Button, AbortBy::Enter, AbortBy::Escape,
                                           AbortBy::CloseBox),
                         AbortName);

TEST_F(TransferDialogTest, ClosingTheOwnerMidTransferStopsTheWorker) {
    SimulatorBackend& simulator = InitSimulator();
    simulator.SetSendOnStart(false);
    auto dialog = std::make_unique<DMidiXmit>(QuietSettings(), m_prompter);
    NoPauses(*dialog);
    dialog->show();
    ASSERT_TRUE(QTest::qWaitFor([&dialog] { return dialog->Started(); }, kTimeoutMs));
    dialog.reset(); // joins the worker; its finished notice must not reach the destroyed window
    QCoreApplication::processEvents();
    EXPECT_TRUE(m_prompter.Messages().empty());
}

// --- upload -------------------------------------------------------------------------------------

TEST_F(TransferDialogTest, UploadArrivesIntactAtTheDevice) {
    SimulatorBackend& simulator = InitSimulator();
    const Bytes image = Riv10Device::DemoDump();
    simulator.Device().SetDump({});
    TransferSettings settings = QuietSettings();
    settings.bufferSize = 64; // many buffers: the port must wait for room again and again
    DMidiXmit dialog(image, settings, m_prompter);
    NoPauses(dialog);
    const auto* progress = dialog.findChild<QProgressBar*>(QStringLiteral("progress"));
    EXPECT_EQ(progress->maximum(), static_cast<int>(image.size())) << "the size is known before the start";

    ASSERT_TRUE(RunToEnd(dialog));
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.ErrorFlag());
    EXPECT_TRUE(m_prompter.Messages().empty());
    EXPECT_EQ(simulator.Device().ReceivedCount(), 1);
    EXPECT_EQ(simulator.Device().Dump(), image);
    EXPECT_EQ(simulator.Device().LastCheckCode(), 0);

    EXPECT_EQ(Shown(dialog, "status"), QStringLiteral("Closing MIDI devices..."));
    EXPECT_EQ(Shown(dialog, "label1"), QStringLiteral("Total data transmitted:"));
    EXPECT_EQ(Shown(dialog, "value1"), QString::number(image.size()));
    EXPECT_EQ(Shown(dialog, "label2"), QStringLiteral("Number of programs transmitted:"));
    EXPECT_EQ(Shown(dialog, "value2"), QStringLiteral("1"));
    EXPECT_EQ(progress->value(), progress->maximum());
}

TEST_F(TransferDialogTest, EscapeMidUploadLeavesTheDeviceOutsideTheMessage) {
    SimulatorBackend& simulator = InitSimulator();
    simulator.SetBaud(31250); // the MIDI wire rate, so Escape comes mid-message
    simulator.Device().SetDump({});
    const Bytes image = testdump::LargestDump();
    DMidiXmit dialog(image, QuietSettings(), m_prompter);
    NoPauses(dialog);
    dialog.show();
    // Past four buffers of 256 bytes, at least one has been on the wire.
    ASSERT_TRUE(QTest::qWaitFor([&dialog] { return Shown(dialog, "value1").toInt() >= 1100; }, kTimeoutMs));
    QTest::keyClick(&dialog, Qt::Key_Escape);
    ASSERT_TRUE(QTest::qWaitFor([&dialog] { return dialog.Finished(); }, kTimeoutMs));
    EXPECT_TRUE(m_prompter.Messages().empty());
    // The cut-off message was ended, so the device took it in (and found it short).
    ASSERT_EQ(simulator.Device().ReceivedCount(), 1);
    const Bytes received = simulator.Device().LastReceived();
    EXPECT_LT(received.size(), image.size());
    EXPECT_EQ(received.back(), 0xF7);
}

// --- test send ----------------------------------------------------------------------------------

struct SendCase {
    const char* name;
    Bytes bytes;
    unsigned transmitted;
    const char* box; // the "Data consistency error" text, or null
};

void PrintTo(const SendCase& c, std::ostream* os) {
    *os << c.name;
}

class TestSendTest : public TransferDialogTest, public ::testing::WithParamInterface<SendCase> {};

TEST_P(TestSendTest, SendsTheStringAndShowsTheCount) {
    InitSimulator();
    const SendCase& c = GetParam();
    DSimpleMidiSend dialog(c.bytes, QuietSettings(), m_prompter);
    NoPauses(dialog);

    ASSERT_TRUE(RunToEnd(dialog));
    EXPECT_EQ(dialog.TransmittedCount(), c.transmitted);
    EXPECT_EQ(Shown(dialog, "value1"), QString::number(c.transmitted));
    EXPECT_EQ(Shown(dialog, "label1"), QStringLiteral("Bytes transmitted:"));
    EXPECT_EQ(Shown(dialog, "bytes"), QString()) << "the bytes label is cleared";
    EXPECT_EQ(Shown(dialog, "label2"), QStringLiteral(" "));
    EXPECT_EQ(Shown(dialog, "status"), QStringLiteral("Closing MIDI devices..."));
    if (c.box == nullptr) {
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_FALSE(dialog.ErrorFlag());
        EXPECT_TRUE(m_prompter.Messages().empty());
    } else {
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_TRUE(dialog.ErrorFlag());
        ASSERT_EQ(m_prompter.Messages().size(), 1u);
        EXPECT_EQ(m_prompter.Messages()[0].text, c.box);
        EXPECT_EQ(m_prompter.Messages()[0].caption, "Data consistency error");
        EXPECT_EQ(m_prompter.Messages()[0].icon, Prompter::Icon::Stop);
    }
}

INSTANTIATE_TEST_SUITE_P(
    TransferDialog, TestSendTest,
    ::testing::Values(
        SendCase{"RunningStatus", {0x90, 0x3C, 0x40, 0x3C, 0x00}, 5, nullptr},
        SendCase{"SysexThenControl", {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7, 0xB0, 0x07, 0x64}, 9, nullptr},
        SendCase{"NoStatus", {0x3C, 0x40}, 0, "Error handling data string at byte 1."},
        SendCase{"MissingDataByte2",
                 {0x90, 0x3C},
                 0,
                 "Data string consistency error at byte 3.  Missing data byte 2."},
        SendCase{"UnclosedSysex",
                 {0xF0, 0x7E, 0x7F, 0x09, 0x01},
                 0,
                 "Data string consistency error at byte 1. System exclusive (F0) without an end (F7)."}),
    [](const ::testing::TestParamInfo<SendCase>& info) { return std::string(info.param.name); });

// --- a device that cannot be opened -------------------------------------------------------------

struct BadDeviceCase {
    const char* name;
    std::function<std::unique_ptr<TransferDialog>(const TransferSettings&, Prompter&)> make;
    const char* location;
};

void PrintTo(const BadDeviceCase& c, std::ostream* os) {
    *os << c.name;
}

class BadDeviceTest : public TransferDialogTest, public ::testing::WithParamInterface<BadDeviceCase> {};

TEST_P(BadDeviceTest, GivesOneDeviceErrorAndNothingElse) {
    InitSimulator();
    TransferSettings settings = QuietSettings();
    settings.promptBeforeDownload = true; // the start instructions must not follow a failed open
    settings.inputDevice = 7;
    settings.outputDevice = 7;
    std::unique_ptr<TransferDialog> dialog = GetParam().make(settings, m_prompter);
    NoPauses(*dialog);

    ASSERT_TRUE(RunToEnd(*dialog));
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    ASSERT_EQ(m_prompter.Messages().size(), 1u);
    const auto& box = m_prompter.Messages()[0];
    EXPECT_EQ(box.caption, "MIDI Device Error");
    EXPECT_EQ(box.icon, Prompter::Icon::Stop);
    EXPECT_NE(box.text.find(std::string("\nError location: ") + GetParam().location + "\n"),
              std::string::npos)
        << box.text;
    EXPECT_EQ(Shown(*dialog, "status"), QStringLiteral("Closing MIDI devices..."));
}

INSTANTIATE_TEST_SUITE_P(
    TransferDialog, BadDeviceTest,
    ::testing::Values(BadDeviceCase{"Download",
                                    [](const TransferSettings& s, Prompter& p) {
                                        return std::make_unique<DMidiXmit>(s, p);
                                    },
                                    "DMidiXmit (121)"},
                      BadDeviceCase{"Upload",
                                    [](const TransferSettings& s, Prompter& p) {
                                        return std::make_unique<DMidiXmit>(Riv10Device::DemoDump(), s, p);
                                    },
                                    "DMidiXmit (217)"},
                      BadDeviceCase{
                          "TestSend",
                          [](const TransferSettings& s, Prompter& p) {
                              return std::make_unique<DSimpleMidiSend>(Bytes{0x90, 0x3C, 0x40}, s, p);
                          },
                          "DSimpleMidiSend (86)"}),
    [](const ::testing::TestParamInfo<BadDeviceCase>& info) { return std::string(info.param.name); });

// --- elapsed time -------------------------------------------------------------------------------

TEST(TransferDialogElapsed, ShowsMinutesAndTwoDigitSeconds) {
    const std::vector<std::pair<qint64, const char*>> rows = {
        {0, "0:00"}, {999, "0:00"}, {59999, "0:59"}, {60000, "1:00"}, {754000, "12:34"}, {-5, "0:00"}};
    for (const auto& [ms, text] : rows)
        EXPECT_EQ(TransferDialog::FormatElapsed(ms), QString::fromLatin1(text)) << ms;
}
