// orbcalender-login-page: the embedded login page in a process of its own, so that the
// program itself never loads the web engine, Qt Quick or an OpenGL driver.
#include "app/login_page/web_dialog.h"
#include "app/shell_core/login_page_protocol.h"

#include <QApplication>
#include <QSocketNotifier>
#include <cstdio>
#include <iostream>
#include <string>
#include <unistd.h>

// Read only by a sanitizer build: Chromium inside the embedded browser frees some of its
// own objects with a mismatched size, which is not this program's to report.
extern "C" const char* __asan_default_options()
{
    return "new_delete_type_mismatch=0";
}

namespace {

constexpr const char* kBadRequest = "orbcalender-login-page: the request on standard input is not whole\n";

// Lines up to and including the empty one that ends the request.
std::string ReadRequest()
{
    std::string request;
    std::string line;
    while (std::getline(std::cin, line)) {
        request += line + "\n";
        if (line.empty())
            break;
    }
    return request;
}

} // namespace

int main(int argc, char** argv)
{
    const std::optional<orb::ServiceConfig> config = orb::ReadLoginPageRequest(ReadRequest());
    if (!config) {
        std::fputs(kBadRequest, stderr);
        return orb::kLoginPageBadRequestExit;
    }
    // The web engine wants this before the application object exists.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    orb::CWebDialog dialog(*config);

    // The program keeps our standard input open while it waits; when it closes (the
    // program ended or gave up waiting) the page goes too.
    QSocketNotifier programGone(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&programGone, &QSocketNotifier::activated, &dialog, [&] {
        char byte;
        if (::read(STDIN_FILENO, &byte, 1) <= 0) {
            programGone.setEnabled(false);
            dialog.reject();
        }
    });

    if (dialog.exec() != QDialog::Accepted)
        return orb::kLoginPageClosedExit;
    const std::string answer = orb::LoginPageAnswer(dialog.code());
    std::fwrite(answer.data(), 1, answer.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : orb::kLoginPageAnswerLostExit;
}
