#pragma once

#include <httplib.h>

#include <functional>
#include <regex>
#include <shared_mutex>
#include <string>
#include <vector>

namespace orb::fake {

class FakeService;

// A module's routes, kept so that the module answers them both over HTTP, where each needs an
// access token, and in-process for another device, which needs none.
class ModuleRoutes
{
public:
    void Add(std::string method, const char* pattern, httplib::Server::Handler handler);
    // The handler under a module's state lock. Reads share it, so listings asked side by side
    // are answered side by side; `changed` runs after a change that succeeded, once the lock is
    // let go, since saving takes every module's lock in turn.
    void AddLocked(std::string method, const char* pattern, std::shared_mutex& mutex, httplib::Server::Handler handler,
                   std::function<void()> changed);
    // Every route, behind the service's Authorization check.
    void Register(httplib::Server& server, const FakeService& service) const;
    // Answers `method target` (raw path and query) the way the server would route it; false when
    // no route takes it.
    bool Serve(const std::string& method, const std::string& target, const std::string& body,
               httplib::Response& response) const;

private:
    struct Route
    {
        std::string method;
        std::string pattern;
        std::regex regex;
        httplib::Server::Handler handler;
    };
    std::vector<Route> routes_;
};

} // namespace orb::fake
