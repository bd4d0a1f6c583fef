#include "service/curl_transport.h"
#include "service/oauth.h"
#include "service/trusted_certificates.h"
#include "tests/support/doubles.h"
#include "tools/fake-service/fake_service.h"
#include "tools/fake-service/self_signed_certificate.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace orb {
namespace {

using fake::FakeService;
using fake::Fault;
using fake::FaultKind;

class CurlTransportTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(service.Start()) << service.StartError();
        session.set_tokens("ya29.token", "Bearer");
    }

    std::string Url(const std::string& target) const { return service.BaseUrl() + target; }
    std::string Host() const { return "Host: 127.0.0.1:" + std::to_string(service.Port()) + "\r\n"; }

    fake::RecordedRequest OnlyRequest() const
    {
        const auto requests = service.Requests();
        EXPECT_EQ(requests.size(), 1u);
        return requests.empty() ? fake::RecordedRequest{} : requests.back();
    }

    FakeService service;
    OAuthSession session;
    CurlTransport transport{session};
};

TEST_F(CurlTransportTest, EachVerbSendsExactlyItsHeaderBlockAndTarget)
{
    const std::string json = "Authorization: Bearer ya29.token\r\nContent-Type: application/json\r\n";
    std::string response;
    const std::string target = "/calendar/v3/calendars/a%40b%23c/events?q=%22x%20y%22&pageToken=p+q";

    ASSERT_EQ(transport.HttpGet(Url(target), "", response).code, kHttpCompleted);
    EXPECT_EQ(OnlyRequest().head, "GET " + target + " HTTP/1.1\r\n" + Host() +
                                      "User-Agent: Request\r\nAccept-Encoding: gzip\r\n"
                                      "Authorization: Bearer ya29.token\r\n"
                                      "Content-type: application/x-www-form-urlencoded\r\n\r\n");
    service.ClearRequests();

    for (const char* verb : {"POST", "PUT", "PATCH", "DELETE"}) {
        const std::string body = std::string("{\"verb\": \"") + verb + "\"}";
        const std::string verbName = verb;
        int result = -1;
        if (verbName == "POST")
            result = transport.HttpPost(Url(target), body, response, json).code;
        else if (verbName == "PUT")
            result = transport.HttpPut(Url(target), body, response, json).code;
        else if (verbName == "PATCH")
            result = transport.HttpPatch(Url(target), body, response, json).code;
        else
            result = transport.HttpDelete(Url(target), body, response, json).code;
        ASSERT_EQ(result, kHttpCompleted) << verb;
        const fake::RecordedRequest sent = OnlyRequest();
        EXPECT_EQ(sent.head, verbName + " " + target + " HTTP/1.1\r\n" + Host() +
                                 "User-Agent: Request\r\nAccept-Encoding: gzip\r\n" + json +
                                 "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n")
            << verb;
        EXPECT_EQ(sent.body, body) << verb;
        service.ClearRequests();
    }
}

TEST_F(CurlTransportTest, EmptyBodySendsContentLengthZero)
{
    std::string response;
    ASSERT_EQ(transport.HttpDelete(Url("/x"), "", response, "Authorization: Bearer ya29.token\r\n").code,
              kHttpCompleted);
    const fake::RecordedRequest sent = OnlyRequest();
    EXPECT_EQ(sent.method, "DELETE");
    EXPECT_EQ(sent.Header("Content-Length"), "0");
    EXPECT_EQ(sent.body, "");
    EXPECT_FALSE(sent.HasHeader("Content-Type"));
    EXPECT_FALSE(sent.HasHeader("Accept"));
}

TEST_F(CurlTransportTest, ErrorStatusIsACompletedExchangeWithItsBody)
{
    service.FailNext(1, Fault{FaultKind::Status, 404});
    std::string response;
    int status = 0;
    const TransportResult result = transport.HttpGet(Url("/calendar/v3/calendars/none/events"), "", response);
    ASSERT_EQ(result.code, kHttpCompleted);
    status = result.status;
    EXPECT_EQ(status, 404);
    EXPECT_NE(response.find("\"error\""), std::string::npos);
    EXPECT_NE(response.find("404"), std::string::npos);
}

TEST_F(CurlTransportTest, ConnectionRefusedGivesCannotConnect)
{
    const std::string url = Url("/x");
    service.Stop();
    std::string response;
    const TransportResult result = transport.HttpGet(url, "", response);
    EXPECT_EQ(result.code, wininet::kCannotConnect);
    test::RecordingDiagnostics diagnostics;
    ReportTransportFailure(diagnostics, result);
    ASSERT_EQ(diagnostics.Lines().size(), 1u);
    EXPECT_NE(diagnostics.Lines()[0].find("(Cannot connect)12029"), std::string::npos);
}

TEST_F(CurlTransportTest, StalledAnswerTimesOutInsteadOfHanging)
{
    // One second of stall tolerance keeps the test short; the program's own limit is 30 s.
    CurlTransport impatient(session, {kConnectTimeout, std::chrono::seconds(1)});
    service.FailNext(1, Fault{FaultKind::Stall, 200, std::chrono::seconds(60)});
    std::string response;
    EXPECT_EQ(impatient.HttpGet(Url("/x"), "", response).code, wininet::kTimeout);
}

TEST_F(CurlTransportTest, AnswersPastTheLimitOrTheDeadlineAreFailuresNotMemoryOrHangs)
{
    CurlTransportOptions small;
    small.answerLimit = 64;
    CurlTransport bounded(session, small);
    service.FailNext(1, Fault{FaultKind::Status, 404}); // a Google-shaped error document
    std::string response;
    TransportResult result = bounded.HttpGet(Url("/x"), "", response);
    EXPECT_EQ(result.code, wininet::kInvalidServerResponse);
    EXPECT_EQ(result.errorText, "the answer is larger than 64 bytes");
    EXPECT_EQ(response, "");

    // A byte every 300 ms passes the one-second stall check; only the deadline ends it.
    CurlTransportOptions patient{kConnectTimeout, std::chrono::seconds(1)};
    patient.deadline = std::chrono::milliseconds(1500);
    CurlTransport trickled(session, patient);
    service.FailNext(1, Fault{FaultKind::Trickle, 200, std::chrono::milliseconds(300)});
    result = trickled.HttpGet(Url("/x"), "", response);
    EXPECT_EQ(result.code, wininet::kTimeout);
}

TEST_F(CurlTransportTest, ARateLimitedListingIsRepeatedAfterTheServicesRetryAfter)
{
    std::vector<long long> waits;
    transport.retry.retries = kProgramRetries;
    transport.retry.wait = [&](std::chrono::milliseconds wait) {
        waits.push_back(wait.count());
        return true;
    };
    service.FailNext(1, Fault{FaultKind::Status, 429});
    std::string response;
    // The stand-in does not know this token: the repeat is answered 401, after the wait.
    EXPECT_EQ(transport.HttpGet(Url("/calendar/v3/users/me/calendarList"), "", response).status, 401);
    EXPECT_EQ(waits, std::vector<long long>{1000});
    EXPECT_EQ(service.Requests().size(), 2u);
}

TEST_F(CurlTransportTest, DroppedConnectionIsAFailureNotAShortAnswer)
{
    service.FailNext(1, Fault{FaultKind::Drop});
    std::string response;
    EXPECT_EQ(transport.HttpGet(Url("/x"), "", response).code, wininet::kConnectionAborted);
    EXPECT_EQ(response, "");
}

TEST_F(CurlTransportTest, OtherSchemesNeverReachTheNetwork)
{
    std::string response;
    const std::string ftp = "ftp://127.0.0.1:" + std::to_string(service.Port()) + "/x";
    EXPECT_EQ(transport.HttpPost(ftp, "", response, "").code, wininet::kUnrecognizedScheme);
    EXPECT_TRUE(service.Requests().empty());
}

TEST(CurlTransportTls, UntrustedCertificateIsRefused)
{
    const auto dir = std::filesystem::temp_directory_path() / ("orb-tls-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    fake::TlsFiles files;
    std::string error;
    ASSERT_TRUE(fake::WriteSelfSignedCertificate(dir.string(), files, error)) << error;
    FakeService service;
    ASSERT_TRUE(service.Start(0, files)) << service.StartError();
    ASSERT_EQ(service.BaseUrl().rfind("https://", 0), 0u);

    OAuthSession session;
    CurlTransport transport(session);
    std::string response;
    // The tokens would travel in this request: it must never go to an unverified peer.
    EXPECT_EQ(
        transport
            .HttpPost(service.BaseUrl() + "/o/oauth2/token", "refresh_token=secret", response, kFormContentTypeLine)
            .code,
        wininet::kInvalidCaCert);
    EXPECT_TRUE(service.Requests().empty());
    std::filesystem::remove_all(dir);
}

// What a company proxy's CaFile adds is trusted, and only that: another self-made
// certificate is still refused.
TEST(CurlTransportTls, ExtraCertificatesTrustTheirServerAndNoOther)
{
    const auto dir = std::filesystem::temp_directory_path() / ("orb-tls-extra-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir / "served");
    std::filesystem::create_directories(dir / "other");
    fake::TlsFiles served;
    fake::TlsFiles other;
    std::string error;
    ASSERT_TRUE(fake::WriteSelfSignedCertificate((dir / "served").string(), served, error)) << error;
    ASSERT_TRUE(fake::WriteSelfSignedCertificate((dir / "other").string(), other, error)) << error;
    FakeService service;
    ASSERT_TRUE(service.Start(0, served)) << service.StartError();
    OAuthSession session;
    const auto post = [&](const fake::TlsFiles& trusted) {
        CurlTransportOptions options;
        EXPECT_TRUE(ReadCaFile(trusted.certificate, options.extraCertificates, error)) << error;
        CurlTransport transport(session, options);
        std::string response;
        return transport.HttpPost(service.BaseUrl() + "/oauth2/v1/tokeninfo", "access_token=nope", response,
                                  kFormContentTypeLine);
    };
    EXPECT_EQ(post(other).code, wininet::kInvalidCaCert);
    EXPECT_TRUE(service.Requests().empty());
    const TransportResult trusted = post(served);
    EXPECT_EQ(trusted.code, kHttpCompleted) << trusted.errorText;
    EXPECT_EQ(trusted.status, 400); // the stand-in's answer to an unknown token
    EXPECT_EQ(service.Requests().size(), 1u);
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace orb
