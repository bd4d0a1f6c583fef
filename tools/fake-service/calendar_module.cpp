#include "tools/fake-service/fake_service.h"

#include "core/instant.h"
#include "tools/fake-service/json_body.h"
#include "tools/fake-service/module_routes.h"
#include "tools/fake-service/random_text.h"
#include "tools/fake-service/sync_token.h"
#include "tools/fake-service/time_text.h"

#include <httplib.h>
#include <json/json.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <memory>
#include <mutex>
#include <optional>
#include <shared_mutex>
#include <sstream>
#include <string_view>
#include <utility>

// The Calendar v3 endpoints the program uses, with real state: the calendar list (with its
// removals), calendar and calendar-list PATCH, and events (list with timeMin/timeMax, q,
// orderBy=startTime and paging; insert, patch, delete), with the incremental listings of
// syncToken and updatedMin. The seed document's member "calendar" is described in this
// folder's README.

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
constexpr const char* kChangesTokenPrefix = "sync-";
constexpr const char* kCalendarListScope = "calendarList";
constexpr const char* kEventsScopePrefix = "events/";
constexpr std::size_t kSyncEpochBytes = 8;
// Google refuses these beside a sync token: they would make the client's copy a different subset.
constexpr const char* kNotWithSyncToken[] = {
    "iCalUID", "orderBy", "privateExtendedProperty", "q", "sharedExtendedProperty", "timeMin", "timeMax", "updatedMin"};
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

// Google's calendar palette, "1" to "24".
constexpr std::string_view kCalendarPalette[] = {
    "#ac725e", "#d06b64", "#f83a22", "#fa573c", "#ff7537", "#ffad46", "#42d692", "#16a765",
    "#7bd148", "#b3dc6c", "#fbe983", "#fad165", "#92e1c0", "#9fe1e7", "#9fc6e7", "#4986e7",
    "#9a9cff", "#b99aff", "#c2c2c2", "#cabdbf", "#cca6ac", "#f691b2", "#cd74e6", "#a47ae2",
};
constexpr const char* kPaletteForeground = "#000000";

struct Event
{
    Json::Value resource; // as listed
    long long change = 0; // the change that last touched it
};

struct Calendar
{
    Json::Value entry; // the calendar-list entry, as listed
    long long change = 0;
    std::vector<Event> events; // in insertion order
};

// What a deleted event leaves behind: listings show `resource` ("status": "cancelled"), and
// the event's last start and end place it in a window.
struct CancelledEvent
{
    std::string calendarId;
    Json::Value resource;
    long long change = 0;
    long long start = 0;
    long long end = 0;
};

// A calendar taken off the user's list; listings show `resource` ("deleted": true).
struct RemovedEntry
{
    Json::Value resource;
    long long change = 0;
};

// An item a listing may show, with the change that last touched it.
struct Listed
{
    const Json::Value* resource;
    long long change;
};

// What a state file adds so that sync tokens handed out before a restart still work.
struct SyncHistory
{
    std::optional<std::string> epoch;
    long long lastChange = 0;
    std::optional<long long> start;
};

void SendJson(httplib::Response& response, const Json::Value& document)
{
    FakeService::SendJson(response, kStatusOk, document);
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

// A deleted event as incremental listings show it: Google promises only the id.
Json::Value CancelledResource(const std::string& id, const std::string& etag, const std::string& updated)
{
    Json::Value event(Json::objectValue);
    event["kind"] = "calendar#event";
    event["etag"] = etag;
    event["id"] = id;
    event["status"] = "cancelled";
    event["updated"] = updated;
    return event;
}

Json::Value RemovedResource(const std::string& id, const std::string& etag)
{
    Json::Value entry(Json::objectValue);
    entry["kind"] = "calendar#calendarListEntry";
    entry["etag"] = etag;
    entry["id"] = id;
    entry["deleted"] = true;
    return entry;
}

// The calendar's own error document, as its error guide shows them; `parameter` names the one
// at fault, when known.
void SendCalendarError(httplib::Response& response, int status, const char* reason, const char* message,
                       const char* parameter)
{
    Json::Value detail;
    detail["domain"] = "calendar";
    detail["reason"] = reason;
    detail["message"] = message;
    if (parameter) {
        detail["locationType"] = "parameter";
        detail["location"] = parameter;
    }
    Json::Value document;
    document["error"]["errors"].append(detail);
    document["error"]["code"] = status;
    document["error"]["message"] = message;
    FakeService::SendJson(response, status, document);
}

void SendFullSyncRequired(httplib::Response& response)
{
    SendCalendarError(response, kStatusGone, "fullSyncRequired",
                      "Sync token is no longer valid, a full sync is required.", "syncToken");
}

// Google's reference names the refusal but not its words; these are the ones its service answers.
void SendSyncTokenRestricted(httplib::Response& response)
{
    SendCalendarError(response, kStatusBadRequest, "syncTokenWithRequestRestrictions",
                      "Sync token cannot be used with other request restrictions.", nullptr);
}

// With a sync token deleted (and hidden) items always come; a flag may only say so.
bool TrueIfGiven(const httplib::Request& request, const char* flag)
{
    return !request.has_param(flag) || request.get_param_value(flag) == "true";
}

bool ReadWholeNumber(std::string_view text, long long& value)
{
    const auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), value);
    return status == std::errc() && end == text.data() + text.size() && !text.empty() && value >= 0;
}

// "<prefix><first>-<second>", both whole numbers.
bool ReadPageToken(std::string_view token, std::string_view prefix, long long& first, long long& second)
{
    if (token.substr(0, prefix.size()) != prefix)
        return false;
    token.remove_prefix(prefix.size());
    const std::size_t dash = token.find('-');
    return dash != std::string_view::npos && ReadWholeNumber(token.substr(0, dash), first) &&
           ReadWholeNumber(token.substr(dash + 1), second);
}

class CalendarModule : public FakeModule
{
public:
    explicit CalendarModule(FakeService& service) : service_(service)
    {
        AddRoute("GET", kCalendarListPattern, &CalendarModule::ListCalendars);
        AddRoute("PATCH", kCalendarListEntryPattern, &CalendarModule::PatchCalendarListEntry);
        AddRoute("DELETE", kCalendarListEntryPattern, &CalendarModule::RemoveCalendarListEntry);
        AddRoute("PATCH", kCalendarPattern, &CalendarModule::PatchCalendar);
        AddRoute("GET", kEventsPattern, &CalendarModule::ListEvents);
        AddRoute("POST", kEventsPattern, &CalendarModule::InsertEvent);
        AddRoute("PATCH", kEventPattern, &CalendarModule::PatchEvent);
        AddRoute("DELETE", kEventPattern, &CalendarModule::DeleteEvent);
    }

    void Register(httplib::Server& server) override { routes_.Register(server, service_); }

    bool Serve(const std::string& method, const std::string& target, const std::string& body,
               httplib::Response& response) override
    {
        return routes_.Serve(method, target, body, response);
    }

    void ExpireSyncTokens() override
    {
        std::lock_guard lock(mutex_);
        syncEpoch_ = RandomHex(kSyncEpochBytes);
        // Later than every stamp handed out, so no updatedMin taken from one reaches past it.
        historyStart_ = clock_.NextMillis();
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
            if (!CheckSavedChanges(entry, error))
                return false;
        }
        // What the state file adds, so that a service started from it neither hands out an id
        // or etag again nor forgets which events it deleted and which changes its tokens saw.
        long long nextEtag = 0;
        int nextEventNumber = 0;
        std::vector<CancelledEvent> cancelled;
        std::vector<RemovedEntry> removed;
        SyncHistory history;
        if (!ReadCounters(member, nextEtag, nextEventNumber, error) || !ReadDeletedEvents(member, cancelled, error) ||
            !ReadRemovedCalendars(member, removed, error) || !ReadSyncHistory(member, history, error))
            return false;

        std::lock_guard lock(mutex_);
        nextEtag_ = std::max(nextEtag_, nextEtag);
        nextEventNumber_ = std::max(nextEventNumber_, nextEventNumber);
        // A seed is one change at the service: its events share one stamp.
        const std::string stamp = clock_.Next();
        for (const Json::Value& entry : calendars) {
            const std::string id = entry["id"].asString();
            std::erase_if(removed_, [&](const RemovedEntry& gone) { return TextMember(gone.resource, "id") == id; });
            Calendar* calendar = FindCalendar(id);
            if (!calendar) {
                calendars_.emplace_back();
                calendar = &calendars_.back();
            }
            Json::Value members = entry;
            members.removeMember("events");
            members.removeMember("syncChanges");
            Merge(calendar->entry, members);
            FillEntry(calendar->entry, members);
            const Json::Value& saved = entry["syncChanges"];
            calendar->change = saved.isObject() ? saved["entry"].asInt64() : NextChange();
            Json::ArrayIndex index = 0;
            for (const Json::Value& event : entry["events"]) {
                Event added{event, saved.isObject() ? saved["events"][index++].asInt64() : NextChange()};
                FillEvent(added.resource, *calendar, !event.isMember("created"), stamp);
                ForgetCancelled(id, TextMember(added.resource, "id"));
                calendar->events.push_back(std::move(added));
            }
        }
        for (CancelledEvent& event : cancelled) {
            ForgetCancelled(event.calendarId, TextMember(event.resource, "id"));
            if (TextMember(event.resource, "etag").empty())
                event.resource["etag"] = NextEtag();
            cancelled_.push_back(std::move(event));
        }
        for (RemovedEntry& entry : removed) {
            if (TextMember(entry.resource, "etag").empty())
                entry.resource["etag"] = NextEtag();
            removed_.push_back(std::move(entry));
        }
        if (history.epoch)
            syncEpoch_ = *history.epoch;
        lastChange_ = std::max(lastChange_, history.lastChange);
        if (history.start)
            historyStart_ = history.start;
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
            Json::Value changes(Json::objectValue);
            changes["entry"] = static_cast<Json::Int64>(calendar.change);
            changes["events"] = Json::Value(Json::arrayValue);
            for (const Event& event : calendar.events) {
                entry["events"].append(event.resource);
                changes["events"].append(static_cast<Json::Int64>(event.change));
            }
            entry["syncChanges"] = changes;
            member["calendars"].append(entry);
        }
        member["deletedEvents"] = Json::Value(Json::arrayValue);
        for (const CancelledEvent& event : cancelled_) {
            Json::Value deleted(Json::objectValue);
            deleted["calendarId"] = event.calendarId;
            deleted["eventId"] = event.resource["id"];
            deleted["etag"] = event.resource["etag"];
            deleted["updated"] = event.resource["updated"];
            deleted["change"] = static_cast<Json::Int64>(event.change);
            deleted["start"] = static_cast<Json::Int64>(event.start);
            deleted["end"] = static_cast<Json::Int64>(event.end);
            member["deletedEvents"].append(deleted);
        }
        member["removedCalendars"] = Json::Value(Json::arrayValue);
        for (const RemovedEntry& entry : removed_) {
            Json::Value removed(Json::objectValue);
            removed["id"] = entry.resource["id"];
            removed["etag"] = entry.resource["etag"];
            removed["change"] = static_cast<Json::Int64>(entry.change);
            member["removedCalendars"].append(removed);
        }
        member["nextEtag"] = static_cast<Json::Int64>(nextEtag_);
        member["nextEventNumber"] = nextEventNumber_;
        member["syncEpoch"] = syncEpoch_;
        member["lastChange"] = static_cast<Json::Int64>(lastChange_);
        if (historyStart_)
            member["historyStart"] = static_cast<Json::Int64>(*historyStart_);
        root[kSeedMember] = member;
    }

    void Reset() override
    {
        std::lock_guard lock(mutex_);
        calendars_.clear();
        cancelled_.clear();
        removed_.clear();
        nextEventNumber_ = 1;
        lastChange_ = 0;
        syncEpoch_ = RandomHex(kSyncEpochBytes);
        historyStart_.reset();
    }

private:
    using Handler = void (CalendarModule::*)(const httplib::Request&, httplib::Response&);

    void AddRoute(const char* method, const char* pattern, Handler handler)
    {
        routes_.AddLocked(
            method, pattern, mutex_,
            [this, handler](const httplib::Request& request, httplib::Response& response) {
                (this->*handler)(request, response);
            },
            [this] { service_.StateChanged(); });
    }

    long long NextChange() { return ++lastChange_; }

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

    static bool IsChangeNumber(const Json::Value& value) { return value.isInt64() && value.asInt64() >= 0; }

    // A state file's "syncChanges" of one calendar: {"entry": N, "events": [N, ...]}, one per event.
    static bool CheckSavedChanges(const Json::Value& entry, std::string& error)
    {
        const Json::Value& saved = entry["syncChanges"];
        if (saved.isNull())
            return true;
        const Json::Value& events = saved["events"];
        const Json::ArrayIndex count = entry["events"].isArray() ? entry["events"].size() : 0;
        if (!saved.isObject() || !IsChangeNumber(saved["entry"]) || !events.isArray() || events.size() != count ||
            !std::all_of(events.begin(), events.end(), IsChangeNumber)) {
            error = "calendar.calendars: syncChanges of " + entry["id"].asString() +
                    " must be {\"entry\": N, \"events\": [N, ...]} with one whole number per event";
            return false;
        }
        return true;
    }

    // [{"calendarId", "eventId", "etag", "updated", "change", "start", "end"}]: deleted events, which
    // answer 410 rather than 404 and show as cancelled; only the ids are required.
    static bool ReadDeletedEvents(const Json::Value& member, std::vector<CancelledEvent>& deleted, std::string& error)
    {
        const Json::Value& list = member["deletedEvents"];
        if (!list.isNull() && !list.isArray()) {
            error = "calendar.deletedEvents must be an array";
            return false;
        }
        for (const Json::Value& item : list) {
            const bool texts = item.isObject() && item["calendarId"].isString() && item["eventId"].isString() &&
                               (item["etag"].isNull() || item["etag"].isString()) &&
                               (item["updated"].isNull() || item["updated"].isString());
            const bool numbers = texts && (item["change"].isNull() || IsChangeNumber(item["change"])) &&
                                 (item["start"].isNull() || item["start"].isInt64()) &&
                                 (item["end"].isNull() || item["end"].isInt64());
            if (!numbers) {
                error = "calendar.deletedEvents: every element needs a string \"calendarId\" and \"eventId\" "
                        "(and may have a string \"etag\" and \"updated\" and whole numbers \"change\", \"start\" "
                        "and \"end\")";
                return false;
            }
            CancelledEvent event;
            event.calendarId = item["calendarId"].asString();
            event.resource = CancelledResource(item["eventId"].asString(), item.get("etag", "").asString(),
                                               item.get("updated", "").asString());
            event.change = item.get("change", 0).asInt64();
            event.start = item.get("start", 0).asInt64();
            event.end = item.get("end", 0).asInt64();
            deleted.push_back(std::move(event));
        }
        return true;
    }

    // [{"id", "etag", "change"}]: calendars taken off the list, listed as deleted.
    static bool ReadRemovedCalendars(const Json::Value& member, std::vector<RemovedEntry>& removed, std::string& error)
    {
        const Json::Value& list = member["removedCalendars"];
        if (!list.isNull() && !list.isArray()) {
            error = "calendar.removedCalendars must be an array";
            return false;
        }
        for (const Json::Value& item : list) {
            if (!item.isObject() || !item["id"].isString() || !(item["etag"].isNull() || item["etag"].isString()) ||
                !(item["change"].isNull() || IsChangeNumber(item["change"]))) {
                error = "calendar.removedCalendars: every element needs a string \"id\" (and may have a string "
                        "\"etag\" and a whole number \"change\")";
                return false;
            }
            removed.push_back({RemovedResource(item["id"].asString(), item.get("etag", "").asString()),
                               item.get("change", 0).asInt64()});
        }
        return true;
    }

    static bool ReadSyncHistory(const Json::Value& member, SyncHistory& history, std::string& error)
    {
        const Json::Value& epoch = member["syncEpoch"];
        const Json::Value& last = member["lastChange"];
        const Json::Value& start = member["historyStart"];
        if ((!epoch.isNull() && (!epoch.isString() || epoch.asString().empty())) ||
            (!last.isNull() && !IsChangeNumber(last)) || (!start.isNull() && !start.isInt64())) {
            error = "calendar: syncEpoch must be a non-empty string, lastChange and historyStart whole numbers";
            return false;
        }
        if (epoch.isString())
            history.epoch = epoch.asString();
        history.lastChange = last.isNull() ? 0 : last.asInt64();
        if (!start.isNull())
            history.start = start.asInt64();
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

    void FillEvent(Json::Value& event, const Calendar& calendar, bool stampCreation, const std::string& stamp)
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
            event["created"] = stamp;
            event["updated"] = stamp;
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

    static std::vector<Event>::iterator FindEvent(Calendar& calendar, const std::string& id)
    {
        return std::find_if(calendar.events.begin(), calendar.events.end(),
                            [&](const Event& event) { return TextMember(event.resource, "id") == id; });
    }

    bool IsCancelled(const std::string& calendarId, const std::string& eventId) const
    {
        return std::any_of(cancelled_.begin(), cancelled_.end(), [&](const CancelledEvent& event) {
            return event.calendarId == calendarId && TextMember(event.resource, "id") == eventId;
        });
    }

    // An event that is there again is no longer deleted.
    void ForgetCancelled(const std::string& calendarId, const std::string& eventId)
    {
        std::erase_if(cancelled_, [&](const CancelledEvent& event) {
            return event.calendarId == calendarId && TextMember(event.resource, "id") == eventId;
        });
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

    // PageSize() without maxResults, else what was asked up to the listing's maximum.
    std::size_t PageLengthFor(const httplib::Request& request, int listingMaximum) const
    {
        int requested = 0;
        if (request.has_param("maxResults")) {
            const std::string text = request.get_param_value("maxResults");
            if (text.empty() || text.size() > 9 || !ReadNumber(text, 0, text.size(), requested))
                requested = 0;
        }
        return service_.PageLength(requested, listingMaximum);
    }

    std::string NextSyncToken(const std::string& scope, long long ceiling) const
    {
        return EncodeSyncToken({syncEpoch_, scope, ceiling});
    }

    // One page of `items`, in the listing's order, from the offset the page token names. The
    // token also carries the last change made before the listing began, which the last page's
    // sync token names: whatever changes while the client pages comes again in its next
    // incremental listing. A token this service never gave is refused.
    void SendPage(const httplib::Request& request, httplib::Response& response, Json::Value answer,
                  const std::vector<Listed>& items, int listingMaximum, const std::string& scope)
    {
        long long offset = 0;
        long long ceiling = lastChange_;
        if (request.has_param("pageToken") &&
            (!ReadPageToken(request.get_param_value("pageToken"), kPageTokenPrefix, offset, ceiling) ||
             static_cast<std::size_t>(offset) > items.size() || ceiling > lastChange_))
            return SendInvalid(response, "Invalid Value");
        const std::size_t size = PageLengthFor(request, listingMaximum);
        const std::size_t begin = static_cast<std::size_t>(offset);
        const std::size_t end = std::min(items.size(), begin + size);
        answer["items"] = Json::Value(Json::arrayValue);
        for (std::size_t i = begin; i < end; ++i)
            answer["items"].append(*items[i].resource);
        if (end < items.size())
            answer["nextPageToken"] = kPageTokenPrefix + std::to_string(end) + "-" + std::to_string(ceiling);
        else
            answer["nextSyncToken"] = NextSyncToken(scope, ceiling);
        SendJson(response, answer);
    }

    // The items changed since a sync token, in the order of their changes. The page token holds
    // the last change served and the last one the listing covers, so an item that changes while
    // the client pages moves past the listing's end and comes again in the next one instead of
    // pushing another off the page.
    void SendChanges(const httplib::Request& request, httplib::Response& response, Json::Value answer,
                     std::vector<Listed> items, int listingMaximum, const std::string& scope)
    {
        long long after = 0;
        long long ceiling = lastChange_;
        if (request.has_param("pageToken") &&
            (!ReadPageToken(request.get_param_value("pageToken"), kChangesTokenPrefix, after, ceiling) ||
             after > ceiling || ceiling > lastChange_))
            return SendInvalid(response, "Invalid Value");
        std::erase_if(items, [&](const Listed& item) { return item.change <= after || item.change > ceiling; });
        std::sort(items.begin(), items.end(), [](const Listed& a, const Listed& b) { return a.change < b.change; });
        const std::size_t end = std::min(items.size(), PageLengthFor(request, listingMaximum));
        answer["items"] = Json::Value(Json::arrayValue);
        for (std::size_t i = 0; i < end; ++i)
            answer["items"].append(*items[i].resource);
        if (end < items.size())
            answer["nextPageToken"] =
                kChangesTokenPrefix + std::to_string(items[end - 1].change) + "-" + std::to_string(ceiling);
        else
            answer["nextSyncToken"] = NextSyncToken(scope, ceiling);
        SendJson(response, answer);
    }

    // The change the request's sync token was handed out at; nothing, with 410 answered, for a
    // token this service does not know now (another scope, an expired epoch, or not its own).
    std::optional<long long> SyncTokenChange(const httplib::Request& request, const std::string& scope,
                                             httplib::Response& response) const
    {
        const std::optional<SyncPoint> point = DecodeSyncToken(request.get_param_value("syncToken"));
        if (!point || point->epoch != syncEpoch_ || point->scope != scope || point->change > lastChange_) {
            SendFullSyncRequired(response);
            return std::nullopt;
        }
        return point->change;
    }

    void ListCalendars(const httplib::Request& request, httplib::Response& response)
    {
        Json::Value answer(Json::objectValue);
        answer["kind"] = "calendar#calendarList";
        answer["etag"] = "\"" + std::to_string(nextEtag_) + "\"";
        std::vector<Listed> items;
        if (request.has_param("syncToken")) {
            if (request.has_param("minAccessRole") || !TrueIfGiven(request, "showDeleted") ||
                !TrueIfGiven(request, "showHidden"))
                return SendSyncTokenRestricted(response);
            const std::optional<long long> since = SyncTokenChange(request, kCalendarListScope, response);
            if (!since)
                return;
            // Hidden and deleted entries always come with a token.
            for (const Calendar& calendar : calendars_) {
                if (calendar.change > *since)
                    items.push_back({&calendar.entry, calendar.change});
            }
            for (const RemovedEntry& entry : removed_) {
                if (entry.change > *since)
                    items.push_back({&entry.resource, entry.change});
            }
            return SendChanges(request, response, answer, std::move(items), kCalendarListMaximum, kCalendarListScope);
        }
        const bool showHidden = request.get_param_value("showHidden") == "true";
        for (const Calendar& calendar : calendars_) {
            const Json::Value& hidden = calendar.entry["hidden"];
            if (showHidden || !hidden.isBool() || !hidden.asBool())
                items.push_back({&calendar.entry, calendar.change});
        }
        if (request.get_param_value("showDeleted") == "true") {
            for (const RemovedEntry& entry : removed_)
                items.push_back({&entry.resource, entry.change});
        }
        SendPage(request, response, answer, items, kCalendarListMaximum, kCalendarListScope);
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
        // Calendar properties are read-only in its list entry: as Google documents, a change to
        // them alone does not bring the entry into incremental listings.
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
        calendar->change = NextChange();
        SendJson(response, calendar->entry);
    }

    // calendarList.delete: the calendar leaves the user's list, with its events.
    void RemoveCalendarListEntry(const httplib::Request& request, httplib::Response& response)
    {
        const std::string id = request.matches[1];
        const auto found = std::find_if(calendars_.begin(), calendars_.end(), [&](const Calendar& calendar) {
            return TextMember(calendar.entry, "id") == id;
        });
        if (found == calendars_.end())
            return SendNotFound(response);
        calendars_.erase(found);
        std::erase_if(cancelled_, [&](const CancelledEvent& event) { return event.calendarId == id; });
        removed_.push_back({RemovedResource(id, NextEtag()), NextChange()});
        response.status = kStatusNoContent;
    }

    Json::Value EventsAnswer(const Calendar& calendar) const
    {
        Json::Value answer(Json::objectValue);
        answer["kind"] = "calendar#events";
        answer["etag"] = "\"" + std::to_string(nextEtag_) + "\"";
        // Copied only when there: indexing the stored entry would give it null members.
        for (const char* name : {"summary", "timeZone", "accessRole"}) {
            if (calendar.entry.isMember(name))
                answer[name] = calendar.entry[name];
        }
        answer["updated"] = UtcMillisText(NowMillis());
        return answer;
    }

    void ListEventChanges(const httplib::Request& request, httplib::Response& response, const Calendar& calendar,
                          const std::string& scope)
    {
        if (std::any_of(std::begin(kNotWithSyncToken), std::end(kNotWithSyncToken),
                        [&](const char* name) { return request.has_param(name); }) ||
            !TrueIfGiven(request, "showDeleted"))
            return SendSyncTokenRestricted(response);
        const std::optional<long long> since = SyncTokenChange(request, scope, response);
        if (!since)
            return;
        const std::string calendarId = TextMember(calendar.entry, "id");
        std::vector<Listed> items;
        for (const Event& event : calendar.events) {
            if (event.change > *since)
                items.push_back({&event.resource, event.change});
        }
        for (const CancelledEvent& event : cancelled_) {
            if (event.calendarId == calendarId && event.change > *since)
                items.push_back({&event.resource, event.change});
        }
        SendChanges(request, response, EventsAnswer(calendar), std::move(items), kEventsMaximum, scope);
    }

    void ListEvents(const httplib::Request& request, httplib::Response& response)
    {
        const Calendar* calendar = FindCalendar(request.matches[1]);
        if (!calendar)
            return SendNotFound(response);
        const std::string scope = kEventsScopePrefix + TextMember(calendar->entry, "id");
        if (request.has_param("syncToken"))
            return ListEventChanges(request, response, *calendar, scope);
        std::optional<long long> timeMin;
        std::optional<long long> timeMax;
        for (auto [name, bound] : {std::pair{"timeMin", &timeMin}, std::pair{"timeMax", &timeMax}}) {
            if (!request.has_param(name))
                continue;
            *bound = ParseInstant(request.get_param_value(name));
            if (!*bound)
                return FakeService::SendError(response, kStatusBadRequest, "badRequest", "Bad Request");
        }
        std::optional<long long> updatedMin;
        if (request.has_param("updatedMin")) {
            updatedMin = InstantMillis(request.get_param_value("updatedMin"));
            if (!updatedMin)
                return FakeService::SendError(response, kStatusBadRequest, "badRequest", "Bad Request");
            if (historyStart_ && *updatedMin < *historyStart_)
                return SendCalendarError(response, kStatusGone, "updatedMinTooLongAgo",
                                         "The requested minimum modification time lies too far in the past.",
                                         "updatedMin");
        }
        const std::string orderBy = request.get_param_value("orderBy");
        const bool byStart = orderBy == "startTime";
        if (byStart && request.get_param_value("singleEvents") != "true")
            return SendInvalid(response, "The requested ordering is not available for the particular query.");
        if (request.has_param("orderBy") && !byStart && orderBy != "updated")
            return SendInvalid(response, "Invalid Value");
        const std::string query = request.get_param_value("q");
        // With updatedMin, deletions since then come whatever showDeleted says.
        const bool withCancelled = updatedMin || request.get_param_value("showDeleted") == "true";

        // An event is in the window when it ends after timeMin and starts before timeMax. Each
        // start is read once: sorting by re-reading them dominated large listings.
        const auto inWindow = [&](long long start, long long end) {
            return !(timeMin && end <= *timeMin) && !(timeMax && start >= *timeMax);
        };
        const auto updatedSince = [&](const Json::Value& resource) {
            return !updatedMin ||
                   InstantMillis(TextMember(resource, "updated")).value_or(*updatedMin - 1) >= *updatedMin;
        };
        std::vector<std::pair<long long, Listed>> found;
        for (const Event& event : calendar->events) {
            const long long start = TimeInstant(event.resource["start"]).value_or(0);
            const long long end = TimeInstant(event.resource["end"]).value_or(start);
            if (inWindow(start, end) && (query.empty() || MatchesQuery(event.resource, query)) &&
                updatedSince(event.resource))
                found.push_back({start, {&event.resource, event.change}});
        }
        // A deleted event keeps no text for q to match.
        if (withCancelled && query.empty()) {
            const std::string calendarId = TextMember(calendar->entry, "id");
            for (const CancelledEvent& event : cancelled_) {
                if (event.calendarId == calendarId && inWindow(event.start, event.end) && updatedSince(event.resource))
                    found.push_back({event.start, {&event.resource, event.change}});
            }
        }
        if (byStart) {
            std::stable_sort(found.begin(), found.end(),
                             [](const auto& a, const auto& b) { return a.first < b.first; });
        } else if (orderBy == "updated") {
            // The stamps share one fixed form, so text order is time order.
            std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
                return TextMember(*a.second.resource, "updated") < TextMember(*b.second.resource, "updated");
            });
        }
        std::vector<Listed> items;
        items.reserve(found.size());
        for (const auto& item : found)
            items.push_back(item.second);
        SendPage(request, response, EventsAnswer(*calendar), items, kEventsMaximum, scope);
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
        FillEvent(event, *calendar, true, clock_.Next());
        // As Google does: a new event without reminders of its own takes the calendar's.
        if (!event.isMember("reminders"))
            event["reminders"]["useDefault"] = true;
        calendar->events.push_back({event, NextChange()});
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
        Json::Value patched = found->resource;
        Merge(patched, change);
        if (!CheckEvent(patched, response, change["colorId"]))
            return;
        patched["etag"] = NextEtag();
        patched["updated"] = clock_.Next();
        found->resource = patched;
        found->change = NextChange();
        SendJson(response, patched);
    }

    // The event leaves a cancelled one behind, which incremental listings report.
    void DeleteEvent(const httplib::Request& request, httplib::Response& response)
    {
        Calendar* calendar = WritableCalendar(request, response, nullptr);
        if (!calendar)
            return;
        const std::string calendarId = TextMember(calendar->entry, "id");
        const std::string id = request.matches[2];
        const auto found = FindEvent(*calendar, id);
        if (found == calendar->events.end()) {
            if (IsCancelled(calendarId, id))
                return FakeService::SendError(response, kStatusGone, "deleted", "Resource has been deleted");
            return SendNotFound(response);
        }
        CancelledEvent cancelled;
        cancelled.calendarId = calendarId;
        cancelled.start = TimeInstant(found->resource["start"]).value_or(0);
        cancelled.end = TimeInstant(found->resource["end"]).value_or(cancelled.start);
        cancelled.resource = CancelledResource(id, NextEtag(), clock_.Next());
        cancelled.change = NextChange();
        calendar->events.erase(found);
        cancelled_.push_back(std::move(cancelled));
        response.status = kStatusNoContent;
    }

    FakeService& service_;
    ModuleRoutes routes_;
    std::shared_mutex mutex_;
    std::vector<Calendar> calendars_;
    std::vector<CancelledEvent> cancelled_; // every calendar's, in the order deleted
    std::vector<RemovedEntry> removed_;
    long long nextEtag_ = kFirstEtag;
    int nextEventNumber_ = 1;
    ChangeClock clock_;
    // Every change takes the next number; a sync token names the last one it has seen.
    long long lastChange_ = 0;
    std::string syncEpoch_ = RandomHex(kSyncEpochBytes);
    // updatedMin before this instant (milliseconds) reaches past the history the service kept.
    std::optional<long long> historyStart_;
};

} // namespace

std::unique_ptr<FakeModule> MakeCalendarModule(FakeService& service)
{
    return std::make_unique<CalendarModule>(service);
}

} // namespace orb::fake
