// The date and colour texts the month view and the tree read out of the service's fields.
#include "app/shell_core/tree_rows.h"
#include "calendarview/date_value.h"
#include "calendarview/event_color.h"
#include "calendarview/month_text.h"
#include "treelist/tree_list_cell_rules.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);

    const orb::DateValue day = orb::DateOfText(text);
    if (day.IsValid()) {
        // A day read from a text is a real day, and the same day built from its parts.
        const int month = day.Month();
        if (day.Year() < 100 || day.Year() > 9999 || month < 1 || month > 12 || day.Day() < 1 || day.Day() > 31)
            std::abort();
        if (!(orb::DateValue::FromCivil(day.Year(), month, day.Day()) == day))
            std::abort();
        orb::CellDateText(day, true);
        orb::FullMonthName(day);
        orb::ShortWeekdayName(day.AddDays(-42));
        orb::WholeDaysBetween(day, day.AddDays(365));
    }

    orb::TaskInfo task;
    task.due = text;
    const std::string due = orb::TaskDueText(task);
    const orb::TodayTexts today{"2026-12-09", "12-09"};
    orb::DueCellLook(due, today, true);
    orb::PrefixedLabelLook(1, text, today);
    orb::ContainsToday(text, today);

    orb::EventRecord event;
    event.start.date = text;
    orb::StartsBeforeToday(event, today.date);

    orb::ColorFromText(text);
    if (const auto prefix = orb::ParseColourPrefix(text)) {
        if (prefix->label.size() + orb::kColourPrefixLength != text.size())
            std::abort();
    }
    return 0;
}
