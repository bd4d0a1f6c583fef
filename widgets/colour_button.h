#pragma once

#include "core/color_ref.h"
#include "widgets/colour_popup.h"

#include <QAbstractButton>
#include <QImage>
#include <QPointer>
#include <QString>

namespace orb {

// The application messages the colour button stands for.
constexpr int kColourSelChange = 2025;    // colourChanged
constexpr int kColourDropDown = 2026;     // dropDown
constexpr int kColourCloseUp = 2027;      // closeUp
constexpr int kColourSelEndOk = 2028;     // colourSelected
constexpr int kColourSelEndCancel = 2029; // selectionCancelled

// A push button showing a colour; a click drops down a CColourPopup to choose another.
// It reports every step to its parent and keeps the chosen colour.
class CColorButton : public QAbstractButton
{
    Q_OBJECT

public:
    explicit CColorButton(int controlId, QWidget* parent = nullptr);

    int ControlId() const { return controlId_; }
    ColorRef Colour() const { return colour_; }
    void SetColour(ColorRef colour); // no signal
    ColorRef DefaultColour() const { return defaultColour_; }
    void SetDefaultColour(ColorRef colour);
    void SetDefaultText(const QString& text) { defaultText_ = text; }
    const QString& DefaultText() const { return defaultText_; }
    void SetCustomText(const QString& text) { customText_ = text; }
    void SetTrackSelection(bool track) { trackSelection_ = track; }
    bool IsActive() const { return active_; }
    CColourPopup* Popup() const { return popup_; }

    QSize sizeHint() const override;
    QImage RenderImage() const;

    // Where the custom row's colour dialog comes from; tests replace it.
    CustomColourChooser chooseCustomColour;

signals:
    void colourChanged(orb::ColorRef colour, int controlId);
    void dropDown(orb::ColorRef colour, int controlId);
    void closeUp(orb::ColorRef colour, int controlId);
    void colourSelected(orb::ColorRef colour, int controlId);
    void selectionCancelled(orb::ColorRef colour, int controlId);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void OpenPopup();
    void OnSelectionChanged(ColorRef colour);
    void OnSelectionEnded(ColorRef colour);
    void OnSelectionCancelled(ColorRef colour);

    int controlId_;
    ColorRef colour_ = kDefaultColorRef;
    ColorRef defaultColour_;
    ColorRef colourAtOpen_ = kDefaultColorRef;
    QString defaultText_;
    QString customText_;
    bool active_ = false;
    bool trackSelection_ = false;
    QPointer<CColourPopup> popup_;
};

} // namespace orb
