#include "widgets/skin_accessible.h"

#include "widgets/accessible_announce.h"
#include "widgets/bitmap_slider.h"
#include "widgets/colour_button.h"
#include "widgets/colour_popup.h"
#include "widgets/colour_table.h"
#include "widgets/pixel_rect_qt.h"
#include "widgets/skin_scrollbar.h"

#include <algorithm>

namespace orb {

namespace {

// A colour of the table by its name there, any other by its "#rrggbb" text.
QString ColourName(ColorRef colour)
{
    const int index = ColourTableIndex(colour);
    if (index >= 0)
        return QString::fromUtf8(ColourTable()[static_cast<std::size_t>(index)].name).trimmed();
    return QString::fromStdString(ColourText(colour));
}

// One entry of the colour pop-up: a cell, the default row or the custom row.
class ColourChoiceAccessible : public QAccessibleInterface
{
public:
    ColourChoiceAccessible(ColourPopupAccessible* popup, int highlight) : popup_(popup), highlight_(highlight) {}

    bool isValid() const override { return popup_->isValid(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return popup_->window(); }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override { return popup_; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text type) const override
    {
        if (type != QAccessible::Name)
            return {};
        const CColourPopup* popup = popup_->Popup();
        if (highlight_ == kDefaultColourRow)
            return popup->DefaultText();
        if (highlight_ == kCustomColourRow)
            return popup->CustomText();
        return ColourName(ColourTable()[static_cast<std::size_t>(highlight_)].colour);
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override
    {
        const ColourPopupLayout& layout = popup_->Popup()->Layout();
        const PixelRect area = highlight_ == kDefaultColourRow  ? layout.TextBox(layout.defaultRow)
                               : highlight_ == kCustomColourRow ? layout.TextBox(layout.customRow)
                                                                : layout.CellRect(highlight_);
        const QRect local = ToQRect(area);
        return {popup_->Popup()->mapToGlobal(local.topLeft()), local.size()};
    }
    QAccessible::Role role() const override { return highlight_ >= 0 ? QAccessible::RadioButton : QAccessible::Button; }
    QAccessible::State state() const override
    {
        const CColourPopup* popup = popup_->Popup();
        QAccessible::State state;
        state.focusable = true;
        state.focused = popup->Highlight() == highlight_;
        if (highlight_ >= 0) {
            state.checkable = true;
            state.checked = ColourTable()[static_cast<std::size_t>(highlight_)].colour == popup->InitialColour();
        }
        return state;
    }

private:
    ColourPopupAccessible* popup_;
    int highlight_;
};

QAccessibleInterface* Factory(const QString&, QObject* object)
{
    if (auto* slider = qobject_cast<CBitmapSlider*>(object))
        return new SliderAccessible(slider);
    if (auto* button = qobject_cast<CColorButton*>(object))
        return new ColourButtonAccessible(button);
    if (auto* popup = qobject_cast<CColourPopup*>(object))
        return new ColourPopupAccessible(popup);
    if (auto* bar = dynamic_cast<SkinScrollbar*>(object))
        return new ScrollbarAccessible(bar);
    return nullptr;
}

} // namespace

SliderAccessible::SliderAccessible(CBitmapSlider* slider) : QAccessibleWidget(slider, QAccessible::Slider) {}

CBitmapSlider* SliderAccessible::Slider() const
{
    return static_cast<CBitmapSlider*>(widget());
}

void* SliderAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::ValueInterface)
        return static_cast<QAccessibleValueInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QVariant SliderAccessible::currentValue() const
{
    return Slider()->Pos();
}

void SliderAccessible::setCurrentValue(const QVariant& value)
{
    CBitmapSlider* slider = Slider();
    slider->SetPos(value.toInt());
    emit slider->positionChanged(slider->ControlId(), slider->Pos());
    AnnounceSliderValue(slider);
}

QVariant SliderAccessible::maximumValue() const
{
    return Slider()->MaxPos();
}

QVariant SliderAccessible::minimumValue() const
{
    return Slider()->MinPos();
}

ScrollbarAccessible::ScrollbarAccessible(SkinScrollbar* bar) : QAccessibleWidget(bar, QAccessible::ScrollBar) {}

SkinScrollbar* ScrollbarAccessible::Bar() const
{
    return static_cast<SkinScrollbar*>(widget());
}

void* ScrollbarAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::ValueInterface)
        return static_cast<QAccessibleValueInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QVariant ScrollbarAccessible::currentValue() const
{
    const SkinScrollTarget* target = Bar()->Target();
    return target ? target->ScrollPosition(Bar()->Orientation()) : 0;
}

void ScrollbarAccessible::setCurrentValue(const QVariant& value)
{
    SkinScrollbar* bar = Bar();
    if (SkinScrollTarget* target = bar->Target()) {
        const int limit = target->ScrollLimit(bar->Orientation());
        target->SetScrollPosition(bar->Orientation(), std::clamp(value.toInt(), 0, limit));
        bar->UpdateThumb();
    }
}

QVariant ScrollbarAccessible::maximumValue() const
{
    const SkinScrollTarget* target = Bar()->Target();
    return target ? target->ScrollLimit(Bar()->Orientation()) : 0;
}

ColourButtonAccessible::ColourButtonAccessible(CColorButton* button)
    : QAccessibleWidget(button, QAccessible::ButtonDropDown)
{}

CColorButton* ColourButtonAccessible::Button() const
{
    return static_cast<CColorButton*>(widget());
}

QString ColourButtonAccessible::text(QAccessible::Text type) const
{
    // A name the dialog gave the button says what the colour is for; the value says which.
    const CColorButton* button = Button();
    const QString colour = button->Colour() == kDefaultColorRef ? button->DefaultText() : ColourName(button->Colour());
    if (type == QAccessible::Value)
        return colour;
    if (type == QAccessible::Name && button->accessibleName().isEmpty())
        return colour;
    return QAccessibleWidget::text(type);
}

QAccessible::State ColourButtonAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.hasPopup = true;
    state.pressed = Button()->IsActive();
    return state;
}

QStringList ColourButtonAccessible::actionNames() const
{
    return QStringList{pressAction()} + QAccessibleWidget::actionNames();
}

void ColourButtonAccessible::doAction(const QString& actionName)
{
    if (actionName == pressAction())
        Button()->click();
    else
        QAccessibleWidget::doAction(actionName);
}

ColourPopupAccessible::ColourPopupAccessible(CColourPopup* popup) : QAccessibleWidget(popup, QAccessible::PopupMenu) {}

ColourPopupAccessible::~ColourPopupAccessible()
{
    for (const QAccessible::Id id : children_)
        QAccessible::deleteAccessibleInterface(id);
}

CColourPopup* ColourPopupAccessible::Popup() const
{
    return static_cast<CColourPopup*>(widget());
}

int ColourPopupAccessible::HighlightOfChild(int index) const
{
    const ColourPopupLayout& layout = Popup()->Layout();
    if (index < 0 || index >= childCount())
        return kNoColourCell;
    if (layout.HasDefaultRow() && index-- == 0)
        return kDefaultColourRow;
    return index < kColourCount ? index : kCustomColourRow;
}

QAccessibleInterface* ColourPopupAccessible::ChildOfHighlight(int highlight) const
{
    const ColourPopupLayout& layout = Popup()->Layout();
    const int first = layout.HasDefaultRow() ? 1 : 0;
    if (highlight == kDefaultColourRow && layout.HasDefaultRow())
        return child(0);
    if (highlight == kCustomColourRow && layout.HasCustomRow())
        return child(first + kColourCount);
    return highlight >= 0 && highlight < kColourCount ? child(first + highlight) : nullptr;
}

QAccessibleInterface* ColourPopupAccessible::child(int index) const
{
    const int highlight = HighlightOfChild(index);
    if (highlight == kNoColourCell)
        return nullptr;
    if (children_.empty()) {
        for (int i = 0; i < childCount(); ++i) {
            auto* choice = new ColourChoiceAccessible(const_cast<ColourPopupAccessible*>(this), HighlightOfChild(i));
            children_.push_back(QAccessible::registerAccessibleInterface(choice));
        }
    }
    return QAccessible::accessibleInterface(children_[static_cast<std::size_t>(index)]);
}

int ColourPopupAccessible::childCount() const
{
    const ColourPopupLayout& layout = Popup()->Layout();
    return kColourCount + (layout.HasDefaultRow() ? 1 : 0) + (layout.HasCustomRow() ? 1 : 0);
}

int ColourPopupAccessible::indexOfChild(const QAccessibleInterface* child) const
{
    for (std::size_t i = 0; i < children_.size(); ++i) {
        if (QAccessible::accessibleInterface(children_[i]) == child)
            return static_cast<int>(i);
    }
    return -1;
}

QAccessibleInterface* ColourPopupAccessible::childAt(int x, int y) const
{
    const QPoint local = Popup()->mapFromGlobal(QPoint(x, y));
    return ChildOfHighlight(Popup()->Layout().HitTest(local.x(), local.y()));
}

QAccessibleInterface* ColourPopupAccessible::focusChild() const
{
    return ChildOfHighlight(Popup()->Highlight());
}

void InstallSkinAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(Factory);
        return true;
    }();
    (void)installed;
}

void AnnounceSliderValue(CBitmapSlider* slider)
{
    if (!AccessibleAnnouncementsHeard())
        return;
    QAccessibleValueChangeEvent event(slider, slider->Pos());
    Announce(event);
}

void AnnounceColourHighlight(CColourPopup* popup)
{
    if (!AccessibleAnnouncementsHeard())
        return;
    auto* iface = dynamic_cast<ColourPopupAccessible*>(QAccessible::queryAccessibleInterface(popup));
    if (QAccessibleInterface* choice = iface ? iface->ChildOfHighlight(popup->Highlight()) : nullptr) {
        QAccessibleEvent focus(choice, QAccessible::Focus);
        Announce(focus);
    }
}

} // namespace orb
