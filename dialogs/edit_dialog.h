#pragma once

#include "core/color_ref.h"
#include "dialogs/swatch_strip.h"
#include "widgets/deferred_move.h"

#include <QDialog>
#include <QRect>

#include <functional>
#include <initializer_list>

class QLabel;
class QPainter;
class QPushButton;

namespace orb {

// The editors' common look: a white client area without a caption bar, texts and buttons in
// a dark grey, a press on the bare client area moves the window, Enter never closes the
// dialog (the multi-line box keeps it for line breaks) and Esc cancels.
class CEditDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr QRgb kTextColour = 0x1E1E1E;
    // Text of disabled buttons and statics: greyed, so a button that does nothing looks it.
    static constexpr QRgb kDisabledTextColour = 0xA0A0A0;
    // The ground of a field that shows a value the user cannot change.
    static constexpr QRgb kReadOnlyFieldColour = 0xF0F0F0;

    explicit CEditDialog(QWidget* parent = nullptr);

    // The colour swatches as a screen reader reads and chooses them; no strip when the
    // editor has none.
    struct SwatchAccess
    {
        const SwatchStrip* strip = nullptr;
        std::function<int()> selected;
        std::function<ColorRef(int)> colourOf;
        std::function<void(int)> choose;
    };
    const SwatchAccess& AccessibleSwatches() const { return swatchAccess_; }

protected:
    // Controls sit at fixed pixel rectangles and carry their control id as object name.
    void Place(QWidget* control, int id, const QRect& rect);
    QLabel* AddStatic(const char* text, const QRect& rect);
    QPushButton* AddButton(int id, const char* text, const QRect& rect);
    // A line that says why the dialog offers less than usual; wraps inside `rect`.
    QLabel* AddNote(const char* text, const QRect& rect);
    // Text fields and pickers show their value and let it be selected but not changed, on a
    // grey ground; check boxes and drop-downs are disabled.
    static void ShowReadOnly(const std::initializer_list<QWidget*>& controls);

    // Fills the controls from what the opener set; runs once, when first shown.
    virtual void InitDialog() {}
    // The control the user types into first, focused when the dialog opens.
    virtual QWidget* FirstField() const { return nullptr; }
    void showEvent(QShowEvent* event) override;

    // A left press on the client area; true when the dialog used it, otherwise it moves the window.
    virtual bool PressClient(const QPoint& point);
    // Drawn over the white client area, under the controls.
    virtual void PaintClient(QPainter& painter);
    static void PaintSwatches(QPainter& painter, const SwatchStrip& swatches, int selected,
                              const std::function<ColorRef(int)>& colourOf);

    // The colour swatches of an editor whose model chooses among them: a click on one
    // selects it, and the paint marks the selection.
    template <class Model> bool SelectSwatchAt(const SwatchStrip& swatches, Model& model, const QPoint& point)
    {
        const int swatch = swatches.At(point.x(), point.y());
        if (swatch < 0)
            return false;
        model.SelectColour(swatch);
        update();
        return true;
    }
    template <class Model> void ShareSwatches(const SwatchStrip& swatches, Model& model)
    {
        swatchAccess_ = {&swatches, [&model] { return model.colourIndex(); },
                         [&model](int k) { return model.SwatchColour(k); },
                         [this, &model](int k) {
                             model.SelectColour(k);
                             update();
                         }};
    }
    template <class Model>
    static void PaintModelSwatches(QPainter& painter, const SwatchStrip& swatches, const Model& model)
    {
        PaintSwatches(painter, swatches, model.colourIndex(), [&model](int k) { return model.SwatchColour(k); });
    }

    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    DeferredMove move_;
    bool initialized_ = false;
    SwatchAccess swatchAccess_;
};

} // namespace orb
