#pragma once

#include <QFocusEvent>
#include <QKeyEvent>

#include <functional>

namespace orb {

// An editor shown over a cell: Enter or leaving it ends the edit and keeps the value,
// Escape ends it without keeping it. The tree list decides what ending means.
template <class Base> class InPlaceEditor : public Base
{
public:
    using Finish = std::function<void(bool keep)>;

    explicit InPlaceEditor(QWidget* parent) : Base(parent)
    {
        this->hide();
        this->setEnabled(false);
    }

    void SetFinish(Finish finish) { finish_ = std::move(finish); }

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            Finished(true);
            return;
        case Qt::Key_Escape:
            Finished(false);
            return;
        default:
            Base::keyPressEvent(event);
        }
    }

    void focusOutEvent(QFocusEvent* event) override
    {
        Base::focusOutEvent(event);
        // A combo box's own list takes the focus while it is open.
        if (event->reason() != Qt::PopupFocusReason && this->isVisible())
            Finished(true);
    }

private:
    void Finished(bool keep)
    {
        if (finish_)
            finish_(keep);
    }

    Finish finish_;
};

} // namespace orb
