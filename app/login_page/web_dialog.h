#pragma once

#include "service/service_context.h"

#include <QDialog>

#include <string>

class QLabel;
class QPushButton;
class QStackedWidget;
class QWebEngineLoadingInfo;
class QWebEngineView;

namespace orb {

// The login page: the consent page in an embedded browser. It ends with Accepted and
// `code` as soon as a document completes at the approval address; closing it, or its own
// Cancel button (a desktop without a window manager draws no close button), rejects. When
// a page cannot be loaded it says so itself, with the address, Retry and Cancel, instead
// of the browser's error page.
class CWebDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kTemplateId = 163;
    static constexpr const char* kTitle = "Marlo's Calendar Login";
    static constexpr const char* kLoadFailedText = "The sign-in page could not be loaded.";
    static constexpr const char* kRetryText = "Retry";
    static constexpr const char* kCancelText = "Cancel";

    explicit CWebDialog(const ServiceConfig& config, QWidget* parent = nullptr);

    const std::string& code() const { return code_; }
    QWebEngineView* view() const { return view_; }
    void Retry();

private:
    void OnLoadFinished(bool ok);
    void OnLoadingChanged(const QWebEngineLoadingInfo& info);

    ServiceConfig config_;
    QStackedWidget* pages_;
    QWebEngineView* view_;
    QWidget* failurePage_;
    QLabel* failureLabel_;
    std::string code_;
};

} // namespace orb
