#pragma once

#include "service/oauth.h"
#include "service/records.h"
#include "tests/support/stand_in.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace orb::test {

inline constexpr const char* kPrimaryId = "me@example.com";
inline constexpr const char* kFamilyId = "family+kids@group.calendar.google.com";
inline constexpr const char* kHolidayId = "ko.south_korea#holiday@group.v.calendar.google.com";
inline constexpr const char* kHiddenId = "hidden@group.calendar.google.com";
inline constexpr const char* kAccessToken = "integration-access-token";

// Three selected calendars (one owned, one shared for writing, the read-only holiday
// calendar) and two that are not selected. Dates sit around 10 June 2026.
inline constexpr const char* kCalendarSeed = R"({"calendar": {"calendars": [
  {"id": "me@example.com", "summary": "Me", "timeZone": "Asia/Seoul", "colorId": "14",
   "accessRole": "owner", "selected": true, "primary": true,
   "events": [
     {"id": "before", "summary": "Too early", "start": {"date": "2026-06-01"}, "end": {"date": "2026-06-02"}},
     {"id": "edge", "summary": "Ends as the window opens", "start": {"date": "2026-06-02"}, "end": {"date": "2026-06-03"}},
     {"id": "late", "summary": "Last day", "start": {"date": "2026-07-10"}, "end": {"date": "2026-07-11"}},
     {"id": "timed", "summary": "한국 축제", "description": "불꽃놀이",
      "start": {"dateTime": "2026-06-10T08:00:00+09:00"}, "end": {"dateTime": "2026-06-10T09:00:00+09:00"}},
     {"id": "first", "summary": "First day", "description": "a b&c#d \"quoted\"",
      "start": {"date": "2026-06-03"}, "end": {"date": "2026-06-04"}},
     {"id": "after", "summary": "Too late", "start": {"date": "2026-07-11"}, "end": {"date": "2026-07-12"}},
     {"id": "allday", "summary": "Same day, all day", "start": {"date": "2026-06-10"}, "end": {"date": "2026-06-11"}}
   ]},
  {"id": "family+kids@group.calendar.google.com", "summary": "Family", "timeZone": "Asia/Seoul",
   "accessRole": "writer", "selected": true,
   "events": [
     {"id": "school", "summary": "a b only", "start": {"date": "2026-06-12"}, "end": {"date": "2026-06-13"}}
   ]},
  {"id": "ko.south_korea#holiday@group.v.calendar.google.com", "summary": "대한민국의 휴일",
   "timeZone": "Asia/Seoul", "accessRole": "reader", "selected": true,
   "events": [
     {"id": "holiday1", "summary": "현충일", "start": {"date": "2026-06-06"}, "end": {"date": "2026-06-07"}}
   ]},
  {"id": "hidden@group.calendar.google.com", "summary": "Hidden", "accessRole": "owner", "selected": false,
   "events": [{"id": "h1", "summary": "Never fetched", "start": {"date": "2026-06-10"}}]},
  {"id": "unset@group.calendar.google.com", "summary": "Unset", "accessRole": "owner",
   "events": [{"id": "u1", "summary": "Never fetched", "start": {"date": "2026-06-10"}}]}
]}})";

// The real libcurl transport against the in-process stand-in service, seeded with
// kCalendarSeed and holding a token the service accepts.
class CalendarServiceTest : public ::testing::Test, protected StandInServices
{
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(StartStandIn(error)) << error;
        ASSERT_TRUE(service.SeedFromJson(kCalendarSeed, error)) << error;
        service.AddAccessToken(kAccessToken);
        session.set_tokens(kAccessToken, "Bearer");
        clock.Set({2026, 6, 10, 14, 0, 0});
        service.ClearRequests();
    }

    void TearDown() override
    {
        // No token ever travels in an address.
        for (const fake::RecordedRequest& request : service.Requests()) {
            EXPECT_EQ(request.target.find("access_token="), std::string::npos) << request.target;
            EXPECT_EQ(request.target.find("key="), std::string::npos) << request.target;
        }
        service.Stop();
    }

    std::vector<std::string> RequestedTargets(const std::string& method) const
    {
        std::vector<std::string> targets;
        for (const fake::RecordedRequest& request : service.Requests()) {
            if (request.method == method)
                targets.push_back(test::WithoutSelector(request.target));
        }
        return targets;
    }

    static std::vector<std::string> Ids(const std::vector<EventRecord>& events)
    {
        std::vector<std::string> ids;
        for (const EventRecord& event : events)
            ids.push_back(event.id);
        return ids;
    }
};

} // namespace orb::test
