#include "tools/fake-service/fake_service.h"

namespace orb::fake {

namespace {

// Placeholder until the calendar endpoints are built: registers nothing.
class CalendarModule : public FakeModule
{
public:
    void Register(httplib::Server&) override {}
    bool Seed(const Json::Value&, std::string&) override { return true; }
    void Reset() override {}
};

} // namespace

std::unique_ptr<FakeModule> MakeCalendarModule(FakeService&)
{
    return std::make_unique<CalendarModule>();
}

} // namespace orb::fake
