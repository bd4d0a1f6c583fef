#include "app/shell_core/login_page_protocol.h"

#include "service/oauth.h"

#include <gtest/gtest.h>

namespace orb {
namespace {

// The helper builds its addresses from what it reads: the consent and approval pages must
// come out exactly as the program would build them.
TEST(LoginPageProtocol, TheHelperReadsBackTheSameAddressesAndRefusesAPartialRequest)
{
    ServiceConfig config = ServiceConfig::Defaults();
    config.SetAccountsBase("http://127.0.0.1:4711");
    config.apiBase = "http://127.0.0.1:4711";
    config.clientId = "client=with=equals";
    config.redirectUri = "urn:ietf:wg:oauth:2.0:oob:auto";
    config.clientSecret = "never-sent-to-the-page";

    const std::string request = LoginPageRequest(config);
    EXPECT_EQ(request.find("never-sent-to-the-page"), std::string::npos);
    const std::optional<ServiceConfig> read = ReadLoginPageRequest(request);
    ASSERT_TRUE(read);
    EXPECT_EQ(ConsentPageUrl(*read), ConsentPageUrl(config));
    EXPECT_TRUE(IsApprovalPage(ApprovalPageUrl(config) + "?x=1", *read));

    EXPECT_FALSE(ReadLoginPageRequest(""));
    EXPECT_FALSE(ReadLoginPageRequest(request.substr(0, request.size() - 1))) << "no closing empty line";
    EXPECT_FALSE(ReadLoginPageRequest("apiBase=x\n" + request)) << "keys out of order";

    // A line break in a value must not forge the next key.
    config.authUri = "http://evil\nclientId=forged";
    const std::optional<ServiceConfig> forged = ReadLoginPageRequest(LoginPageRequest(config));
    ASSERT_TRUE(forged);
    EXPECT_EQ(forged->authUri, "");
    EXPECT_EQ(forged->clientId, "client=with=equals");
}

} // namespace
} // namespace orb
