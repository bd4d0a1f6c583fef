#pragma once

namespace httplib {
class Server;
}

namespace orb::fake {

class FakeService;

// The routes under /__control/ through which tests and scripts drive the stand-in from
// outside its process. They are never recorded, never meet a fault and need no token.
void RegisterControlRoutes(httplib::Server& server, FakeService& service);

} // namespace orb::fake
