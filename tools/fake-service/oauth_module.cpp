#include "tools/fake-service/fake_service.h"

namespace orb::fake {

namespace {

// Placeholder until the OAuth endpoints are built: registers nothing.
class OAuthModule : public FakeModule
{
public:
    void Register(httplib::Server&) override {}
    bool Seed(const Json::Value&, std::string&) override { return true; }
    void Reset() override {}
};

} // namespace

std::unique_ptr<FakeModule> MakeOAuthModule(FakeService&)
{
    return std::make_unique<OAuthModule>();
}

} // namespace orb::fake
