#pragma once

#include <string>

namespace orb {

class Clock;
class Diagnostics;
class HttpTransport;
class OAuthSession;
class Prompter;

// Where the services live and who this program is to them. Read from the optional
// [Service] section of the settings file; missing keys keep these defaults.
struct ServiceConfig
{
    std::string accountsBase;
    std::string apiBase;
    std::string clientId;
    std::string clientSecret;
    std::string redirectUri;
    std::string startPage; // opened after the first load; empty opens nothing

    static ServiceConfig Defaults();
};

// Everything a service operation needs from outside: the wire, the token state, where
// failures go, and the time. Clients never touch a widget.
struct ServiceContext
{
    HttpTransport& transport;
    OAuthSession& session;
    Diagnostics& diagnostics;
    Prompter& prompter;
    const Clock& clock;
    const ServiceConfig& config;
};

} // namespace orb
