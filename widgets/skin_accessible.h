#pragma once

#include <QAccessibleWidget>

#include <vector>

namespace orb {

class CBitmapSlider;
class CColorButton;
class CColourPopup;
class SkinScrollbar;

// The bitmap slider as a slider with a value; a value set by an assistive tool counts as a
// key that moved the thumb.
class SliderAccessible : public QAccessibleWidget, public QAccessibleValueInterface
{
public:
    explicit SliderAccessible(CBitmapSlider* slider);

    void* interface_cast(QAccessible::InterfaceType type) override;
    QVariant currentValue() const override;
    void setCurrentValue(const QVariant& value) override;
    QVariant maximumValue() const override;
    QVariant minimumValue() const override;
    QVariant minimumStepSize() const override { return 1; }

private:
    CBitmapSlider* Slider() const;
};

// A skinned scroll bar as a scroll bar whose value is its target's scroll position.
class ScrollbarAccessible : public QAccessibleWidget, public QAccessibleValueInterface
{
public:
    explicit ScrollbarAccessible(SkinScrollbar* bar);

    void* interface_cast(QAccessible::InterfaceType type) override;
    QVariant currentValue() const override;
    void setCurrentValue(const QVariant& value) override;
    QVariant maximumValue() const override;
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }

private:
    SkinScrollbar* Bar() const;
};

// The colour button is named by its colour; pressing it drops the pop-up down.
class ColourButtonAccessible : public QAccessibleWidget
{
public:
    explicit ColourButtonAccessible(CColorButton* button);

    QString text(QAccessible::Text type) const override;
    QAccessible::State state() const override;
    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;

private:
    CColorButton* Button() const;
};

// The pop-up's colours as radio buttons, with the default and custom rows as buttons
// above and below them.
class ColourPopupAccessible : public QAccessibleWidget
{
public:
    explicit ColourPopupAccessible(CColourPopup* popup);
    ~ColourPopupAccessible() override;

    CColourPopup* Popup() const;
    // The child of a highlight (a cell index, kDefaultColourRow or kCustomColourRow).
    QAccessibleInterface* ChildOfHighlight(int highlight) const;
    // The highlight a child index stands for.
    int HighlightOfChild(int index) const;

    QAccessibleInterface* child(int index) const override;
    int childCount() const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;

private:
    mutable std::vector<QAccessible::Id> children_;
};

// Makes the interfaces of the skinned widgets; installed once, by the first one made.
void InstallSkinAccessibility();

void AnnounceSliderValue(CBitmapSlider* slider);
void AnnounceColourHighlight(CColourPopup* popup);

} // namespace orb
