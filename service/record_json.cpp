#include "service/record_json.h"

#include "service/text_codec.h"

#include <json/json.h>

#include <exception>
#include <initializer_list>
#include <memory>
#include <utility>

namespace orb {

namespace {

// Reads a member as text into `out`; false when it holds an object or an array, which
// no text field of these records accepts.
bool ReadText(const Json::Value& object, const char* name, std::string& out)
{
    const Json::Value& value = object[name];
    if (value.isObject() || value.isArray())
        return false;
    const char* begin = nullptr;
    const char* end = nullptr;
    if (value.getString(&begin, &end))
        out = DecodeUtf8Text(std::string_view(begin, static_cast<std::size_t>(end - begin)));
    else if (value.isBool())
        out = value.asBool() ? "true" : "false";
    else if (value.isNumeric())
        out = value.asString();
    else
        out.clear();
    return true;
}

// An optional member that, when present, must be an object.
bool IsAbsentOrObject(const Json::Value& object, const char* name)
{
    const Json::Value& value = object[name];
    return value.isNull() || value.isObject();
}

bool ReadTexts(const Json::Value& object, std::initializer_list<std::pair<const char*, std::string*>> fields)
{
    for (const auto& [name, out] : fields) {
        if (!ReadText(object, name, *out))
            return false;
    }
    return true;
}

bool ReadTime(const Json::Value& object, EventTime& time)
{
    return ReadTexts(object, {{"date", &time.date}, {"dateTime", &time.dateTime}, {"timeZone", &time.timeZone}});
}

// Google allows reminders up to four weeks ahead; anything else is not a reminder.
constexpr int kLongestReminderMinutes = 40320;

// Entries that are not a method and a whole number of minutes in range are skipped, not
// fatal: a reminder is an extra, never a reason to lose the event.
std::vector<EventReminder> ReadReminders(const Json::Value& list)
{
    std::vector<EventReminder> reminders;
    if (!list.isArray())
        return reminders;
    for (const Json::Value& entry : list) {
        if (!entry.isObject() || !entry["minutes"].isIntegral())
            continue;
        const Json::Int64 minutes = entry["minutes"].asInt64();
        if (minutes < 0 || minutes > kLongestReminderMinutes)
            continue;
        reminders.push_back({MemberText(entry, "method"), static_cast<int>(minutes)});
    }
    return reminders;
}

void ReadEventReminders(const Json::Value& item, EventRecord& event)
{
    const Json::Value& reminders = item["reminders"];
    event.remindersUseDefault = MemberText(reminders, "useDefault");
    event.reminderOverrides = ReadReminders(reminders.isObject() ? reminders["overrides"] : Json::Value());
    event.selfResponseStatus.clear();
    const Json::Value& attendees = item["attendees"];
    if (!attendees.isArray())
        return;
    for (const Json::Value& attendee : attendees) {
        if (attendee.isObject() && attendee["self"].isBool() && attendee["self"].asBool()) {
            event.selfResponseStatus = MemberText(attendee, "responseStatus");
            return;
        }
    }
}

} // namespace

bool ParseJsonAnswer(const std::string& text, Json::Value& root, std::string& errors)
{
    errors.clear();
    root = Json::Value();
    try {
        Json::CharReaderBuilder builder;
        builder["stackLimit"] = kJsonDepthLimit;
        const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
        return reader->parse(text.data(), text.data() + text.size(), &root, &errors);
    } catch (const std::exception& error) {
        // jsoncpp throws past the nesting limit.
        errors = error.what();
        root = Json::Value();
        return false;
    }
}

bool HasErrorDocument(const Json::Value& root)
{
    if (!root.isObject())
        return false;
    const Json::Value& error = root["error"];
    return (error.isObject() || error.isArray()) && !error.empty();
}

std::string MemberText(const Json::Value& object, const char* name)
{
    std::string text;
    if (!object.isObject() || !ReadText(object, name, text))
        return {};
    return text;
}

bool ReadEvent(const Json::Value& item, EventRecord& event)
{
    if (!item.isObject() || !item["start"].isObject() || !IsAbsentOrObject(item, "end") ||
        !IsAbsentOrObject(item, "creator"))
        return false;
    EventRecord read = event;
    if (!ReadTexts(item, {{"id", &read.id},
                          {"kind", &read.kind},
                          {"summary", &read.summary},
                          {"description", &read.description},
                          {"location", &read.location},
                          {"created", &read.created},
                          {"updated", &read.updated},
                          {"status", &read.status},
                          {"colorId", &read.colorId}}))
        return false;
    if (read.id.empty())
        return false;
    if (!read.colorId.empty())
        read.colorText = EventColorText(read.colorId);

    const Json::Value& creator = item["creator"];
    if (!ReadTexts(creator.isObject() ? creator : Json::Value(Json::objectValue),
                   {{"id", &read.creator.id},
                    {"email", &read.creator.email},
                    {"displayName", &read.creator.displayName},
                    {"self", &read.creator.self}}))
        return false;
    const Json::Value& end = item["end"];
    if (!ReadTime(item["start"], read.start) ||
        !ReadTime(end.isObject() ? end : Json::Value(Json::objectValue), read.end))
        return false;
    ReadEventReminders(item, read);
    event = std::move(read);
    return true;
}

void ReadEventEtag(const Json::Value& item, EventRecord& event)
{
    // The service's tag is a quoted text; escaping it whole gives the stored form
    // (\"...\") and keeps any stray quote or backslash from breaking a later body.
    event.etag = EncodeJsonText(MemberText(item, "etag"), false);
}

bool ReadCalendar(const Json::Value& entry, CalendarRecord& calendar)
{
    if (!entry.isObject())
        return false;
    CalendarRecord read;
    if (!ReadTexts(entry, {{"id", &read.id},
                           {"kind", &read.kind},
                           {"summary", &read.summary},
                           {"description", &read.description},
                           {"timeZone", &read.timeZone},
                           {"colorId", &read.colorId},
                           {"backgroundColor", &read.backgroundColor},
                           {"foregroundColor", &read.foregroundColor},
                           {"accessRole", &read.accessRole},
                           {"selected", &read.selected}}))
        return false;
    if (read.id.empty())
        return false;
    read.defaultReminders = ReadReminders(entry["defaultReminders"]);
    read.primary = entry["primary"].isBool() && entry["primary"].asBool();
    read.tag = calendar.tag;
    read.events = std::move(calendar.events);
    calendar = std::move(read);
    return true;
}

} // namespace orb
