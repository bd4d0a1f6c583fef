#pragma once

#include "service/records.h"
#include "tests/support/doubles.h"

#include <gtest/gtest.h>

#include <vector>

namespace orb::test {

inline constexpr const char* kTokenCheckAnswer = R"({"expires_in": 3000})";
inline constexpr const char* kJsonHeaderBlock =
    "Authorization: Bearer access-1\r\nContent-Type: application/json\r\n\r\n\r\n";
inline constexpr const char* kRefusal = R"({"error":{"code":404,"message":"Not Found"}})";

// A client operation over the scripted transport, with a store of calendars to change.
class ScriptedClientTest : public ::testing::Test
{
protected:
    // Every operation first checks the token.
    void QueueTokenCheck() { s.transport.Queue(kTokenCheckAnswer); }
    const HttpRequest& Request(std::size_t index) { return s.transport.requests.at(index); }

    ScriptedServiceContext s;
    std::vector<CalendarRecord> calendars;
};

} // namespace orb::test
