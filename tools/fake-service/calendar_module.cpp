#include "tools/fake-service/fake_service.h"

#include "tools/fake-service/json_body.h"

#include <httplib.h>
#include <json/json.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <shared_mutex>
#include <sstream>
#include <string_view>
#include <utility>

// The Calendar v3 endpoints the program uses, with real state: the calendar list, calendar
// and calendar-list PATCH, and events (list with timeMin/timeMax, q, orderBy=startTime and
// paging; insert, patch, delete). The seed document's member "calendar" is described in
// this folder's README.

namespace orb::fake {

namespace {

constexpr const char* kSeedMember = "calendar";
// The largest pages the service gives, however many are asked for.
constexpr int kCalendarListMaximum = 250;
constexpr int kEventsMaximum = 2500;
constexpr const char* kCalendarListPattern = R"(/calendar/v3/users/me/calendarList)";
constexpr const char* kCalendarListEntryPattern = R"(/calendar/v3/users/me/calendarList/([^/]+))";
constexpr const char* kCalendarPattern = R"(/calendar/v3/calendars/([^/]+))";
constexpr const char* kEventsPattern = R"(/calendar/v3/calendars/([^/]+)/events)";
constexpr const char* kEventPattern = R"(/calendar/v3/calendars/([^/]+)/events/([^/]+))";
constexpr const char* kHtmlLinkBase = "https://www.google.com/calendar/event?eid=";
constexpr const char* kDefaultUserEmail = "me@example.com";
constexpr const char* kPageTokenPrefix = "page-";
constexpr const char* kOwnerRole = "owner";
constexpr const char* kWriterRole = "writer";
constexpr int kStatusOk = 200;
constexpr int kStatusNoContent = 204;
constexpr int kStatusBadRequest = 400;
constexpr int kStatusForbidden = 403;
constexpr int kStatusNotFound = 404;
constexpr int kStatusGone = 410;
constexpr long long kFirstEtag = 3181161784712000;
constexpr int kFirstEventColorId = 1;
constexpr int kLastEventColorId = 11;
constexpr long long kSecondsPerDay = 86400;

// Google's calendar palette, "1" to "24".
constexpr std::string_view kCalendarPalette[] = {
    "#ac725e", "#d06b64", "#f83a22", "#fa573c", "#ff7537", "#ffad46", "#42d692", "#16a765",
    "#7bd148", "#b3dc6c", "#fbe983", "#fad165", "#92e1c0", "#9fe1e7", "#9fc6e7", "#4986e7",
    "#9a9cff", "#b99aff", "#c2c2c2", "#cabdbf", "#cca6ac", "#f691b2", "#cd74e6", "#a47ae2",
};
constexpr const char* kPaletteForeground = "#000000";

struct Calendar
{
    Json::Value entry;               // the calendar-list entry, as listed
    std::vector<Json::Value> events; // in insertion order
};

void SendJson(httplib::Response& response, const Json::Value& document)
{
    FakeService::SendJson(response, kStatusOk, document);
}

std::string UtcStamp()
{
    const auto now = std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
    const auto day = std::chrono::floor<std::chrono::days>(now);
    const std::chrono::year_month_day date(day);
    const std::chrono::hh_mm_ss time(now - day);
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02u-%02uT%02lld:%02lld:%02lld.000Z", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<long long>(time.hours().count()), static_cast<long long>(time.minutes().count()),
                  static_cast<long long>(time.seconds().count()));
    return buffer;
}

bool ReadNumber(std::string_view text, std::size_t at, std::size_t length, int& value)
{
    if (at + length > text.size())
        return false;
    value = 0;
    for (std::size_t i = at; i < at + length; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

// Seconds since the epoch of an RFC 3339 time ("2026-12-08T08:00:00+09:00", fractions and
// "Z" allowed) or of an all-day date, which counts from midnight UTC.
std::optional<long long> ParseInstant(std::string_view text)
{
    int year = 0, month = 0, day = 0;
    if (!ReadNumber(text, 0, 4, year) || text.size() < 10 || text[4] != '-' || !ReadNumber(text, 5, 2, month) ||
        text[7] != '-' || !ReadNumber(text, 8, 2, day))
        return std::nullopt;
    const std::chrono::year_month_day date{std::chrono::year(year), std::chrono::month(static_cast<unsigned>(month)),
                                           std::chrono::day(static_cast<unsigned>(day))};
    if (!date.ok())
        return std::nullopt;
    const long long days = std::chrono::sys_days(date).time_since_epoch().count();
    if (text.size() == 10)
        return days * kSecondsPerDay;

    int hour = 0, minute = 0, second = 0;
    if (text.size() < 19 || (text[10] != 'T' && text[10] != 't') || !ReadNumber(text, 11, 2, hour) || text[13] != ':' ||
        !ReadNumber(text, 14, 2, minute) || text[16] != ':' || !ReadNumber(text, 17, 2, second))
        return std::nullopt;
    std::size_t at = 19;
    if (at < text.size() && text[at] == '.') {
        ++at;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9')
            ++at;
    }
    long long offset = 0;
    if (at < text.size() && (text[at] == 'Z' || text[at] == 'z')) {
        ++at;
    } else if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        int offsetHours = 0, offsetMinutes = 0;
        if (!ReadNumber(text, at + 1, 2, offsetHours) || at + 3 >= text.size() || text[at + 3] != ':' ||
            !ReadNumber(text, at + 4, 2, offsetMinutes))
            return std::nullopt;
        offset = (offsetHours * 60LL + offsetMinutes) * 60 * (text[at] == '-' ? -1 : 1);
        at += 6;
    } else {
        return std::nullopt;
    }
    if (at != text.size())
        return std::nullopt;
    return days * kSecondsPerDay + hour * 3600LL + minute * 60LL + second - offset;
}

// The instant of an event time object; nullopt when it has neither a date nor a time.
std::optional<long long> TimeInstant(const Json::Value& time)
{
    if (!time.isObject())
        return std::nullopt;
    if (time["dateTime"].isString())
        return ParseInstant(time["dateTime"].asString());
    if (time["date"].isString())
        return ParseInstant(time["date"].asString());
    return std::nullopt;
}

// A member's text; empty for anything but a string, so odd seeds never throw.
std::string TextMember(const Json::Value& object, const char* name)
{
    const Json::Value& value = object[name];
    return value.isString() ? value.asString() : std::string();
}

std::string Lowered(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Every word of the query appears in the summary or the description, ASCII letters
// compared without regard to case.
bool MatchesQuery(const Json::Value& event, const std::string& query)
{
    const std::string haystack = Lowered(TextMember(event, "summary") + "\n" + TextMember(event, "description"));
    std::istringstream words(Lowered(query));
    std::string word;
    while (words >> word) {
        if (haystack.find(word) == std::string::npos)
            return false;
    }
    return true;
}

bool IsValidEventColor(const Json::Value& colorId)
{
    if (colorId.isNull())
        return true;
    if (!colorId.isString())
        return false;
    const std::string text = colorId.asString();
    int value = 0;
    return !text.empty() && text.size() <= 2 && ReadNumber(text, 0, text.size(), value) &&
           value >= kFirstEventColorId && value <= kLastEventColorId;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// "#rrggbb", either case.
bool IsRgbColour(const Json::Value& colour)
{
    if (!colour.isString())
        return false;
    const std::string text = colour.asString();
    return text.size() == 7 && text[0] == '#' &&
           std::all_of(text.begin() + 1, text.end(), [](char c) { return HexDigit(c) >= 0; });
}

std::array<int, 3> RgbChannels(std::string_view colour)
{
    std::array<int, 3> channels{};
    for (std::size_t i = 0; i < channels.size(); ++i)
        channels[i] = HexDigit(colour[1 + 2 * i]) * 16 + HexDigit(colour[2 + 2 * i]);
    return channels;
}

// The palette id nearest to an RGB colour, as Google picks one for colours it is given.
std::string NearestPaletteId(std::string_view colour)
{
    const std::array<int, 3> wanted = RgbChannels(colour);
    std::size_t best = 0;
    long bestDistance = -1;
    for (std::size_t i = 0; i < std::size(kCalendarPalette); ++i) {
        const std::array<int, 3> candidate = RgbChannels(kCalendarPalette[i]);
        long distance = 0;
        for (std::size_t c = 0; c < wanted.size(); ++c)
            distance += static_cast<long>(wanted[c] - candidate[c]) * (wanted[c] - candidate[c]);
        if (bestDistance < 0 || distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return std::to_string(best + 1);
}

// A time object holds exactly one of "date" and "dateTime", in the right form.
bool IsValidTime(const Json::Value& time)
{
    if (!time.isObject())
        return false;
    const Json::Value& date = time["date"];
    const Json::Value& dateTime = time["dateTime"];
    if (date.isString() == dateTime.isString())
        return false;
    if (date.isString())
        return date.asString().size() == 10 && ParseInstant(date.asString()).has_value();
    return dateTime.asString().size() > 10 && ParseInstant(dateTime.asString()).has_value();
}

// PATCH semantics: members of the change replace ours, null removes them, and objects
// (start, end) merge member by member.
void Merge(Json::Value& target, const Json::Value& change)
{
    for (const std::string& name : change.getMemberNames()) {
        const Json::Value& value = change[name];
        if (value.isNull())
            target.removeMember(name);
        else if (value.isObject() && target[name].isObject())
            Merge(target[name], value);
        else
            target[name] = value;
    }
}

class CalendarModule : public FakeModule
{
public:
    explicit CalendarModule(FakeService& service) : service_(service) {}

    void Register(httplib::Server& server) override
    {
        server.Get(kCalendarListPattern, Guarded(&CalendarModule::ListCalendars));
        server.Patch(kCalendarListEntryPattern, Guarded(&CalendarModule::PatchCalendarListEntry));
        server.Patch(kCalendarPattern, Guarded(&CalendarModule::PatchCalendar));
        server.Get(kEventsPattern, Guarded(&CalendarModule::ListEvents));
        server.Post(kEventsPattern, Guarded(&CalendarModule::InsertEvent));
        server.Patch(kEventPattern, Guarded(&CalendarModule::PatchEvent));
        server.Delete(kEventPattern, Guarded(&CalendarModule::DeleteEvent));
    }

    bool Seed(const Json::Value& root, std::string& error) override
    {
        if (!root.isObject() || !root.isMember(kSeedMember))
            return true;
        const Json::Value& member = root[kSeedMember];
        if (!member.isObject()) {
            error = "calendar must be an object";
            return false;
        }
        const Json::Value& calendars = member["calendars"];
        if (!calendars.isNull() && !calendars.isArray()) {
            error = "calendar.calendars must be an array";
            return false;
        }
        // Everything is checked before anything changes.
        for (const Json::Value& entry : calendars) {
            if (!entry.isObject() || !entry["id"].isString() || entry["id"].asString().empty()) {
                error = "calendar.calendars: every calendar needs a string \"id\"";
                return false;
            }
            const Json::Value& events = entry["events"];
            if (!events.isNull() && !events.isArray()) {
                error = "calendar.calendars: events of " + entry["id"].asString() + " must be an array";
                return false;
            }
            for (const Json::Value& event : events) {
                if (!event.isObject() || !IsValidTime(event["start"]) ||
                    (event.isMember("end") && !IsValidTime(event["end"]))) {
                    error = "calendar.calendars: every event of " + entry["id"].asString() +
                            " needs a valid start (and end)";
                    return false;
                }
            }
        }
        // What the state file adds, so that a service started from it neither hands out an id
        // or etag again nor forgets which events it deleted.
        long long nextEtag = 0;
        int nextEventNumber = 0;
        std::vector<std::pair<std::string, std::string>> deleted;
        if (!ReadCounters(member, nextEtag, nextEventNumber, error) || !ReadDeletedEvents(member, deleted, error))
            return false;

        std::lock_guard lock(mutex_);
        nextEtag_ = std::max(nextEtag_, nextEtag);
        nextEventNumber_ = std::max(nextEventNumber_, nextEventNumber);
        deletedEvents_.insert(deleted.begin(), deleted.end());
        for (const Json::Value& entry : calendars) {
            Calendar* calendar = FindCalendar(entry["id"].asString());
            if (!calendar) {
                calendars_.emplace_back();
                calendar = &calendars_.back();
            }
            Json::Value members = entry;
            members.removeMember("events");
            Merge(calendar->entry, members);
            FillEntry(calendar->entry, members);
            for (const Json::Value& event : entry["events"]) {
                calendar->events.push_back(event);
                FillEvent(calendar->events.back(), *calendar, !event.isMember("created"));
            }
        }
        return true;
    }

    void Save(Json::Value& root) override
    {
        std::lock_guard lock(mutex_);
        Json::Value member(Json::objectValue);
        member["calendars"] = Json::Value(Json::arrayValue);
        for (const Calendar& calendar : calendars_) {
            Json::Value entry = calendar.entry;
            entry["events"] = Json::Value(Json::arrayValue);
            for (const Json::Value& event : calendar.events)
                entry["events"].append(event);
            member["calendars"].append(entry);
        }
        member["deletedEvents"] = Json::Value(Json::arrayValue);
        for (const auto& [calendarId, eventId] : deletedEvents_) {
            Json::Value deleted(Json::objectValue);
            deleted["calendarId"] = calendarId;
            deleted["eventId"] = eventId;
            member["deletedEvents"].append(deleted);
        }
        member["nextEtag"] = static_cast<Json::Int64>(nextEtag_);
        member["nextEventNumber"] = nextEventNumber_;
        root[kSeedMember] = member;
    }

    void Reset() override
    {
        std::lock_guard lock(mutex_);
        calendars_.clear();
        deletedEvents_.clear();
        nextEventNumber_ = 1;
    }

private:
    using Handler = void (CalendarModule::*)(const httplib::Request&, httplib::Response&);

    // Authorization first, then the handler under the state lock; a change is saved once the
    // lock is let go, since saving takes every module's lock in turn.
    httplib::Server::Handler Guarded(Handler handler)
    {
        return [this, handler](const httplib::Request& request, httplib::Response& response) {
            if (!service_.CheckAuthorization(request, response))
                return;
            // Reads share the lock, so listings asked side by side are answered side by side.
            if (request.method == "GET") {
                std::shared_lock lock(mutex_);
                (this->*handler)(request, response);
            } else {
                std::lock_guard lock(mutex_);
                (this->*handler)(request, response);
            }
            if (request.method != "GET" && response.status >= kStatusOk && response.status < 300)
                service_.StateChanged();
        };
    }

    static bool ReadCounters(const Json::Value& member, long long& nextEtag, int& nextEventNumber, std::string& error)
    {
        const Json::Value& etag = member["nextEtag"];
        const Json::Value& number = member["nextEventNumber"];
        if (!etag.isNull() && !etag.isInt64()) {
            error = "calendar.nextEtag must be a whole number";
            return false;
        }
        if (!number.isNull() && (!number.isInt() || number.asInt() < 1)) {
            error = "calendar.nextEventNumber must be a whole number of at least 1";
            return false;
        }
        nextEtag = etag.isNull() ? 0 : etag.asInt64();
        nextEventNumber = number.isNull() ? 0 : number.asInt();
        return true;
    }

    // [{"calendarId", "eventId"}]: events that answer 410 rather than 404.
    static bool ReadDeletedEvents(const Json::Value& member, std::vector<std::pair<std::string, std::string>>& deleted,
                                  std::string& error)
    {
        const Json::Value& list = member["deletedEvents"];
        if (!list.isNull() && !list.isArray()) {
            error = "calendar.deletedEvents must be an array";
            return false;
        }
        for (const Json::Value& item : list) {
            if (!item.isObject() || !item["calendarId"].isString() || !item["eventId"].isString()) {
                error = "calendar.deletedEvents: every element needs a string \"calendarId\" and \"eventId\"";
                return false;
            }
            deleted.emplace_back(item["calendarId"].asString(), item["eventId"].asString());
        }
        return true;
    }

    std::string NextEtag() { return "\"" + std::to_string(nextEtag_++) + "\""; }

    void FillEntry(Json::Value& entry, const Json::Value& seeded)
    {
        entry["kind"] = "calendar#calendarListEntry";
        if (!entry.isMember("etag"))
            entry["etag"] = NextEtag();
        if (!entry.isMember("accessRole"))
            entry["accessRole"] = kOwnerRole;
        // Seeded colours win over the palette: a state file holds RGB colours set by PATCH.
        if (!entry.isMember("backgroundColor") || (seeded.isMember("colorId") && !seeded.isMember("backgroundColor")))
            ApplyPaletteColour(entry);
    }

    // Google base32hex ids: letters a-v and digits.
    std::string NextEventId()
    {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "orbevt%06d", nextEventNumber_++);
        return buffer;
    }

    void FillEvent(Json::Value& event, const Calendar& calendar, bool stampCreation)
    {
        event["kind"] = "calendar#event";
        if (!event["id"].isString() || event["id"].asString().empty())
            event["id"] = NextEventId();
        if (!event.isMember("etag"))
            event["etag"] = NextEtag();
        if (!event.isMember("status"))
            event["status"] = "confirmed";
        event["htmlLink"] = kHtmlLinkBase + event["id"].asString();
        if (stampCreation) {
            event["created"] = UtcStamp();
            event["updated"] = event["created"];
        }
        if (!event.isMember("creator")) {
            // The user writes to their own calendars; a read-only one speaks for itself.
            Json::Value person(Json::objectValue);
            if (CanWrite(calendar)) {
                person["email"] = UserEmail();
                person["self"] = true;
            } else {
                person["email"] = calendar.entry["id"];
                person["displayName"] = calendar.entry["summary"];
            }
            event["creator"] = person;
            event["organizer"] = person;
        }
        if (!event.isMember("end"))
            event["end"] = event["start"];
    }

    // The primary calendar's id is the user's address, as with Google.
    std::string UserEmail() const
    {
        for (const Calendar& calendar : calendars_) {
            if (calendar.entry["primary"].isBool() && calendar.entry["primary"].asBool())
                return calendar.entry["id"].asString();
        }
        return kDefaultUserEmail;
    }

    static void ApplyPaletteColour(Json::Value& entry)
    {
        // Read through a const reference: indexing a missing member would add a null one.
        const std::string id = TextMember(entry, "colorId");
        int value = 0;
        if (id.empty() || id.size() > 2 || !ReadNumber(id, 0, id.size(), value) || value < 1 ||
            value > static_cast<int>(std::size(kCalendarPalette)))
            return;
        entry["backgroundColor"] = std::string(kCalendarPalette[value - 1]);
        entry["foregroundColor"] = kPaletteForeground;
    }

    Calendar* FindCalendar(const std::string& id)
    {
        for (Calendar& calendar : calendars_) {
            // Through a const reference: readers share the lock, and must never add a member.
            if (std::as_const(calendar.entry)["id"].asString() == id)
                return &calendar;
        }
        return nullptr;
    }

    static std::vector<Json::Value>::iterator FindEvent(Calendar& calendar, const std::string& id)
    {
        return std::find_if(calendar.events.begin(), calendar.events.end(),
                            [&](const Json::Value& event) { return event["id"].asString() == id; });
    }

    static bool CanWrite(const Calendar& calendar)
    {
        const std::string role = TextMember(calendar.entry, "accessRole");
        return role == kOwnerRole || role == kWriterRole;
    }

    static void SendNotFound(httplib::Response& response)
    {
        FakeService::SendError(response, kStatusNotFound, "notFound", "Not Found");
    }

    static void SendParseError(httplib::Response& response)
    {
        FakeService::SendError(response, kStatusBadRequest, "parseError", "Parse Error");
    }

    static void SendWriterAccessNeeded(httplib::Response& response)
    {
        FakeService::SendError(response, kStatusForbidden, "requiredAccessLevel",
                               "You need to have writer access to this calendar.");
    }

    static void SendInvalid(httplib::Response& response, const std::string& message)
    {
        FakeService::SendError(response, kStatusBadRequest, "invalid", message);
    }

    static bool Refuse(httplib::Response& response, const std::string& message)
    {
        SendInvalid(response, message);
        return false;
    }

    // One page of `items` from the offset the page token names; a token this service never
    // gave is refused.
    void SendPage(const httplib::Request& request, httplib::Response& response, Json::Value answer,
                  const std::vector<const Json::Value*>& items, int listingMaximum)
    {
        std::size_t offset = 0;
        if (request.has_param("pageToken")) {
            const std::string token = request.get_param_value("pageToken");
            int value = 0;
            const std::size_t prefix = std::string_view(kPageTokenPrefix).size();
            if (token.rfind(kPageTokenPrefix, 0) != 0 || token.size() == prefix || token.size() > prefix + 9 ||
                !ReadNumber(token, prefix, token.size() - prefix, value) ||
                static_cast<std::size_t>(value) > items.size()) {
                return SendInvalid(response, "Invalid Value");
            }
            offset = static_cast<std::size_t>(value);
        }
        int requested = 0;
        if (request.has_param("maxResults")) {
            const std::string text = request.get_param_value("maxResults");
            if (text.empty() || text.size() > 9 || !ReadNumber(text, 0, text.size(), requested))
                requested = 0;
        }
        const std::size_t size = service_.PageLength(requested, listingMaximum);
        const std::size_t end = std::min(items.size(), offset + size);
        answer["items"] = Json::Value(Json::arrayValue);
        for (std::size_t i = offset; i < end; ++i)
            answer["items"].append(*items[i]);
        if (end < items.size())
            answer["nextPageToken"] = kPageTokenPrefix + std::to_string(end);
        SendJson(response, answer);
    }

    void ListCalendars(const httplib::Request& request, httplib::Response& response)
    {
        std::vector<const Json::Value*> entries;
        for (const Calendar& calendar : calendars_)
            entries.push_back(&calendar.entry);
        Json::Value answer(Json::objectValue);
        answer["kind"] = "calendar#calendarList";
        answer["etag"] = "\"" + std::to_string(nextEtag_) + "\"";
        SendPage(request, response, answer, entries, kCalendarListMaximum);
    }

    // The calendar resource: title, description and time zone.
    void PatchCalendar(const httplib::Request& request, httplib::Response& response)
    {
        Json::Value change;
        Calendar* calendar = CalendarWithBody(request, response, &change);
        if (!calendar)
            return;
        if (TextMember(calendar->entry, "accessRole") != kOwnerRole)
            return FakeService::SendError(response, kStatusForbidden, "forbidden", "Forbidden");
        for (const char* name : {"summary", "description", "timeZone", "location"}) {
            if (change[name].isString())
                calendar->entry[name] = change[name];
        }
        calendar->entry["etag"] = NextEtag();
        Json::Value answer(Json::objectValue);
        answer["kind"] = "calendar#calendar";
        answer["etag"] = calendar->entry["etag"];
        for (const char* name : {"id", "summary", "description", "timeZone", "location"}) {
            if (calendar->entry.isMember(name))
                answer[name] = calendar->entry[name];
        }
        SendJson(response, answer);
    }

    // The user's own view of a calendar: colour, selection, an override title. Any role may
    // change it, since it is the user's and not the calendar's.
    void PatchCalendarListEntry(const httplib::Request& request, httplib::Response& response)
    {
        Json::Value change;
        Calendar* calendar = CalendarWithBody(request, response, &change);
        if (!calendar)
            return;
        // Explicit colours count only when the caller says they are RGB texts, as with Google.
        const bool rgb = request.get_param_value("colorRgbFormat") == "true";
        for (const char* name : {"backgroundColor", "foregroundColor"}) {
            if (change[name].isNull())
                continue;
            if (!rgb)
                return SendInvalid(response, "Cannot set the colors without colorRgbFormat=true.");
            if (!IsRgbColour(change[name]))
                return SendInvalid(response, "Invalid Value");
        }
        for (const char* name : {"colorId", "summaryOverride", "selected", "hidden"}) {
            if (!change[name].isNull())
                calendar->entry[name] = change[name];
        }
        if (!change["colorId"].isNull())
            ApplyPaletteColour(calendar->entry);
        for (const char* name : {"backgroundColor", "foregroundColor"}) {
            if (!change[name].isNull())
                calendar->entry[name] = Lowered(change[name].asString());
        }
        if (!change["backgroundColor"].isNull())
            calendar->entry["colorId"] = NearestPaletteId(calendar->entry["backgroundColor"].asString());
        calendar->entry["etag"] = NextEtag();
        SendJson(response, calendar->entry);
    }

    void ListEvents(const httplib::Request& request, httplib::Response& response)
    {
        Calendar* calendar = FindCalendar(request.matches[1]);
        if (!calendar)
            return SendNotFound(response);
        std::optional<long long> timeMin;
        std::optional<long long> timeMax;
        for (auto [name, bound] : {std::pair{"timeMin", &timeMin}, std::pair{"timeMax", &timeMax}}) {
            if (!request.has_param(name))
                continue;
            *bound = ParseInstant(request.get_param_value(name));
            if (!*bound)
                return FakeService::SendError(response, kStatusBadRequest, "badRequest", "Bad Request");
        }
        const std::string orderBy = request.get_param_value("orderBy");
        const bool byStart = orderBy == "startTime";
        if (byStart && request.get_param_value("singleEvents") != "true")
            return SendInvalid(response, "The requested ordering is not available for the particular query.");
        if (request.has_param("orderBy") && !byStart && orderBy != "updated")
            return SendInvalid(response, "Invalid Value");
        const std::string query = request.get_param_value("q");

        // An event is in the window when it ends after timeMin and starts before timeMax.
        std::vector<const Json::Value*> events;
        std::vector<std::pair<long long, const Json::Value*>> starts;
        for (const Json::Value& event : calendar->events) {
            const long long start = TimeInstant(event["start"]).value_or(0);
            const long long end = TimeInstant(event["end"]).value_or(start);
            if (timeMin && end <= *timeMin)
                continue;
            if (timeMax && start >= *timeMax)
                continue;
            if (!query.empty() && !MatchesQuery(event, query))
                continue;
            events.push_back(&event);
            starts.emplace_back(start, &event);
        }
        if (byStart) {
            // Each start is read once: sorting by re-reading them dominated large listings.
            std::stable_sort(starts.begin(), starts.end(),
                             [](const auto& a, const auto& b) { return a.first < b.first; });
            for (std::size_t i = 0; i < starts.size(); ++i)
                events[i] = starts[i].second;
        } else if (orderBy == "updated") {
            // The stamps share one fixed form, so text order is time order.
            std::stable_sort(events.begin(), events.end(), [](const Json::Value* a, const Json::Value* b) {
                return TextMember(*a, "updated") < TextMember(*b, "updated");
            });
        }
        Json::Value answer(Json::objectValue);
        answer["kind"] = "calendar#events";
        answer["etag"] = "\"" + std::to_string(nextEtag_) + "\"";
        // Copied only when there: indexing the stored entry would give it null members.
        for (const char* name : {"summary", "timeZone", "accessRole"}) {
            if (calendar->entry.isMember(name))
                answer[name] = calendar->entry[name];
        }
        answer["updated"] = UtcStamp();
        SendPage(request, response, answer, events, kEventsMaximum);
    }

    // Checks a written event; answers and returns false when the service would refuse it.
    // `colour` is what the request itself set: a colour the event already had is not the
    // writer's to answer for.
    static bool CheckEvent(const Json::Value& event, httplib::Response& response, const Json::Value& colour)
    {
        if (!event["start"].isObject())
            return Refuse(response, "Missing start time.");
        if (!event["end"].isObject())
            return Refuse(response, "Missing end time.");
        if (!IsValidTime(event["start"]) || !IsValidTime(event["end"]))
            return Refuse(response, "Invalid start or end time.");
        if (!IsValidEventColor(colour))
            return Refuse(response, "Invalid Value");
        for (const char* name : {"summary", "description", "location", "status"}) {
            if (!event[name].isNull() && !event[name].isString())
                return Refuse(response, "Invalid Value");
        }
        return true;
    }

    // Members the client may not set.
    static void DropReadOnly(Json::Value& change)
    {
        for (const char* name : {"id", "etag", "kind", "htmlLink", "created", "updated", "creator", "organizer"})
            change.removeMember(name);
    }

    // The path's calendar, and the request's JSON body when `body` is given; otherwise the
    // refusal is answered and the result is nullptr.
    Calendar* CalendarWithBody(const httplib::Request& request, httplib::Response& response, Json::Value* body)
    {
        Calendar* calendar = FindCalendar(request.matches[1]);
        if (!calendar) {
            SendNotFound(response);
            return nullptr;
        }
        if (body && !ReadJsonObjectBody(request.body, *body)) {
            SendParseError(response);
            return nullptr;
        }
        return calendar;
    }

    // The same, for a calendar the caller may write events to.
    Calendar* WritableCalendar(const httplib::Request& request, httplib::Response& response, Json::Value* body)
    {
        Calendar* calendar = CalendarWithBody(request, response, body);
        if (calendar && !CanWrite(*calendar)) {
            SendWriterAccessNeeded(response);
            return nullptr;
        }
        return calendar;
    }

    void InsertEvent(const httplib::Request& request, httplib::Response& response)
    {
        Json::Value event;
        Calendar* calendar = WritableCalendar(request, response, &event);
        if (!calendar)
            return;
        DropReadOnly(event);
        if (!CheckEvent(event, response, event["colorId"]))
            return;
        FillEvent(event, *calendar, true);
        calendar->events.push_back(event);
        SendJson(response, event);
    }

    void PatchEvent(const httplib::Request& request, httplib::Response& response)
    {
        Json::Value change;
        Calendar* calendar = WritableCalendar(request, response, &change);
        if (!calendar)
            return;
        const auto found = FindEvent(*calendar, request.matches[2]);
        if (found == calendar->events.end())
            return SendNotFound(response);
        DropReadOnly(change);
        Json::Value patched = *found;
        Merge(patched, change);
        if (!CheckEvent(patched, response, change["colorId"]))
            return;
        patched["etag"] = NextEtag();
        patched["updated"] = UtcStamp();
        *found = patched;
        SendJson(response, patched);
    }

    void DeleteEvent(const httplib::Request& request, httplib::Response& response)
    {
        Calendar* calendar = WritableCalendar(request, response, nullptr);
        if (!calendar)
            return;
        const std::string id = request.matches[2];
        const auto deletedKey = std::pair(calendar->entry["id"].asString(), id);
        const auto found = FindEvent(*calendar, id);
        if (found == calendar->events.end()) {
            if (deletedEvents_.count(deletedKey))
                return FakeService::SendError(response, kStatusGone, "deleted", "Resource has been deleted");
            return SendNotFound(response);
        }
        calendar->events.erase(found);
        deletedEvents_.insert(deletedKey);
        response.status = kStatusNoContent;
    }

    FakeService& service_;
    std::shared_mutex mutex_;
    std::vector<Calendar> calendars_;
    std::set<std::pair<std::string, std::string>> deletedEvents_; // calendar id, event id
    long long nextEtag_ = kFirstEtag;
    int nextEventNumber_ = 1;
};

} // namespace

std::unique_ptr<FakeModule> MakeCalendarModule(FakeService& service)
{
    return std::make_unique<CalendarModule>(service);
}

} // namespace orb::fake
