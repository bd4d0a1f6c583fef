// Median time of one layout pass and of one full paint of the month view at 1280 x 800,
// for stores of 500, 2,000 and 10,000 events spread over the shown weeks.
#include "calendarview/orb_calendar_ctrl.h"
#include "core/clock.h"

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>

namespace {

using namespace orb;

constexpr int kWidth = 1280;
constexpr int kHeight = 800;
constexpr int kCalendars = 4;
constexpr int kShownDays = 42;
constexpr int kLongestEventDays = 4;
constexpr unsigned kSeed = 20240918;
const LocalDateTime kNow{2024, 9, 18, 10, 0, 0};
// The grid of September 2024 starts on Sunday the 1st.
const LocalDateTime kFirstShownDay{2024, 9, 1, 0, 0, 0};

class BenchClock : public Clock
{
public:
    LocalDateTime Now() const override { return kNow; }
};

class BenchSource : public CalendarSource
{
public:
    void ReadCalendars(const std::function<void(const std::vector<CalendarRecord>&)>& reader) const override
    {
        reader(calendars);
    }
    std::vector<CalendarRecord> calendars;
};

std::string DateText(int dayOffset)
{
    return FormatLocal(AddDays(kFirstShownDay, dayOffset), "%Y-%m-%d");
}

// Events in store order: each calendar's events sorted by start, as the service sends them.
std::vector<CalendarRecord> MakeCalendars(int eventCount)
{
    std::mt19937 random(kSeed);
    std::uniform_int_distribution<int> startDay(0, kShownDays - 1);
    std::uniform_int_distribution<int> length(1, kLongestEventDays);
    std::uniform_int_distribution<int> hour(0, 22);
    std::vector<CalendarRecord> calendars(kCalendars);
    for (int c = 0; c < kCalendars; ++c) {
        calendars[c].id = "calendar" + std::to_string(c) + "@example.com";
        calendars[c].backgroundColor = "#3366CC";
        calendars[c].selected = "true";
    }
    for (int i = 0; i < eventCount; ++i) {
        EventRecord event;
        event.id = "event" + std::to_string(i);
        event.summary = "Event number " + std::to_string(i);
        event.description = "Description of event " + std::to_string(i);
        const int first = startDay(random);
        if (i % 3 == 0) {
            const std::string day = DateText(first);
            const int at = hour(random);
            event.start.dateTime = day + "T" + (at < 10 ? "0" : "") + std::to_string(at) + ":00:00+09:00";
            event.end.dateTime = day + "T" + (at < 9 ? "0" : "") + std::to_string(at + 1) + ":00:00+09:00";
        } else {
            event.start.date = DateText(first);
            event.end.date = DateText(first + length(random));
        }
        if (i % 5 == 0)
            event.colorText = "#FBD75B";
        calendars[static_cast<std::size_t>(i % kCalendars)].events.push_back(std::move(event));
    }
    for (CalendarRecord& calendar : calendars)
        SortEvents(calendar.events);
    return calendars;
}

template <typename Work> double MedianMilliseconds(int runs, Work work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);

    MonthViewSettings settings;
    BenchClock clock;
    BenchSource source;
    COrbCalendarCtrl view(settings, clock);
    view.SetCalendarSource(&source);
    view.SetCalendarFont(DefaultDialogFont());
    view.resize(kWidth, kHeight);
    const PixelRect grid{0, kHeaderHeight + view.lineHeight(), kWidth, kHeight};

    std::printf("month view %dx%d, %d calendars, events over %d days\n", kWidth, kHeight, kCalendars, kShownDays);
    std::printf("%8s %8s %8s %14s %14s\n", "events", "shown", "hidden", "layout ms", "paint ms");
    for (const int count : {500, 2000, 10000}) {
        source.calendars = MakeCalendars(count);
        const int runs = count >= 10000 ? 15 : 41;
        view.RenderImage(); // warm the font caches
        const double layout = MedianMilliseconds(runs, [&] { view.LayoutPass(grid); });
        const double paint = MedianMilliseconds(runs, [&] { view.RenderImage(); });
        const auto& placements = view.placements();
        const auto hidden = std::count_if(placements.begin(), placements.end(), [](const auto& p) { return p.hidden; });
        std::printf("%8d %8zu %8td %14.3f %14.3f\n", count, placements.size() - static_cast<std::size_t>(hidden),
                    hidden, layout, paint);
    }
    return 0;
}
