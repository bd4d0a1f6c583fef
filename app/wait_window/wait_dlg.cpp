#include "app/wait_window/wait_dlg.h"

#include "translations/qt_text.h"
#include "widgets/picture_ex.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QGraphicsOpacityEffect>
#include <QImage>
#include <QPainter>

#include <thread>

namespace orb {

namespace {

constexpr const char* kFaceName = "맑은 고딕";
constexpr int kTitlePixelSize = 23;
constexpr int kMessagePixelSize = 18;
constexpr QRgb kTitleColor = 0xFFFF0000; // COLORREF 0x0000FF
constexpr QRgb kMessageColor = 0xFF000000;
constexpr QRgb kBackgroundColor = 0xFFFFFFFF;

// The picture sits left of centre, "Loading" starts this far right of it, and the
// message line is this far below.
constexpr int kPictureLeftOfCentre = 50;
constexpr int kPictureAboveCentre = 15;
constexpr int kPictureSize = 31;
constexpr int kTitleIndent = 40;
constexpr int kMessageDrop = 50;

constexpr double kOpacityScale = 255.0;

QFont WaitFont(int pixelSize)
{
    QFont font(QString::fromUtf8(kFaceName));
    font.setPixelSize(pixelSize);
    font.setBold(true);
    return font;
}

bool IsInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::ContextMenu:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

} // namespace

WaitLayout ComputeWaitLayout(QSize size)
{
    const QPoint centre(size.width() / 2, size.height() / 2);
    WaitLayout layout;
    layout.picture =
        QRect(centre.x() - kPictureLeftOfCentre, centre.y() - kPictureAboveCentre, kPictureSize, kPictureSize);
    layout.title = layout.picture.adjusted(kTitleIndent, 0, 0, 0);
    layout.title.setRight(size.width() - 1);
    layout.message = QRect(0, layout.picture.top() + kMessageDrop, size.width(), kPictureSize);
    return layout;
}

CWaitDlg::CWaitDlg(QWidget* owner) : QWidget(owner), owner_(owner), picture_(new CPictureEx(this))
{
    setObjectName(QString::number(kTemplateId));
    picture_->setObjectName(QString::number(kPictureId));
    picture_->LoadFromResource();
    setFocusPolicy(Qt::ClickFocus);
    auto* effect = new QGraphicsOpacityEffect(this);
    effect->setOpacity(kOpacity / kOpacityScale);
    setGraphicsEffect(effect);
    if (owner_)
        owner_->installEventFilter(this);
    hide();
}

CWaitDlg::~CWaitDlg()
{
    if (owner_)
        owner_->removeEventFilter(this);
}

void CWaitDlg::SetWaitMessage(const std::string& text)
{
    message_ = QString::fromStdString(text);
    update();
}

void CWaitDlg::CoverOwner()
{
    if (!owner_)
        return;
    setGeometry(owner_->rect());
    raise();
}

void CWaitDlg::ShowWait()
{
    if (isHidden() && owner_) {
        // The window's own focus child, not the application's: an editor that has just
        // closed leaves the owner's window not yet active again.
        QWidget* focus = owner_->window()->focusWidget();
        if (focus && focus != this && (focus == owner_ || owner_->isAncestorOf(focus)))
            focusBefore_ = focus;
    }
    CoverOwner();
    show();
    setFocus(Qt::OtherFocusReason);
    picture_->Draw();
}

void CWaitDlg::EndWait()
{
    // Hidden, not merely invisible: an overlay shown while its owner is hidden must not
    // come back with the owner after its wait has ended.
    if (!isHidden()) {
        hide();
        picture_->Stop();
        if (focusBefore_)
            focusBefore_->setFocus(Qt::OtherFocusReason);
        focusBefore_.clear();
    }
}

void CWaitDlg::RunWhileWaiting(const std::function<void()>& call)
{
    QEventLoop loop;
    ShowWait();
    std::thread worker([&call, &loop] {
        call();
        QMetaObject::invokeMethod(
            &loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    EndWait();
}

bool CWaitDlg::event(QEvent* event)
{
    if (IsInput(event->type())) {
        event->accept();
        return true;
    }
    return QWidget::event(event);
}

bool CWaitDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == owner_ && !isHidden() && (event->type() == QEvent::Resize || event->type() == QEvent::Move))
        CoverOwner();
    return QWidget::eventFilter(watched, event);
}

void CWaitDlg::closeEvent(QCloseEvent* event)
{
    // Only EndWait takes the wait away.
    if (!isHidden())
        event->ignore();
}

void CWaitDlg::resizeEvent(QResizeEvent*)
{
    layout_ = ComputeWaitLayout(size());
    picture_->setGeometry(layout_.picture);
}

void CWaitDlg::paintEvent(QPaintEvent*)
{
    QImage image(size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(kBackgroundColor);
    {
        QPainter painter(&image);
        painter.setFont(WaitFont(kTitlePixelSize));
        painter.setPen(QColor::fromRgb(kTitleColor));
        painter.drawText(layout_.title, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, UiText(kTitleText));
        painter.setFont(WaitFont(kMessagePixelSize));
        painter.setPen(QColor::fromRgb(kMessageColor));
        painter.drawText(layout_.message, Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine, message_);
    }
    QPainter(this).drawImage(QPoint(0, 0), image);
}

} // namespace orb
