#include "app/login_page/web_dialog.h"

#include "service/oauth.h"
#include "widgets/dialog_units.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace orb {

namespace {

// The page's template size in dialog units.
constexpr int kWidthUnits = 339;
constexpr int kHeightUnits = 294;

constexpr const char* kBrowserName = "loginBrowser";

} // namespace

CWebDialog::CWebDialog(const ServiceConfig& config, QWidget* parent)
    : QDialog(parent), config_(config), pages_(new QStackedWidget(this)), view_(new QWebEngineView(pages_)),
      failurePage_(new QWidget(pages_)), failureLabel_(new QLabel(failurePage_))
{
    setObjectName(QString::number(kTemplateId));
    setWindowTitle(QString::fromUtf8(kTitle));
    resize(DluRect(0, 0, kWidthUnits, kHeightUnits).size());
    view_->setObjectName(kBrowserName);

    failurePage_->setObjectName("loginFailure");
    failureLabel_->setObjectName("loginFailureText");
    failureLabel_->setTextFormat(Qt::PlainText); // the address and the reason are not markup
    failureLabel_->setWordWrap(true);
    failureLabel_->setAlignment(Qt::AlignCenter);
    auto* retry = new QPushButton(QString::fromUtf8(kRetryText), failurePage_);
    retry->setObjectName("loginRetry");
    connect(retry, &QPushButton::clicked, this, &CWebDialog::Retry);
    auto* failureLayout = new QVBoxLayout(failurePage_);
    failureLayout->addStretch();
    failureLayout->addWidget(failureLabel_);
    failureLayout->addWidget(retry, 0, Qt::AlignCenter);
    failureLayout->addStretch();
    pages_->addWidget(view_);
    pages_->addWidget(failurePage_);

    auto* cancel = new QPushButton(QString::fromUtf8(kCancelText), this);
    cancel->setObjectName("loginCancel");
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(6, 4, 6, 6);
    buttons->addStretch();
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(pages_, 1);
    layout->addLayout(buttons);
    connect(view_, &QWebEngineView::loadFinished, this, &CWebDialog::OnLoadFinished);
    connect(view_->page(), &QWebEnginePage::loadingChanged, this, &CWebDialog::OnLoadingChanged);
    view_->setUrl(QUrl(QString::fromStdString(ConsentPageUrl(config_))));
}

void CWebDialog::Retry()
{
    pages_->setCurrentWidget(view_);
    view_->setUrl(QUrl(QString::fromStdString(ConsentPageUrl(config_))));
}

void CWebDialog::OnLoadingChanged(const QWebEngineLoadingInfo& info)
{
    if (info.status() != QWebEngineLoadingInfo::LoadFailedStatus || result() == Accepted)
        return;
    QString text = QString::fromUtf8(kLoadFailedText) + QStringLiteral("\n\n") + info.url().toString();
    if (!info.errorString().isEmpty())
        text += QStringLiteral("\n") + info.errorString();
    failureLabel_->setText(text);
    pages_->setCurrentWidget(failurePage_);
}

void CWebDialog::OnLoadFinished(bool ok)
{
    if (!ok || result() == Accepted)
        return;
    // Only the part before "?" counts, so the approval page's query does not matter.
    const std::string address = view_->url().toEncoded().toStdString();
    if (!IsApprovalPage(address, config_))
        return;
    // The title carries the code whatever the user chose; the exchange then decides.
    code_ = CodeFromTitle(view_->title().toStdString());
    accept();
}

} // namespace orb
