#pragma once

#include "tools/fake-service/fake_service.h"

#include <gtest/gtest.h>
#include <httplib.h>
#include <json/json.h>

#include <chrono>
#include <string>

namespace orb::fake::test {

// Long enough for any answer of this service on a loaded machine; short enough that a
// fault the client does not notice fails the test instead of hanging it.
constexpr std::chrono::seconds kClientTimeout{5};

// RFC 7636 appendix B: a verifier and its S256 challenge, worked out apart from this service.
constexpr const char* kVerifier = "dBjftJeZ4CVP-mB92K27uhbUJU1p1r_wW1gFWFOEjXk";
constexpr const char* kChallenge = "E9Melhoa2OwvFrEMTJguCHaoeK1t8URWbuGJSstw-cM";

// A started service per test.
class FakeServiceTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(service.Start()) << service.StartError(); }

    httplib::Client Client() const;
    // A client whose requests carry the control key, as the control routes demand.
    httplib::Client ControlClient() const;
    // POSTs a form body with the header line the program uses.
    httplib::Result PostForm(const std::string& path, const std::string& body) const;

    FakeService service;
};

// Parses `text`; a JSON null when it is not JSON.
Json::Value ParseJson(const std::string& text);
// The text of the page's <title>, or empty.
std::string PageTitle(const std::string& html);
// Sends `bytes` as they are over a fresh connection and returns everything the server
// sends back until it closes (or kClientTimeout passes).
std::string SendRaw(int port, const std::string& bytes);
// A fresh empty folder under the test temporary directory.
std::string MakeTemporaryFolder();

} // namespace orb::fake::test
