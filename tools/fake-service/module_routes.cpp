#include "tools/fake-service/module_routes.h"

#include "tools/fake-service/fake_service.h"
#include "tools/fake-service/field_selection.h"

namespace orb::fake {

namespace {

constexpr const char* kFieldsParameter = "fields";
constexpr int kStatusBadRequest = 400;
constexpr const char* kInvalidSelectionPrefix = "Invalid field selection ";

// Answers only what `fields` selects, as Google does; an error document always comes whole.
void AnswerSelected(const httplib::Server::Handler& handler, const httplib::Request& request,
                    httplib::Response& response)
{
    if (!request.has_param(kFieldsParameter))
        return handler(request, response);
    const std::string selector = request.get_param_value(kFieldsParameter);
    const std::optional<FieldSelection> selection = ParseFieldSelection(selector);
    if (!selection)
        return FakeService::SendError(response, kStatusBadRequest, "invalidParameter",
                                      kInvalidSelectionPrefix + selector);
    handler(request, response);
    if (response.status < 200 || response.status >= 300 || response.body.empty())
        return;
    Json::Value document;
    Json::CharReaderBuilder builder;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    if (reader->parse(response.body.data(), response.body.data() + response.body.size(), &document, nullptr))
        FakeService::SendJson(response, response.status, SelectFields(document, *selection));
}

} // namespace

void ModuleRoutes::Add(std::string method, const char* pattern, httplib::Server::Handler handler)
{
    routes_.push_back({std::move(method), pattern, std::regex(pattern),
                       [handler = std::move(handler)](const httplib::Request& request, httplib::Response& response) {
                           AnswerSelected(handler, request, response);
                       }});
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
