#pragma once

#include "service/curl_transport.h"
#include "service/oauth.h"
#include "tests/support/doubles.h"
#include "tools/fake-service/fake_service.h"

#include <string>

namespace orb::test {

// The real libcurl transport wired to an in-process stand-in service, with the other
// seams scripted. Test fixtures derive from it to use the members by name.
struct StandInServices
{
    static constexpr const char* kOutOfBandRedirect = "urn:ietf:wg:oauth:2.0:oob:auto";

    // Starts the stand-in on a free port and points both service bases at it.
    bool StartStandIn(std::string& error)
    {
        if (!service.Start()) {
            error = service.StartError();
            return false;
        }
        config.SetAccountsBase(service.BaseUrl());
        config.apiBase = service.BaseUrl();
        return true;
    }

    std::size_t CountRequests(const std::string& targetPart) const
    {
        std::size_t count = 0;
        for (const auto& request : service.Requests())
            count += request.target.find(targetPart) != std::string::npos ? 1 : 0;
        return count;
    }

    fake::FakeService service;
    OAuthSession session;
    CurlTransport transport{session};
    RecordingDiagnostics diagnostics;
    ScriptedPrompter prompter;
    FixedClock clock{{2026, 12, 8, 9, 0, 0}};
    // Sign-in through the scripted login page; browser sign-in tests clear the redirect.
    ServiceConfig config{"", "", "client-id", "secret", kOutOfBandRedirect, "", "", ""};
    ServiceContext context{transport, session, diagnostics, prompter, clock, config};
    StandInServices() { InstallTokenRenewal(context); }
};

} // namespace orb::test
