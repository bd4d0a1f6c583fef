#pragma once

namespace httplib {
class Server;
struct Request;
struct Response;
} // namespace httplib

namespace orb::fake {

class FakeService;

// The routes under /__control/ through which tests and scripts drive the stand-in from
// outside its process. They are never recorded, never meet a fault and need no access token.
void RegisterControlRoutes(httplib::Server& server, FakeService& service);

// The control routes hand out tokens and secrets and can rewrite the state file, so only a
// local program that read the printed key may use them; a web page may not, not even through
// a host name rebound to 127.0.0.1. Answers 403 with the reason and returns false unless the
// request carries the key, names the service's own address as Host and has no Origin.
bool AdmitControlRequest(const FakeService& service, const httplib::Request& request, httplib::Response& response);

} // namespace orb::fake
