#include "app/shell_core/side_by_side.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <thread>

namespace orb {

void RunSideBySide(std::size_t count, std::size_t width, const std::function<void(std::size_t)>& job,
                   const std::function<void(std::size_t)>& release)
{
    if (width <= 1 || count <= 1) {
        for (std::size_t i = 0; i < count; ++i) {
            job(i);
            release(i);
        }
        return;
    }

    std::atomic<std::size_t> next{0};
    std::mutex mutex;
    std::condition_variable finished;
    std::vector<bool> done(count, false);
    std::vector<std::thread> workers;
    for (std::size_t w = 0; w < std::min(width, count); ++w) {
        workers.emplace_back([&] {
            for (std::size_t i = next++; i < count; i = next++) {
                job(i);
                std::lock_guard lock(mutex);
                done[i] = true;
                finished.notify_all();
            }
        });
    }
    for (std::size_t i = 0; i < count; ++i) {
        {
            std::unique_lock lock(mutex);
            finished.wait(lock, [&] { return done[i]; });
        }
        release(i);
    }
    for (std::thread& worker : workers)
        worker.join();
}

void HeldReports::WriteLine(const std::string& line)
{
    std::lock_guard lock(mutex_);
    held_.push_back({false, line});
}

void HeldReports::ShowMessage(const std::string& text)
{
    std::lock_guard lock(mutex_);
    held_.push_back({true, text});
}

void HeldReports::Release(Diagnostics& diagnostics, Prompter& prompter)
{
    std::vector<Report> held;
    {
        std::lock_guard lock(mutex_);
        held.swap(held_);
    }
    for (const Report& report : held) {
        if (report.message)
            prompter.ShowMessage(report.text);
        else
            diagnostics.WriteLine(report.text);
    }
}

} // namespace orb
