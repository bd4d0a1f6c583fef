#include "tools/fake-service/module_routes.h"

#include "tools/fake-service/fake_service.h"

namespace orb::fake {

void ModuleRoutes::Add(std::string method, const char* pattern, httplib::Server::Handler handler)
{
    routes_.push_back({std::move(method), pattern, std::regex(pattern), std::move(handler)});
}

void ModuleRoutes::AddLocked(std::string method, const char* pattern, std::shared_mutex& mutex,
                             httplib::Server::Handler handler, std::function<void()> changed)
{
    Add(std::move(method), pattern,
        [&mutex, handler = std::move(handler), changed = std::move(changed)](const httplib::Request& request,
                                                                             httplib::Response& response) {
            if (request.method == "GET") {
                std::shared_lock lock(mutex);
                handler(request, response);
                return;
            }
            {
                std::lock_guard lock(mutex);
                handler(request, response);
            }
            if (response.status >= 200 && response.status < 300)
                changed();
        });
}

void ModuleRoutes::Register(httplib::Server& server, const FakeService& service) const
{
    for (const Route& route : routes_) {
        auto guarded = [&service, handler = route.handler](const httplib::Request& request,
                                                           httplib::Response& response) {
            if (service.CheckAuthorization(request, response))
                handler(request, response);
        };
        if (route.method == "GET")
            server.Get(route.pattern, guarded);
        else if (route.method == "POST")
            server.Post(route.pattern, guarded);
        else if (route.method == "PUT")
            server.Put(route.pattern, guarded);
        else if (route.method == "PATCH")
            server.Patch(route.pattern, guarded);
        else if (route.method == "DELETE")
            server.Delete(route.pattern, guarded);
    }
}

bool ModuleRoutes::Serve(const std::string& method, const std::string& target, const std::string& body,
                         httplib::Response& response) const
{
    // Decoded as httplib decodes a request that arrives; `matches` points into `request.path`.
    httplib::Request request;
    request.method = method;
    request.target = target;
    const std::size_t query = target.find('?');
    request.path = httplib::detail::decode_url(target.substr(0, query), false);
    if (query != std::string::npos)
        httplib::detail::parse_query_text(target.substr(query + 1), request.params);
    request.body = body;
    for (const Route& route : routes_) {
        if (route.method == method && std::regex_match(request.path, request.matches, route.regex)) {
            route.handler(request, response);
            return true;
        }
    }
    return false;
}

} // namespace orb::fake
