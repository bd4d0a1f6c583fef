#pragma once

#include "core/diagnostics.h"
#include "core/prompter.h"

#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace orb {

// Runs `count` jobs on up to `width` threads and hands each one to `release` on the calling
// thread, in index order, as soon as it and every job before it are done. Returns when all
// are released. A width of 1 runs each job and its release in turn on the calling thread.
void RunSideBySide(std::size_t count, std::size_t width, const std::function<void(std::size_t)>& job,
                   const std::function<void(std::size_t)>& release);

// What one job would have written and shown, held so that jobs running side by side still
// speak in the order of the jobs. A question cannot wait for its turn and goes straight on.
class HeldReports : public Diagnostics, public Prompter
{
public:
    explicit HeldReports(Prompter& live) : live_(live) {}

    void WriteLine(const std::string& line) override;
    void ShowMessage(const std::string& text) override;
    bool AskYesNo(const std::string& text) override { return live_.AskYesNo(text); }

    // Passes everything held on, in the order it came, and forgets it.
    void Release(Diagnostics& diagnostics, Prompter& prompter);

private:
    struct Report
    {
        bool message = false; // a message box rather than a diagnostic line
        std::string text;
    };

    Prompter& live_;
    std::mutex mutex_;
    std::vector<Report> held_;
};

} // namespace orb
