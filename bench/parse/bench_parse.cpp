// Parsing the answers of a load pass: the program's readers (simdjson's parsed document)
// against jsoncpp's tree (what it parsed with before) and simdjson's on-demand parser, on the recorded answers of a
// 50-calendar account (50 calendars of 200 events shaped like Google's, 50 lists of 100 tasks), with and without the
// partial-answer selectors the program sends. Prints MB/s and records/s for each, the answer bytes both ways, and
// whether the two parsers built the same records.
//
//   bench_parse [--calendars N] [--events E] [--rounds R]
#include "bench/bench_support.h"
#include "core/clock.h"
#include "core/instant.h"
#include "service/record_json.h"
#include "service/text_codec.h"
#include "tools/fake-service/fake_service.h"

#include <json/json.h>

#include <simdjson.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace orb;

struct Options
{
    int calendars = 50;
    int events = 200;
    int lists = 50;
    int tasks = 100;
    int rounds = 5;
};

std::string Two(int value)
{
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%02d", value);
    return buffer;
}

// Events carry what Google's do: links, organizer, iCalUID, sequence, reminders, and for
// every fourth one a few attendees.
std::string SeedDocument(const Options& options)
{
    std::string seed = R"({"calendar": {"calendars": [)";
    for (int c = 0; c < options.calendars; ++c) {
        const std::string calendar = "cal" + std::to_string(c) + "@example.com";
        seed += (c ? "," : "");
        seed += R"({"id": ")" + calendar + R"(", "summary": "Calendar )" + std::to_string(c) +
                R"(", "timeZone": "Asia/Seoul", "colorId": ")" + std::to_string(c % 24 + 1) +
                R"(", "accessRole": "owner", "selected": true, "defaultReminders": [{"method": "popup", "minutes": 10}],
                 "notificationSettings": {"notifications": [{"type": "eventCreation", "method": "email"}]},
                 "conferenceProperties": {"allowedConferenceSolutionTypes": ["hangoutsMeet"]}, "events": [)";
        for (int e = 0; e < options.events; ++e) {
            const LocalDateTime day = AddDays({2026, 12, 1, 0, 0, 0}, e % 38);
            const std::string date = std::to_string(day.year) + "-" + Two(day.month) + "-" + Two(day.day);
            const std::string hour = Two(8 + e % 10);
            seed += (e ? "," : "");
            seed += R"({"summary": "Event )" + std::to_string(e) + R"( with a title of usual length",
                "description": "Notes for the event, a line or two of them.", "location": "Room )" +
                    std::to_string(e % 12) + R"(", "iCalUID": "ical)" + std::to_string(c * 1000 + e) +
                    R"(@google.com", "sequence": 1, "eventType": "default",
                "organizer": {"email": ")" +
                    calendar + R"(", "self": true},
                "reminders": {"useDefault": )" +
                    (e % 2 ? "true" : R"(false, "overrides": [{"method": "popup", "minutes": 30}])") + "}";
            if (e % 4 == 0)
                seed += R"(, "attendees": [{"email": "a@example.com", "responseStatus": "accepted"},
                    {"email": ")" +
                        calendar + R"(", "self": true, "responseStatus": "needsAction"},
                    {"email": "b@example.com", "displayName": "B", "responseStatus": "declined"}])";
            seed += R"(, "start": {"dateTime": ")" + date + "T" + hour + R"(:00:00+09:00", "timeZone": "Asia/Seoul"},
                "end": {"dateTime": ")" +
                    date + "T" + hour + R"(:30:00+09:00", "timeZone": "Asia/Seoul"}})";
        }
        seed += "]}";
    }
    seed += R"(]}, "tasks": {"taskLists": [)";
    for (int l = 0; l < options.lists; ++l) {
        seed += (l ? "," : "");
        seed +=
            R"({"id": "list)" + std::to_string(l) + R"(", "title": "List )" + std::to_string(l) + R"(", "tasks": [)";
        for (int t = 0; t < options.tasks; ++t) {
            seed += (t ? "," : "");
            seed += R"({"id": "l)" + std::to_string(l) + "t" + std::to_string(t) + R"(", "title": "Task )" +
                    std::to_string(t) + R"(", "notes": "A note", "due": "2026-12-)" + Two(1 + t % 28) +
                    R"(T00:00:00.000Z"})";
        }
        seed += "]}";
    }
    return seed + "]}}";
}

struct Answers
{
    std::vector<std::string> events; // one page per calendar
    std::vector<std::string> tasks;  // one page per list
    std::size_t Bytes() const
    {
        std::size_t bytes = 0;
        for (const auto* pages : {&events, &tasks}) {
            for (const std::string& page : *pages)
                bytes += page.size();
        }
        return bytes;
    }
};

constexpr const char* kTaskFields =
    "items(id,kind,selfLink,title,updated,notes,parent,due,status,position,deleted),nextPageToken";

Answers Record(fake::FakeService& service, const Options& options, bool partial)
{
    Answers answers;
    const std::string window = "?timeMin=2026-11-01T00:00:00.000Z&timeMax=2027-02-01T00:00:00.000Z"
                               "&orderBy=startTime&singleEvents=true&maxResults=2500";
    for (int c = 0; c < options.calendars; ++c) {
        const std::string target = "/calendar/v3/calendars/cal" + std::to_string(c) + "%40example.com/events" + window +
                                   (partial ? std::string("&fields=") + kEventListingFields : "");
        answers.events.push_back(service.FromAnotherDevice("GET", target).body);
    }
    for (int l = 0; l < options.lists; ++l) {
        const std::string target = "/tasks/v1/lists/list" + std::to_string(l) +
                                   "/tasks?showCompleted=true&showHidden=true&maxResults=100" +
                                   (partial ? std::string("&fields=") + kTaskFields : "");
        answers.tasks.push_back(service.FromAnotherDevice("GET", target).body);
    }
    return answers;
}

struct Records
{
    std::vector<EventRecord> events;
    std::vector<std::vector<std::string>> tasks; // the ten task texts
    std::size_t Count() const { return events.size() + tasks.size(); }
};

constexpr const char* kTaskMembers[] = {"id",    "kind",   "selfLink", "title",  "updated",
                                        "notes", "parent", "due",      "status", "position"};

// What the program does: each page parsed whole by simdjson, records read by its readers.
Records ReadWithProgram(const Answers& answers)
{
    Records records;
    JsonAnswer parsed;
    std::string errors;
    for (const std::string& page : answers.events) {
        if (!parsed.Parse(page, errors))
            std::abort();
        const simdjson::dom::element items = parsed.Root()["items"];
        for (const simdjson::dom::element item : simdjson::dom::array(items)) {
            EventRecord event;
            if (ReadEvent(item, event)) {
                ReadEventEtag(item, event);
                records.events.push_back(std::move(event));
            }
        }
    }
    for (const std::string& page : answers.tasks) {
        if (!parsed.Parse(page, errors))
            std::abort();
        const simdjson::dom::element items = parsed.Root()["items"];
        for (const simdjson::dom::element item : simdjson::dom::array(items)) {
            std::vector<std::string>& task = records.tasks.emplace_back();
            for (const char* name : kTaskMembers)
                task.push_back(MemberText(item, name));
        }
    }
    return records;
}

// What the program did before: jsoncpp's tree of every page, before a single record was read.
Records ParseWithJsoncpp(const Answers& answers)
{
    Json::CharReaderBuilder builder;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    for (const auto* pages : {&answers.events, &answers.tasks}) {
        for (const std::string& page : *pages) {
            Json::Value root;
            std::string errors;
            if (!reader->parse(page.data(), page.data() + page.size(), &root, &errors))
                std::abort();
        }
    }
    return {};
}

namespace od = simdjson::ondemand;

// A member as the jsoncpp readers give it: strings as they are, booleans as words, integers
// in decimal; anything else empty.
std::string Text(od::value value)
{
    switch (value.type().value()) {
    case od::json_type::string:
        return std::string(value.get_string().value());
    case od::json_type::boolean:
        return value.get_bool().value() ? "true" : "false";
    case od::json_type::number:
        return std::string(simdjson::to_json_string(value).value());
    default:
        return {};
    }
}

void ReadTime(od::object object, EventTime& time)
{
    for (auto field : object) {
        const std::string_view key = field.unescaped_key().value();
        if (key == "date")
            time.date = Text(field.value());
        else if (key == "dateTime")
            time.dateTime = Text(field.value());
        else if (key == "timeZone")
            time.timeZone = Text(field.value());
    }
}

std::vector<EventReminder> ReadReminders(od::array list)
{
    std::vector<EventReminder> reminders;
    for (auto entry : list) {
        EventReminder reminder;
        bool minutes = false;
        for (auto field : entry.get_object()) {
            const std::string_view key = field.unescaped_key().value();
            if (key == "method") {
                reminder.method = Text(field.value());
            } else if (key == "minutes") {
                int64_t value = 0;
                if (!field.value().get_int64().get(value) && value >= 0 && value <= 40320) {
                    reminder.minutes = static_cast<int>(value);
                    minutes = true;
                }
            }
        }
        if (minutes)
            reminders.push_back(reminder);
    }
    return reminders;
}

void ReadEventSimd(od::object item, EventRecord& event)
{
    for (auto field : item) {
        const std::string_view key = field.unescaped_key().value();
        od::value value = field.value();
        if (key == "id")
            event.id = Text(value);
        else if (key == "etag")
            event.etag = EncodeJsonText(Text(value), false);
        else if (key == "kind")
            event.kind = Text(value);
        else if (key == "summary")
            event.summary = Text(value);
        else if (key == "description")
            event.description = Text(value);
        else if (key == "location")
            event.location = Text(value);
        else if (key == "created")
            event.created = Text(value);
        else if (key == "updated")
            event.updated = Text(value);
        else if (key == "status")
            event.status = Text(value);
        else if (key == "colorId")
            event.colorId = Text(value);
        else if (key == "start")
            ReadTime(value.get_object(), event.start);
        else if (key == "end")
            ReadTime(value.get_object(), event.end);
        else if (key == "creator") {
            for (auto member : value.get_object()) {
                const std::string_view name = member.unescaped_key().value();
                if (name == "id")
                    event.creator.id = Text(member.value());
                else if (name == "email")
                    event.creator.email = Text(member.value());
                else if (name == "displayName")
                    event.creator.displayName = Text(member.value());
                else if (name == "self")
                    event.creator.self = Text(member.value());
            }
        } else if (key == "reminders") {
            for (auto member : value.get_object()) {
                const std::string_view name = member.unescaped_key().value();
                if (name == "useDefault")
                    event.remindersUseDefault = Text(member.value());
                else if (name == "overrides")
                    event.reminderOverrides = ReadReminders(member.value().get_array());
            }
        } else if (key == "attendees") {
            for (auto attendee : value.get_array()) {
                bool self = false;
                std::string answer;
                for (auto member : attendee.get_object()) {
                    const std::string_view name = member.unescaped_key().value();
                    if (name == "self")
                        self = member.value().get_bool().value();
                    else if (name == "responseStatus")
                        answer = Text(member.value());
                }
                if (self && event.selfResponseStatus.empty())
                    event.selfResponseStatus = answer;
            }
        }
    }
    if (!event.colorId.empty())
        event.colorText = EventColorText(event.colorId);
}

Records ReadWithSimdjson(const Answers& answers)
{
    Records records;
    od::parser parser;
    for (const std::string& page : answers.events) {
        const simdjson::padded_string padded(page);
        od::document document = parser.iterate(padded);
        for (auto field : document.get_object()) {
            if (field.unescaped_key().value() != "items")
                continue;
            for (auto item : field.value().get_array()) {
                EventRecord event;
                ReadEventSimd(item.get_object(), event);
                records.events.push_back(std::move(event));
            }
        }
    }
    for (const std::string& page : answers.tasks) {
        const simdjson::padded_string padded(page);
        od::document document = parser.iterate(padded);
        for (auto field : document.get_object()) {
            if (field.unescaped_key().value() != "items")
                continue;
            for (auto item : field.value().get_array()) {
                std::vector<std::string>& task = records.tasks.emplace_back(std::size(kTaskMembers));
                for (auto member : item.get_object()) {
                    const std::string_view name = member.unescaped_key().value();
                    for (std::size_t i = 0; i < std::size(kTaskMembers); ++i) {
                        if (name == kTaskMembers[i])
                            task[i] = Text(member.value());
                    }
                }
            }
        }
    }
    return records;
}

bool SameRecords(const Records& a, const Records& b)
{
    return a.events == b.events && a.tasks == b.tasks;
}

template <class Reader> double BestSeconds(const Answers& answers, int rounds, Reader read, Records& records)
{
    double best = 1e9;
    for (int round = 0; round < rounds; ++round) {
        const auto start = std::chrono::steady_clock::now();
        records = read(answers);
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

void PrintRow(const char* parser, const char* answers, const Answers& recorded, const Records& records, double seconds)
{
    std::printf("%-9s %-8s %9.2f MB %8.1f ms %9.1f MB/s %11.0f records/s\n", parser, answers,
                static_cast<double>(recorded.Bytes()) / 1e6, seconds * 1000.0,
                static_cast<double>(recorded.Bytes()) / 1e6 / seconds, static_cast<double>(records.Count()) / seconds);
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--calendars"))
            options.calendars = options.lists = std::atoi(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--events"))
            options.events = std::atoi(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--rounds"))
            options.rounds = std::max(1, std::atoi(argv[i + 1]));
        else {
            std::fprintf(stderr, "unknown option %s\n", argv[i]);
            return 2;
        }
    }
    fake::FakeService service;
    std::string error;
    if (!service.SeedFromJson(SeedDocument(options), error)) {
        std::fprintf(stderr, "seed refused: %s\n", error.c_str());
        return 1;
    }
    std::printf("%d calendars x %d events, %d lists x %d tasks; best of %d rounds\n", options.calendars, options.events,
                options.lists, options.tasks, options.rounds);
    for (const bool partial : {false, true}) {
        const Answers answers = Record(service, options, partial);
        const char* name = partial ? "fields" : "whole";
        Records parsedOnly;
        const double jsoncppSeconds = BestSeconds(answers, options.rounds, ParseWithJsoncpp, parsedOnly);
        std::printf("%-9s %-8s %9.2f MB %8.1f ms %9.1f MB/s   (parse only, no records)\n", "jsoncpp", name,
                    static_cast<double>(answers.Bytes()) / 1e6, jsoncppSeconds * 1000.0,
                    static_cast<double>(answers.Bytes()) / 1e6 / jsoncppSeconds);
        Records byProgram;
        PrintRow("program", name, answers, byProgram, BestSeconds(answers, options.rounds, ReadWithProgram, byProgram));
        Records byOnDemand;
        PrintRow("ondemand", name, answers, byOnDemand,
                 BestSeconds(answers, options.rounds, ReadWithSimdjson, byOnDemand));
        std::printf("%-9s %-8s records equal: %s\n", "", name, SameRecords(byProgram, byOnDemand) ? "yes" : "NO");
    }
    return 0;
}
