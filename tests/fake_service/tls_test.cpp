#include "tests/fake_service/fake_service_test_support.h"

#include "tools/fake-service/self_signed_certificate.h"

namespace orb::fake::test {
namespace {

class Tls : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(WriteSelfSignedCertificate(MakeTemporaryFolder(), files, error)) << error;
        ASSERT_TRUE(service.Start(0, files)) << service.StartError();
    }

    httplib::Client Client() const
    {
        httplib::Client client(service.BaseUrl());
        client.set_connection_timeout(kClientTimeout);
        client.set_read_timeout(kClientTimeout);
        client.enable_server_certificate_verification(true);
        return client;
    }

    TlsFiles files;
    FakeService service;
};

TEST_F(Tls, AClientThatChecksCertificatesRefusesTheThrowAwayOne)
{
    EXPECT_EQ(service.BaseUrl(), "https://127.0.0.1:" + std::to_string(service.Port()));
    auto client = Client();
    auto answer = client.Get("/o/oauth2/approval");
    ASSERT_FALSE(answer);
    EXPECT_EQ(answer.error(), httplib::Error::SSLServerVerification);
    EXPECT_TRUE(service.Requests().empty()) << "nothing may pass over a refused connection";
}

TEST_F(Tls, AClientThatTrustsTheCertificateIsServedAndRecorded)
{
    auto client = Client();
    client.set_ca_cert_path(files.certificate.c_str());
    httplib::Headers form{{"Content-type", "application/x-www-form-urlencoded"}};
    auto answer = client.Post("/oauth2/v1/tokeninfo", form, "access_token=nope", "application/x-www-form-urlencoded");
    ASSERT_TRUE(answer) << answer.error();
    EXPECT_EQ(answer->status, 400);
    EXPECT_EQ(ParseJson(answer->body)["error"].asString(), "invalid_token");

    auto requests = service.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].target, "/oauth2/v1/tokeninfo");
    EXPECT_EQ(requests[0].body, "access_token=nope");
    EXPECT_EQ(requests[0].Header("Content-type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(requests[0].head.rfind("POST /oauth2/v1/tokeninfo HTTP/1.1\r\n", 0), 0u);
}

TEST_F(Tls, FaultsWorkOverTls)
{
    auto client = Client();
    client.set_ca_cert_path(files.certificate.c_str());
    service.FailNext(1, Fault{FaultKind::Drop});
    EXPECT_FALSE(client.Get("/o/oauth2/approval"));
    service.FailNext(1, Fault{FaultKind::Status, 503});
    auto answer = client.Get("/o/oauth2/approval");
    ASSERT_TRUE(answer) << answer.error();
    EXPECT_EQ(answer->status, 503);
}

TEST(TlsFilesCheck, StartRefusesMissingOrMismatchedFiles)
{
    std::string folder = MakeTemporaryFolder();
    TlsFiles first;
    TlsFiles second;
    std::string error;
    ASSERT_TRUE(WriteSelfSignedCertificate(folder, first, error)) << error;
    ASSERT_TRUE(WriteSelfSignedCertificate(MakeTemporaryFolder(), second, error)) << error;

    FakeService service;
    EXPECT_FALSE(service.Start(0, {folder + "/missing.pem", first.privateKey}));
    EXPECT_NE(service.StartError().find("certificate"), std::string::npos) << service.StartError();
    EXPECT_FALSE(service.Start(0, {first.certificate, ""}));
    EXPECT_FALSE(service.Start(0, {first.certificate, second.privateKey}));
    EXPECT_NE(service.StartError().find("private key"), std::string::npos) << service.StartError();
    EXPECT_TRUE(service.Start(0, first)) << service.StartError();
}

} // namespace
} // namespace orb::fake::test
