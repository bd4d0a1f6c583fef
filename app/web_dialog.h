#pragma once

#include "app/login_page.h"
#include "service/service_context.h"

#include <QDialog>

#include <string>

class QWebEngineView;

namespace orb {

// The login page: the consent page in an embedded browser. It ends with Accepted and
// `code` as soon as a document completes at the approval address; closing it rejects.
class CWebDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kTemplateId = 163;
    static constexpr const char* kTitle = "Marlo's Calendar Login";

    explicit CWebDialog(const ServiceConfig& config, QWidget* parent = nullptr);

    const std::string& code() const { return code_; }
    QWebEngineView* View() const { return view_; }

private:
    void OnLoadFinished(bool ok);

    ServiceConfig config_;
    QWebEngineView* view_;
    std::string code_;
};

// The login page for the real program.
class WebLoginPage : public LoginPage
{
public:
    explicit WebLoginPage(QWidget* parent = nullptr) : parent_(parent) {}
    bool Run(const ServiceConfig& config, std::string& code) override;

    // The embedded browser needs this before the application object exists.
    static void PrepareApplication();

private:
    QWidget* parent_;
};

} // namespace orb
