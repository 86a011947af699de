// The update check against a local web server on 127.0.0.1, and its release-number logic alone.
#include "app/UpdateCheck.h"
#include "app/UpdateReply.h"
#include "app/VersionNumber.h"
#include "support/ScriptedPrompter.h"

#include <gtest/gtest.h>

#include <QHostAddress>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>

#include <optional>
#include <string>
#include <vector>

namespace {

using Outcome = UpdateReply::Outcome;
using Icon = Prompter::Icon;

const VersionNumber kOwn(2, 5, 1, 0);
constexpr int kTestWaitMs = 10000;

std::string Http(const std::string& body, const std::string& status = "200 OK") {
    return "HTTP/1.1 " + status +
           "\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" +
           body;
}

// A one-shot web server: records the request and, once it is complete, answers as told.
class FakeWebServer {
public:
    enum class Mode {
        Answer,             // send the response, keep the connection open
        AnswerAndClose,     // send the response, then close
        CloseWithoutAnswer, // close as soon as the request is in
        Silent,             // accept, read, never answer
    };

    FakeWebServer(Mode mode, QByteArray response = {}) : m_mode(mode), m_response(std::move(response)) {
        m_server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection())
                QObject::connect(socket, &QTcpSocket::readyRead, socket,
                                 [this, socket] { OnRequest(socket); });
        });
    }

    bool IsListening() const { return m_server.isListening(); }
    quint16 Port() const { return m_server.serverPort(); }
    const QByteArray& Request() const { return m_request; }

private:
    void OnRequest(QTcpSocket* socket) {
        m_request += socket->readAll();
        if (m_answered || !m_request.contains("\r\n\r\n"))
            return;
        m_answered = true;
        if (m_mode == Mode::Answer || m_mode == Mode::AnswerAndClose)
            socket->write(m_response);
        if (m_mode == Mode::AnswerAndClose || m_mode == Mode::CloseWithoutAnswer)
            socket->disconnectFromHost();
    }

    Mode m_mode;
    QByteArray m_response;
    QByteArray m_request;
    bool m_answered = false;
    QTcpServer m_server; // last, so it goes first and no handler sees a half-destroyed server
};

class UpdateCheckTest : public ::testing::Test {
protected:
    UpdateCheckTest() {
        m_check.SetUrlOpener([this](const QUrl& url) {
            m_opened.push_back(url);
            return true;
        });
    }

    static UpdateCheck::Server Local(quint16 port) {
        UpdateCheck::Server server;
        server.hostname = QStringLiteral("127.0.0.1");
        server.port = port;
        return server;
    }

    // Runs one check to its end and returns the one message it showed.
    ScriptedPrompter::Entry Run(const UpdateCheck::Server& server) {
        QSignalSpy finished(&m_check, &UpdateCheck::finished);
        m_check.Start(server);
        EXPECT_TRUE(finished.wait(kTestWaitMs));
        EXPECT_FALSE(m_check.IsRunning());
        EXPECT_EQ(m_prompter.Messages().size(), 1u);
        return m_prompter.Messages().empty() ? ScriptedPrompter::Entry{} : m_prompter.Messages().back();
    }

    ScriptedPrompter m_prompter;
    UpdateCheck m_check{m_prompter, kOwn};
    std::vector<QUrl> m_opened;
};

TEST_F(UpdateCheckTest, SendsTheExactRequestAndDefaultsToTheMakersServer) {
    FakeWebServer web(FakeWebServer::Mode::AnswerAndClose, QByteArray::fromStdString(Http("2.5.1.0")));
    ASSERT_TRUE(web.IsListening());
    Run(Local(web.Port()));
    EXPECT_EQ(web.Request(), QByteArray("GET /Orlen/ziv/version.txt HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                                        "User-Agent: Tolvane\r\nAccept: text/plain;\r\n\r\n"));

    const UpdateCheck::Server defaults;
    EXPECT_EQ(defaults.port, 80);
    EXPECT_TRUE(defaults.hostname.endsWith(QLatin1String(".example")));
    EXPECT_EQ(defaults.downloadUrl, defaults.hostname + QLatin1String("/Orlen/ziv/download.html"));
}

struct WireCase {
    const char* name;
    FakeWebServer::Mode mode;
    std::string response;
    Outcome outcome;
    std::string kind;
    Icon icon;
    std::string text;
};

class UpdateCheckWireTest : public UpdateCheckTest, public ::testing::WithParamInterface<WireCase> {};

TEST_P(UpdateCheckWireTest, ShowsTheAnswer) {
    const WireCase& c = GetParam();
    FakeWebServer web(c.mode, QByteArray::fromStdString(c.response));
    ASSERT_TRUE(web.IsListening());
    const ScriptedPrompter::Entry shown = Run(Local(web.Port()));
    EXPECT_EQ(m_check.LastOutcome(), c.outcome);
    EXPECT_EQ(shown.kind, c.kind);
    EXPECT_EQ(shown.caption, "Tolvane");
    EXPECT_EQ(shown.icon, c.icon);
    EXPECT_EQ(shown.text, c.text);
    EXPECT_TRUE(m_opened.empty()); // the script answers No
}

const std::string kLatest = "You have the lastest version of Tolvane (2.5.1.0).";
const std::string kNotAvailable = "Current version information was not available.";
std::string Retrieval(const std::string& response) {
    return "An error occurred retrieving the current version.\nThe server returned \"" + response + "\".";
}

INSTANTIATE_TEST_SUITE_P(
    Answers, UpdateCheckWireTest,
    ::testing::Values(
        // Content-Length ends the answer without waiting for the server to close.
        WireCase{"EqualKeptOpen", FakeWebServer::Mode::Answer, Http("2.5.1.0"), Outcome::Latest, "message",
                 Icon::Information, kLatest},
        WireCase{"EqualUntilClose", FakeWebServer::Mode::AnswerAndClose, "HTTP/1.0 200 OK\r\n\r\n2.5.1.0",
                 Outcome::Latest, "message", Icon::Information, kLatest},
        WireCase{
            "Newer", FakeWebServer::Mode::Answer, Http("2.5.2.0"), Outcome::NewerAvailable, "ask",
            Icon::Question,
            "A more recent version (2.5.2.0) of Tolvane is available.\n\nWould you like to download it now?"},
        // Part by part: 10 is after 5, though "1" sorts before "5" as text.
        WireCase{"NewerByNumberNotByText", FakeWebServer::Mode::Answer, Http("2.10.0.0"),
                 Outcome::NewerAvailable, "ask", Icon::Question,
                 "A more recent version (2.10.0.0) of Tolvane is available.\n\nWould you like to download it "
                 "now?"},
        WireCase{"Older", FakeWebServer::Mode::Answer, Http("2.4.99.0"), Outcome::NewerThanRelease, "message",
                 Icon::Exclamation,
                 "You have a version of Tolvane that is newer than the general release (2.4.99.0)."},
        WireCase{"EmptyBody", FakeWebServer::Mode::Answer, Http(""), Outcome::NotAvailable, "message",
                 Icon::Stop, kNotAvailable},
        WireCase{"LineBreakAfterNumber", FakeWebServer::Mode::Answer, Http("2.5.1.0\r\n"),
                 Outcome::BadResponse, "message", Icon::Stop, Retrieval(Http("2.5.1.0\r\n"))},
        WireCase{"ErrorPage", FakeWebServer::Mode::AnswerAndClose, Http("Not here", "404 Not Found"),
                 Outcome::BadResponse, "message", Icon::Stop, Retrieval(Http("Not here", "404 Not Found"))},
        // A number-only body does not turn an error status into a release.
        WireCase{"ErrorStatusWithNumberBody", FakeWebServer::Mode::Answer,
                 Http("9.9.9.9", "503 Service Unavailable"), Outcome::BadResponse, "message", Icon::Stop,
                 Retrieval(Http("9.9.9.9", "503 Service Unavailable"))},
        WireCase{"ClosedWithoutAnswer", FakeWebServer::Mode::CloseWithoutAnswer, "", Outcome::BadResponse,
                 "message", Icon::Stop, Retrieval("")}),
    [](const ::testing::TestParamInfo<WireCase>& info) { return std::string(info.param.name); });

TEST_F(UpdateCheckTest, YesOpensTheDownloadPage) {
    FakeWebServer web(FakeWebServer::Mode::Answer, QByteArray::fromStdString(Http("3.0.0.0")));
    ASSERT_TRUE(web.IsListening());
    m_prompter.Answer(true);
    UpdateCheck::Server server = Local(web.Port());
    server.downloadUrl = QStringLiteral("downloads.morvik.example/Orlen/ziv/download.html");
    Run(server);
    ASSERT_EQ(m_opened.size(), 1u);
    EXPECT_EQ(m_opened[0].toString(),
              QStringLiteral("http://downloads.morvik.example/Orlen/ziv/download.html"));
}

TEST_F(UpdateCheckTest, ReadsNoMoreThanTheCap) {
    const std::string response = "HTTP/1.1 200 OK\r\n\r\n" + std::string(5000, '7');
    FakeWebServer web(FakeWebServer::Mode::Answer, QByteArray::fromStdString(response));
    ASSERT_TRUE(web.IsListening());
    const ScriptedPrompter::Entry shown = Run(Local(web.Port()));
    EXPECT_EQ(m_check.LastOutcome(), Outcome::BadResponse);
    EXPECT_EQ(shown.text, Retrieval(response.substr(0, UpdateReply::kMaxResponse)));
}

TEST_F(UpdateCheckTest, ClosedPortCannotConnect) {
    quint16 port = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        port = probe.serverPort();
    }
    const ScriptedPrompter::Entry shown = Run(Local(port));
    EXPECT_EQ(m_check.LastOutcome(), Outcome::ConnectFailed);
    EXPECT_EQ(shown.icon, Icon::Stop);
    EXPECT_EQ(shown.text,
              "Unable to connect to website.\nConnection error (0).\nIf you have a dialup internet "
              "connection, please establish it and then try again.");
}

TEST_F(UpdateCheckTest, SilentServerTimesOut) {
    FakeWebServer web(FakeWebServer::Mode::Silent);
    ASSERT_TRUE(web.IsListening());
    m_check.SetTimeouts(UpdateCheck::kDefaultConnectTimeoutMs, 100);
    const ScriptedPrompter::Entry shown = Run(Local(web.Port()));
    EXPECT_EQ(m_check.LastOutcome(), Outcome::NotAvailable);
    EXPECT_EQ(shown.text, kNotAvailable);
    EXPECT_FALSE(web.Request().isEmpty());
}

TEST_F(UpdateCheckTest, HostThatCannotBeResolved) {
    UpdateCheck::Server server;
    server.hostname = QString(); // fails the lookup at once, without asking a name server
    const ScriptedPrompter::Entry shown = Run(server);
    EXPECT_EQ(m_check.LastOutcome(), Outcome::LookupFailed);
    EXPECT_EQ(shown.text, "IP address lookup failed.\nIf you have a dialup internet connection, please "
                          "establish it and then try again.");
}

TEST_F(UpdateCheckTest, StartingAgainAbandonsTheCheckUnderWay) {
    FakeWebServer silent(FakeWebServer::Mode::Silent);
    FakeWebServer web(FakeWebServer::Mode::Answer, QByteArray::fromStdString(Http("2.5.1.0")));
    ASSERT_TRUE(silent.IsListening() && web.IsListening());
    QSignalSpy finished(&m_check, &UpdateCheck::finished);
    m_check.Start(Local(silent.Port()));
    ASSERT_TRUE(m_check.IsRunning());
    const ScriptedPrompter::Entry shown = Run(Local(web.Port()));
    EXPECT_EQ(shown.text, kLatest);
    EXPECT_EQ(finished.count(), 1);
}

// Release numbers alone.

struct ParseCase {
    const char* text;
    std::optional<VersionNumber> expected;
};

class VersionNumberParseTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(VersionNumberParseTest, ParsesFourNumbersOnly) {
    const std::optional<VersionNumber> parsed = VersionNumber::Parse(GetParam().text);
    ASSERT_EQ(parsed.has_value(), GetParam().expected.has_value()) << GetParam().text;
    if (parsed) {
        EXPECT_EQ(parsed->Parts(), GetParam().expected->Parts());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, VersionNumberParseTest,
    ::testing::Values(ParseCase{"2.5.1.0", VersionNumber(2, 5, 1, 0)},
                      ParseCase{"02.010.0.7", VersionNumber(2, 10, 0, 7)},
                      ParseCase{"999999999.0.0.1", VersionNumber(999999999, 0, 0, 1)},
                      ParseCase{"", std::nullopt}, ParseCase{"2.5.1", std::nullopt},
                      ParseCase{"2.5.1.0.0", std::nullopt}, ParseCase{"2..1.0", std::nullopt},
                      ParseCase{".2.5.1", std::nullopt}, ParseCase{"2.5.1.", std::nullopt},
                      ParseCase{"2.5.1.0\n", std::nullopt}, ParseCase{"2.5.-1.0", std::nullopt},
                      ParseCase{"1000000000.0.0.0", std::nullopt}));

TEST(VersionNumberTest, OrdersPartByPart) {
    EXPECT_LT(VersionNumber(2, 5, 1, 0), VersionNumber(2, 10, 0, 0));
    EXPECT_LT(VersionNumber(2, 5, 1, 0), VersionNumber(2, 5, 1, 1));
    EXPECT_LT(VersionNumber(1, 99, 99, 99), VersionNumber(2, 0, 0, 0));
    EXPECT_EQ(VersionNumber(2, 5, 1, 0).Compare(VersionNumber(2, 5, 1, 0)), 0);
    EXPECT_GT(VersionNumber(3, 0, 0, 0).Compare(VersionNumber(2, 10, 0, 0)), 0);
    EXPECT_EQ(VersionNumber(2, 10, 0, 3).ToString(), "2.10.0.3");
    EXPECT_EQ(VersionNumber::Own().Parts()[3], 0u);
}

struct CompleteCase {
    const char* name;
    std::string received;
    bool complete;
};

class UpdateReplyCompleteTest : public ::testing::TestWithParam<CompleteCase> {};

TEST_P(UpdateReplyCompleteTest, KnowsWhenTheAnswerIsIn) {
    EXPECT_EQ(UpdateReply::IsComplete(GetParam().received), GetParam().complete);
}

INSTANTIATE_TEST_SUITE_P(
    Framing, UpdateReplyCompleteTest,
    ::testing::Values(CompleteCase{"HeadersUnfinished", "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n", false},
                      CompleteCase{"BodyShort", "HTTP/1.1 200 OK\r\nContent-Length: 7\r\n\r\n2.5.1", false},
                      CompleteCase{"BodyWhole", "HTTP/1.1 200 OK\r\ncontent-LENGTH:  7 \r\n\r\n2.5.1.0",
                                   true},
                      CompleteCase{"EmptyBody", "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n", true},
                      CompleteCase{"NoLengthWaitsForClose", "HTTP/1.1 200 OK\r\n\r\n2.5.1.0", false},
                      CompleteCase{"BadLength", "HTTP/1.1 200 OK\r\nContent-Length: x\r\n\r\n", false},
                      CompleteCase{"CapReached", std::string(UpdateReply::kMaxResponse, 'a'), true}),
    [](const ::testing::TestParamInfo<CompleteCase>& info) { return std::string(info.param.name); });

TEST(UpdateReplyTest, JudgesOnlyWhatComesBeforeAZeroByte) {
    const char raw[] = "HTTP/1.1 200 OK\r\n\r\n2.5.1.0\0trailing";
    const std::string received(raw, sizeof raw - 1);
    EXPECT_EQ(UpdateReply::Evaluate(received, kOwn).outcome, Outcome::Latest);
    const char rawCut[] = "HTTP/1.1 200\0 OK\r\n\r\n2.5.1.0";
    const std::string cut(rawCut, sizeof rawCut - 1);
    EXPECT_EQ(UpdateReply::Evaluate(cut, kOwn).text, Retrieval("HTTP/1.1 200"));
}

TEST(UpdateReplyTest, RejectsWhatIsNotAReleaseNumber) {
    for (const char* received :
         {"2.5.1.0", "HTTP/1.1 200 OK\r\n\r\n2.5.1", "HTTP/1.1 200 OK\r\n\r\n2.5.1.0.0",
          "HTTP/1.1 2000 OK\r\n\r\n2.5.1.0", "HTTP/1.1 OK\r\n\r\n2.5.1.0", "ICY 200 OK\r\n\r\n2.5.1.0"}) {
        EXPECT_EQ(UpdateReply::Evaluate(received, kOwn).text, Retrieval(received)) << received;
    }
    // Bytes that are not UTF-8 are shown one character each.
    EXPECT_EQ(UpdateReply::Evaluate("\xE9", kOwn).text, Retrieval("\xC3\xA9"));
}

} // namespace
