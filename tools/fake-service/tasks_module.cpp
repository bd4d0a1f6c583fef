#include "tools/fake-service/fake_service.h"

namespace orb::fake {

namespace {

// Placeholder until the tasks endpoints are built: registers nothing.
class TasksModule : public FakeModule
{
public:
    void Register(httplib::Server&) override {}
    bool Seed(const Json::Value&, std::string&) override { return true; }
    void Reset() override {}
};

} // namespace

std::unique_ptr<FakeModule> MakeTasksModule(FakeService&)
{
    return std::make_unique<TasksModule>();
}

} // namespace orb::fake
