// Median time of one layout pass, of drawing a laid-out month, of the first paint after the
// store changed (a renamed event and a new revision: read, layout and drawing) and of a
// repaint of unchanged data (drawing only) of the month view at 1280 x 800, for stores of
// 500, 2,000 and 10,000 events. Their starts are spread over the six shown weeks, as with
// the default fetch range, and over two years around them, as with a wide one. Options:
//   --events N,N,...  store sizes (default 500,2000,10000)
//   --spread D,D,...  days the starts are spread over, centred on the shown weeks (default 42,730)
//   --runs N          timed runs per figure (default 41, and 15 from 10,000 events on)
//   --save PREFIX     also writes each painted month to PREFIX-EVENTS-SPREAD.png, to compare builds
#include "bench/bench_support.h"
#include "calendarview/orb_calendar_ctrl.h"
#include "core/clock.h"

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

namespace {

using namespace orb;

constexpr int kWidth = 1280;
constexpr int kHeight = 800;
constexpr int kCalendars = 4;
constexpr int kShownDays = 42;
constexpr int kLongestEventDays = 4;
constexpr int kTwoYears = 730;
constexpr int kLargeStore = 10000;
constexpr int kRuns = 41;
constexpr int kRunsForLargeStores = 15;
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
    std::uint64_t Revision() const override { return revision; }

    std::vector<CalendarRecord> calendars;
    std::uint64_t revision = 1;
};

std::string DateText(int dayOffset)
{
    return FormatLocal(AddDays(kFirstShownDay, dayOffset), "%Y-%m-%d");
}

// Events in store order: each calendar's events sorted by start, as the service sends them.
// With a spread of kShownDays every event starts in the shown weeks.
std::vector<CalendarRecord> MakeCalendars(int eventCount, int spreadDays)
{
    std::mt19937 random(kSeed);
    const int before = (spreadDays - kShownDays) / 2;
    std::uniform_int_distribution<int> startDay(-before, spreadDays - before - 1);
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

struct Options
{
    std::vector<int> eventCounts{500, 2000, kLargeStore};
    std::vector<int> spreads{kShownDays, kTwoYears};
    int runs = 0; // 0: kRuns, or kRunsForLargeStores for large stores
    std::string savePrefix;
};

bool ReadOptions(int argc, char** argv, Options& options)
{
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--events") == 0)
            options.eventCounts = bench::NumberList(argv[i + 1]);
        else if (std::strcmp(argv[i], "--spread") == 0)
            options.spreads = bench::NumberList(argv[i + 1]);
        else if (std::strcmp(argv[i], "--runs") == 0)
            options.runs = std::atoi(argv[i + 1]);
        else if (std::strcmp(argv[i], "--save") == 0)
            options.savePrefix = argv[i + 1];
        else
            return false;
    }
    const auto positive = [](int n) { return n > 0; };
    const auto coversShownWeeks = [](int n) { return n >= kShownDays; };
    return argc % 2 == 1 && std::all_of(options.eventCounts.begin(), options.eventCounts.end(), positive) &&
           std::all_of(options.spreads.begin(), options.spreads.end(), coversShownWeeks);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    Options options;
    if (!ReadOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: %s [--events N,N,...] [--spread DAYS,DAYS,...] [--runs N] [--save PREFIX]\n",
                     argv[0]);
        return 2;
    }

    MonthViewSettings settings;
    BenchClock clock;
    BenchSource source;
    COrbCalendarCtrl view(settings, clock);
    view.SetCalendarSource(&source);
    view.SetCalendarFont(DefaultDialogFont());
    view.resize(kWidth, kHeight);
    const PixelRect grid{0, kHeaderHeight + view.lineHeight(), kWidth, kHeight};

    std::printf("month view %dx%d, %d calendars; event starts spread over the days given, centred on the %d shown\n",
                kWidth, kHeight, kCalendars, kShownDays);
    std::printf("%8s %8s %8s %8s %12s %12s %12s %12s\n", "events", "spread", "shown", "hidden", "layout ms", "draw ms",
                "change ms", "repaint ms");
    for (const int spread : options.spreads) {
        for (const int count : options.eventCounts) {
            source.calendars = MakeCalendars(count, spread);
            ++source.revision;
            const int runs = options.runs > 0 ? options.runs : count >= kLargeStore ? kRunsForLargeStores : kRuns;
            view.RenderImage(); // warm the font caches
            const double layout = MedianMilliseconds(runs, [&] {
                ++source.revision;
                view.LayoutPass(grid);
            });
            // Drawing alone, from the layout just made, into an image like the view's.
            QImage image(view.size(), QImage::Format_RGB32);
            MonthPaintState state;
            state.displayDate = view.displayDate();
            state.now = DateValue::FromLocal(kNow);
            state.rowCount = view.rowCount();
            state.calendarFont = view.calendarFont();
            ElidedTextCache elided;
            const double draw = MedianMilliseconds(runs, [&] { PaintMonth(image, view.layout(), state, elided); });
            // An edit that leaves the days alone: the index stays, every shown event is read again.
            EventRecord& renamed = source.calendars.front().events.front();
            const std::string summary = renamed.summary;
            int renames = 0;
            const double change = MedianMilliseconds(runs, [&] {
                renamed.summary = summary + " " + std::to_string(++renames);
                ++source.revision;
                view.RenderImage();
            });
            // Saved pictures stay comparable between builds.
            renamed.summary = summary;
            ++source.revision;
            view.RenderImage();
            const double repaint = MedianMilliseconds(runs, [&] { view.RenderImage(); });
            if (!options.savePrefix.empty()) {
                const std::string name =
                    options.savePrefix + "-" + std::to_string(count) + "-" + std::to_string(spread) + ".png";
                view.RenderImage().save(QString::fromStdString(name));
            }
            const auto& placements = view.placements();
            const auto shown = std::count_if(placements.begin(), placements.end(),
                                             [](const auto& p) { return !p.hidden && !p.segments.empty(); });
            const auto hidden =
                std::count_if(placements.begin(), placements.end(), [](const auto& p) { return p.hidden; });
            std::printf("%8d %8d %8td %8td %12.3f %12.3f %12.3f %12.3f\n", count, spread, shown, hidden, layout, draw,
                        change, repaint);
        }
    }
    return 0;
}
