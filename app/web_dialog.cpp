#include "app/web_dialog.h"

#include "app/dialog_units.h"
#include "service/oauth.h"

#include <QCoreApplication>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineView>

namespace orb {

namespace {

// The page's template size in dialog units.
constexpr int kWidthUnits = 339;
constexpr int kHeightUnits = 294;

constexpr const char* kBrowserName = "loginBrowser";

} // namespace

CWebDialog::CWebDialog(const ServiceConfig& config, QWidget* parent)
    : QDialog(parent), config_(config), view_(new QWebEngineView(this))
{
    setObjectName(QString::number(kTemplateId));
    setWindowTitle(QString::fromUtf8(kTitle));
    resize(DluRect(0, 0, kWidthUnits, kHeightUnits).size());
    view_->setObjectName(kBrowserName);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);
    connect(view_, &QWebEngineView::loadFinished, this, &CWebDialog::OnLoadFinished);
    view_->setUrl(QUrl(QString::fromStdString(ConsentPageUrl(config_))));
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

bool WebLoginPage::Run(const ServiceConfig& config, std::string& code)
{
    CWebDialog dialog(config, parent_);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    code = dialog.code();
    return true;
}

void WebLoginPage::PrepareApplication()
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

} // namespace orb
