#include "service/record_json.h"

#include "service/text_codec.h"

#include <simdjson.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <utility>

namespace orb {

namespace {

using simdjson::dom::element_type;

// The room an answer starts with; larger answers grow it (the transport caps them).
constexpr std::size_t kFirstCapacity = 64 * 1024;

// A number as jsoncpp wrote it before: whole numbers in decimal, others with 17
// significant digits and a decimal point kept.
std::string NumberText(const JsonNode& value)
{
    switch (value.type()) {
    case element_type::INT64:
        return std::to_string(int64_t(value));
    case element_type::UINT64:
        return std::to_string(uint64_t(value));
    default:
        break;
    }
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.17g", double(value));
    std::string text = buffer;
    if (text.find_first_of(".e") == std::string::npos)
        text += ".0";
    return text;
}

// Reads a member as text into `out`; false when it holds an object or an array, which
// no text field of these records accepts.
bool ReadText(const JsonNode& object, const char* name, std::string& out)
{
    const std::optional<JsonNode> value = Member(object, name);
    if (!value) {
        out.clear();
        return true;
    }
    switch (value->type()) {
    case element_type::OBJECT:
    case element_type::ARRAY:
        return false;
    case element_type::STRING:
        out = DecodeUtf8Text(std::string_view(*value));
        break;
    case element_type::BOOL:
        out = bool(*value) ? "true" : "false";
        break;
    case element_type::INT64:
    case element_type::UINT64:
    case element_type::DOUBLE:
        out = NumberText(*value);
        break;
    case element_type::NULL_VALUE:
        out.clear();
        break;
    }
    return true;
}

// An optional member that, when present, must be an object.
bool IsAbsentOrObject(const JsonNode& object, const char* name)
{
    const std::optional<JsonNode> value = Member(object, name);
    return !value || value->is_null() || value->is_object();
}

// Without an object (absent or null) every field reads as empty.
bool ReadTexts(const std::optional<JsonNode>& object,
               std::initializer_list<std::pair<const char*, std::string*>> fields)
{
    for (const auto& [name, out] : fields) {
        if (!object)
            out->clear();
        else if (!ReadText(*object, name, *out))
            return false;
    }
    return true;
}

bool ReadTime(const std::optional<JsonNode>& object, EventTime& time)
{
    return ReadTexts(object, {{"date", &time.date}, {"dateTime", &time.dateTime}, {"timeZone", &time.timeZone}});
}

// Google allows reminders up to four weeks ahead; anything else is not a reminder.
constexpr int kLongestReminderMinutes = 40320;

// Entries that are not a method and a whole number of minutes in range are skipped, not
// fatal: a reminder is an extra, never a reason to lose the event.
std::vector<EventReminder> ReadReminders(const std::optional<JsonNode>& list)
{
    std::vector<EventReminder> reminders;
    if (!list || !list->is_array())
        return reminders;
    for (const JsonNode entry : simdjson::dom::array(*list)) {
        const std::optional<long long> minutes = MemberInteger(entry, "minutes");
        if (!minutes || *minutes < 0 || *minutes > kLongestReminderMinutes)
            continue;
        reminders.push_back({MemberText(entry, "method"), static_cast<int>(*minutes)});
    }
    return reminders;
}

void ReadEventReminders(const JsonNode& item, EventRecord& event)
{
    const std::optional<JsonNode> reminders = Member(item, "reminders");
    event.remindersUseDefault = reminders ? MemberText(*reminders, "useDefault") : std::string();
    event.reminderOverrides = ReadReminders(reminders ? Member(*reminders, "overrides") : std::nullopt);
    event.selfResponseStatus.clear();
    const std::optional<JsonNode> attendees = Member(item, "attendees");
    if (!attendees || !attendees->is_array())
        return;
    for (const JsonNode attendee : simdjson::dom::array(*attendees)) {
        if (MemberIsTrue(attendee, "self")) {
            event.selfResponseStatus = MemberText(attendee, "responseStatus");
            return;
        }
    }
}

} // namespace

struct JsonAnswer::Parsed
{
    simdjson::dom::parser parser;
    JsonNode root;
    bool ready = false;

    // A failed or missing parse still leaves a root to ask: null.
    void RootIsNull()
    {
        static constexpr char kNull[] = "null";
        ready = ready && !parser.parse(kNull, sizeof kNull - 1).get(root);
    }
};

JsonAnswer::JsonAnswer() : parsed_(std::make_unique<Parsed>())
{
    parsed_->ready = !parsed_->parser.allocate(kFirstCapacity, kJsonDepthLimit);
    parsed_->RootIsNull();
}

JsonAnswer::~JsonAnswer() = default;

bool JsonAnswer::Parse(const std::string& text, std::string& errors)
{
    errors.clear();
    Parsed& parsed = *parsed_;
    if (!parsed.ready) {
        errors = simdjson::error_message(simdjson::MEMALLOC);
        return false;
    }
    simdjson::error_code error = parsed.parser.parse(text).get(parsed.root);
    if (error == simdjson::UTF8_ERROR) {
        // Texts with broken sequences are read mended, as every text member is.
        const std::string mended = DecodeUtf8Text(text);
        error = parsed.parser.parse(mended).get(parsed.root);
    }
    if (error) {
        errors = simdjson::error_message(error);
        parsed.RootIsNull();
        return false;
    }
    return true;
}

const JsonNode& JsonAnswer::Root() const
{
    return parsed_->root;
}

bool IsObject(const JsonNode& node)
{
    return node.is_object();
}

std::optional<JsonNode> Member(const JsonNode& object, const char* name)
{
    if (!object.is_object())
        return std::nullopt;
    const std::string_view key(name);
    std::optional<JsonNode> found;
    for (const simdjson::dom::key_value_pair field : simdjson::dom::object(object)) {
        if (field.key == key)
            found = field.value;
    }
    return found;
}

bool HasErrorDocument(const JsonNode& root)
{
    const std::optional<JsonNode> error = Member(root, "error");
    if (!error)
        return false;
    if (error->is_object())
        return simdjson::dom::object(*error).size() > 0;
    return error->is_array() && simdjson::dom::array(*error).size() > 0;
}

std::string MemberText(const JsonNode& object, const char* name)
{
    std::string text;
    if (!object.is_object() || !ReadText(object, name, text))
        return {};
    return text;
}

std::string JsonText(const JsonNode& node)
{
    return simdjson::to_string(node);
}

bool MemberIsTrue(const JsonNode& object, const char* name)
{
    const std::optional<JsonNode> value = Member(object, name);
    return value && value->is_bool() && bool(*value);
}

std::optional<long long> MemberInteger(const JsonNode& object, const char* name)
{
    const std::optional<JsonNode> value = Member(object, name);
    if (!value)
        return std::nullopt;
    if (value->type() == element_type::INT64)
        return int64_t(*value);
    if (value->type() == element_type::UINT64 && uint64_t(*value) <= uint64_t(LLONG_MAX))
        return static_cast<long long>(uint64_t(*value));
    // A whole number written with a fraction or an exponent ("30.0", "3e1") is still one.
    if (value->type() == element_type::DOUBLE) {
        const double number = double(*value);
        if (std::trunc(number) == number && std::fabs(number) < 9.0e18)
            return static_cast<long long>(number);
    }
    return std::nullopt;
}

bool ReadEvent(const JsonNode& item, EventRecord& event)
{
    const std::optional<JsonNode> start = Member(item, "start");
    if (!start || !start->is_object() || !IsAbsentOrObject(item, "end") || !IsAbsentOrObject(item, "creator"))
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

    const auto objectOrNone = [](std::optional<JsonNode> node) {
        return node && node->is_object() ? node : std::nullopt;
    };
    if (!ReadTexts(objectOrNone(Member(item, "creator")), {{"id", &read.creator.id},
                                                           {"email", &read.creator.email},
                                                           {"displayName", &read.creator.displayName},
                                                           {"self", &read.creator.self}}))
        return false;
    if (!ReadTime(start, read.start) || !ReadTime(objectOrNone(Member(item, "end")), read.end))
        return false;
    ReadEventReminders(item, read);
    event = std::move(read);
    return true;
}

void ReadEventEtag(const JsonNode& item, EventRecord& event)
{
    // The service's tag is a quoted text; escaping it whole gives the stored form
    // (\"...\") and keeps any stray quote or backslash from breaking a later body.
    event.etag = EncodeJsonText(MemberText(item, "etag"), false);
}

bool ReadCalendar(const JsonNode& entry, CalendarRecord& calendar)
{
    if (!entry.is_object())
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
    read.defaultReminders = ReadReminders(Member(entry, "defaultReminders"));
    read.primary = MemberIsTrue(entry, "primary");
    read.tag = calendar.tag;
    read.events = std::move(calendar.events);
    calendar = std::move(read);
    return true;
}

} // namespace orb
