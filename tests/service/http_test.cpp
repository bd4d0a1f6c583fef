#include "service/curl_transport.h"
#include "service/http.h"
#include "tests/support/doubles.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace orb {
namespace {

TEST(RequestUrl, SplitsHostPortAndKeepsTargetAsWritten)
{
    HttpRequest request;
    ASSERT_EQ(ParseRequestUrl("https://api.test/calendar/v3/calendars/a%40b/events?q=x%20y&z=1", request), 0);
    EXPECT_EQ(request.scheme, "https");
    EXPECT_EQ(request.host, "api.test");
    EXPECT_EQ(request.port, 443);
    EXPECT_EQ(request.target, "/calendar/v3/calendars/a%40b/events?q=x%20y&z=1");

    // The port is the connection's, never part of the target.
    ASSERT_EQ(ParseRequestUrl("http://127.0.0.1:8080/o/oauth2/token", request), 0);
    EXPECT_EQ(request.host, "127.0.0.1");
    EXPECT_EQ(request.port, 8080);
    EXPECT_EQ(request.target, "/o/oauth2/token");

    ASSERT_EQ(ParseRequestUrl("HTTP://host.test?x=1", request), 0);
    EXPECT_EQ(request.port, 80);
    EXPECT_EQ(request.target, "/?x=1");
}

TEST(RequestUrl, RefusesOtherSchemesAndMalformedAddresses)
{
    HttpRequest request;
    EXPECT_EQ(ParseRequestUrl("ftp://host.test/file", request), wininet::kUnrecognizedScheme);
    EXPECT_EQ(ParseRequestUrl("file:///etc/passwd", request), wininet::kUnrecognizedScheme);
    EXPECT_EQ(ParseRequestUrl("no scheme at all", request), wininet::kInvalidUrl);
    EXPECT_EQ(ParseRequestUrl("https:///path", request), wininet::kInvalidUrl);
    EXPECT_EQ(ParseRequestUrl("https://host:99999/", request), wininet::kInvalidUrl);
    EXPECT_EQ(ParseRequestUrl("https://host:/", request), wininet::kInvalidUrl);
    EXPECT_EQ(ParseRequestUrl("https://user:pw@host/", request), wininet::kInvalidUrl);
    EXPECT_EQ(ParseRequestUrl("https://host/a b", request), wininet::kInvalidUrl);
    EXPECT_EQ(ParseRequestUrl("https://host/a\r\nX-Injected: 1", request), wininet::kInvalidUrl);
}

class TransportVerbs : public ::testing::Test
{
protected:
    test::ScriptedServiceContext services;
};

TEST_F(TransportVerbs, GetBuildsItsOwnAuthorizationAndFormLines)
{
    std::string response;
    services.transport.Queue("{\"items\":[]}");
    ASSERT_EQ(services.transport.HttpGet("https://api.test/x?y=1", "", response).code, kHttpCompleted);
    ASSERT_EQ(services.transport.requests.size(), 1u);
    const HttpRequest& sent = services.transport.requests[0];
    EXPECT_EQ(sent.verb, "GET");
    EXPECT_EQ(sent.headerBlock, "Authorization: Bearer access-1\r\n"
                                "Content-type: application/x-www-form-urlencoded\r\n\r\n\r\n");
    EXPECT_EQ(response, "{\"items\":[]}");
}

TEST_F(TransportVerbs, OtherVerbsSendExactlyTheCallersLines)
{
    const std::string lines = "Authorization: Bearer t\r\nContent-Type: application/json\r\n";
    std::string response = "kept:";
    services.transport.Queue("{}", 404);
    const TransportResult patched = services.transport.HttpPatch("https://api.test/p", "{\"a\":1}", response, lines);
    EXPECT_EQ(patched.code, 0);
    const int status = patched.status;
    services.transport.Queue("");
    EXPECT_EQ(services.transport.HttpPut("https://api.test/p", "", response, lines).code, 0);
    services.transport.Queue("");
    EXPECT_EQ(services.transport.HttpDelete("https://api.test/p", "", response, "").code, 0);
    services.transport.Queue("");
    EXPECT_EQ(services.transport.HttpPost("https://api.test/p", "b", response, lines).code, 0);

    ASSERT_EQ(services.transport.requests.size(), 4u);
    EXPECT_EQ(services.transport.requests[0].verb, "PATCH");
    EXPECT_EQ(services.transport.requests[0].headerBlock, lines + "\r\n\r\n");
    EXPECT_EQ(services.transport.requests[0].body, "{\"a\":1}");
    EXPECT_EQ(services.transport.requests[1].verb, "PUT");
    EXPECT_EQ(services.transport.requests[2].verb, "DELETE");
    EXPECT_EQ(services.transport.requests[2].headerBlock, "\r\n\r\n");
    EXPECT_EQ(services.transport.requests[3].verb, "POST");
    // A 404 is a completed exchange; the answer is appended to what the caller had.
    EXPECT_EQ(status, 404);
    EXPECT_EQ(response, "kept:{}");
}

TEST_F(TransportVerbs, UnrecognisedSchemeSendsNothing)
{
    std::string response;
    EXPECT_EQ(services.transport.HttpPost("ftp://api.test/x", "", response, "").code, wininet::kUnrecognizedScheme);
    EXPECT_TRUE(services.transport.requests.empty());
}

class ThrowingTransport : public HttpTransport
{
public:
    using HttpTransport::HttpTransport;

protected:
    int Send(const HttpRequest&, HttpResponse&) override { throw std::runtime_error(std::string(400, 'x')); }
};

TEST(TransportFailures, ExceptionBecomesResultOneWithItsMessage)
{
    OAuthSession session;
    ThrowingTransport transport(session);
    std::string response = "old";
    EXPECT_EQ(transport.HttpPost("https://api.test/x", "", response, "").code, kHttpException);
    EXPECT_EQ(response, std::string(255, 'x'));
}

TEST(TransportFailures, ReportLineUsesCarrierTextOrTableAndAppendsTheCode)
{
    test::RecordingDiagnostics diagnostics;
    ReportTransportFailure(diagnostics, {12029, 0, ""}, FailureLineStyle::TokenOperation);
    ReportTransportFailure(diagnostics, {12003, 0, ""}, FailureLineStyle::Client);
    ReportTransportFailure(diagnostics, {12002, 0, "Operation timed out after 30001 milliseconds"},
                           FailureLineStyle::Client);
    const auto lines = diagnostics.Lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "Send_Internet Fail : (Cannot connect)12029");
    EXPECT_EQ(lines[1], "UnKnown12003");
    EXPECT_EQ(lines[2], "Operation timed out after 30001 milliseconds (Timeout)12002");
}

TEST(CurlCodes, MapToWinInetStyleNumbers)
{
    EXPECT_EQ(CurlResultToWinInet(7 /*COULDNT_CONNECT*/, 0), 12029);
    EXPECT_EQ(CurlResultToWinInet(6 /*COULDNT_RESOLVE_HOST*/, 0), 12007);
    EXPECT_EQ(CurlResultToWinInet(28 /*OPERATION_TIMEDOUT*/, 0), 12002);
    EXPECT_EQ(CurlResultToWinInet(1 /*UNSUPPORTED_PROTOCOL*/, 0), 12006);
    EXPECT_EQ(CurlResultToWinInet(60 /*PEER_FAILED_VERIFICATION*/, 0), 12045);
    EXPECT_EQ(CurlResultToWinInet(56 /*RECV_ERROR*/, 104 /*ECONNRESET*/), 12031);
    EXPECT_EQ(CurlResultToWinInet(56 /*RECV_ERROR*/, 0), 12030);
}

TEST(CurlCodes, RefusedPeersAreToldApartByTheCertificateChecksOwnResult)
{
    EXPECT_EQ(PeerVerificationToWinInet(0 /*chain fine, host name refused*/), wininet::kSecCertCnInvalid);
    EXPECT_EQ(PeerVerificationToWinInet(62 /*HOSTNAME_MISMATCH*/), wininet::kSecCertCnInvalid);
    EXPECT_EQ(PeerVerificationToWinInet(10 /*CERT_HAS_EXPIRED*/), wininet::kSecCertDateInvalid);
    EXPECT_EQ(PeerVerificationToWinInet(9 /*CERT_NOT_YET_VALID*/), wininet::kSecCertDateInvalid);
    EXPECT_EQ(PeerVerificationToWinInet(18 /*DEPTH_ZERO_SELF_SIGNED_CERT*/), wininet::kInvalidCaCert);
    EXPECT_EQ(PeerVerificationToWinInet(20 /*UNABLE_TO_GET_ISSUER_CERT_LOCALLY*/), wininet::kInvalidCaCert);
}

TEST(CurlCodes, HeaderBlockSplitsIntoLinesWithoutTheBlankEnd)
{
    EXPECT_EQ(SplitHeaderBlock("A: 1\r\nB: 2\r\n\r\n\r\n"), (std::vector<std::string>{"A: 1", "B: 2"}));
    EXPECT_TRUE(SplitHeaderBlock("\r\n\r\n").empty());
}

// The program's retry rules over a scripted carrier, with the waits recorded instead of slept.
class RetryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        transport.retry.retries = kProgramRetries;
        transport.retry.report = [this](const std::string& line) { reports.push_back(line); };
        transport.retry.wait = [this](std::chrono::milliseconds wait) {
            waits.push_back(wait.count());
            return true;
        };
    }

    TransportResult Get()
    {
        answer.clear();
        return transport.HttpGet("https://api.test/list", "", answer);
    }
    TransportResult Post()
    {
        answer.clear();
        return transport.HttpPost("https://api.test/list", "{}", answer, kJsonContentTypeLine);
    }

    OAuthSession session;
    test::ScriptedTransport transport{session};
    std::vector<std::string> reports;
    std::vector<long long> waits;
    std::string answer;
};

TEST_F(RetryTest, ListingsAreRepeatedThriceWithGrowingJitteredWaitsThenFail)
{
    for (int i = 0; i < 4; ++i)
        transport.Queue("busy " + std::to_string(i), 503);
    const TransportResult result = Get();
    EXPECT_EQ(result.status, 503);
    EXPECT_EQ(answer, "busy 3"); // only the last answer, not all four
    ASSERT_EQ(waits.size(), 3u);
    for (std::size_t i = 0; i < waits.size(); ++i) {
        const long long base = 500LL << i;
        EXPECT_GE(waits[i], base * 3 / 4) << i;
        EXPECT_LE(waits[i], base * 5 / 4) << i;
    }
    ASSERT_EQ(reports.size(), 3u);
    EXPECT_EQ(reports[0].rfind("Retrying GET https://api.test/list in ", 0), 0u) << reports[0];
    EXPECT_NE(reports[0].find("after HTTP 503"), std::string::npos);

    // A dropped answer, then success: one retry, and the answer is the good one alone.
    transport.QueueFailure(wininet::kConnectionReset);
    transport.Queue("{}", 200);
    EXPECT_EQ(Get().status, 200);
    EXPECT_EQ(answer, "{}");
    // Not worth repeating: a refusal, or a peer that failed verification.
    transport.Queue("{}", 404);
    EXPECT_EQ(Get().status, 404);
    transport.QueueFailure(wininet::kInvalidCaCert);
    EXPECT_EQ(Get().code, wininet::kInvalidCaCert);
    EXPECT_EQ(transport.requests.size(), 4u + 2u + 1u + 1u);
}

TEST_F(RetryTest, WritesAreRepeatedOnlyWhenTheyNeverLeftOrTheServiceAsksWithRetryAfter)
{
    transport.QueueFailure(wininet::kCannotConnect);
    transport.Queue("{}", 200);
    EXPECT_EQ(Post().status, 200);
    transport.Queue(test::ScriptedAnswer{kHttpCompleted, 429, "slow down", 1});
    transport.Queue("{}", 200);
    EXPECT_EQ(Post().status, 200);
    EXPECT_EQ(waits.back(), 1000); // the service's own wait, not the backoff
    EXPECT_EQ(transport.requests.size(), 4u);

    // Possibly applied already: never sent twice.
    transport.Queue("oops", 500);
    EXPECT_EQ(Post().status, 500);
    transport.Queue("busy", 503);
    EXPECT_EQ(Post().status, 503);
    transport.QueueFailure(wininet::kConnectionAborted);
    EXPECT_EQ(Post().code, wininet::kConnectionAborted);
    EXPECT_EQ(transport.requests.size(), 7u);

    // A wait longer than the program will make is no retry; neither is one after Stop.
    transport.Queue(test::ScriptedAnswer{kHttpCompleted, 503, "", 3600});
    EXPECT_EQ(Get().status, 503);
    // After Stop nothing more is sent at all: it fails as cancelled.
    transport.Stop();
    transport.Queue("busy", 503);
    EXPECT_EQ(Get().code, 12017);
    EXPECT_EQ(transport.requests.size(), 8u);
}

} // namespace
} // namespace orb
