#include "tools/fake-service/fake_service.h"

// Placeholder core; the server itself is being built.
namespace orb::fake {

struct FakeService::Impl
{};

FakeService::FakeService() : impl_(std::make_unique<Impl>()) {}
FakeService::~FakeService() = default;

} // namespace orb::fake
