#include "dialogs/edit_dialog_accessible.h"

#include "dialogs/edit_dialog.h"
#include "widgets/accessible_announce.h"
#include "widgets/pixel_rect_qt.h"

namespace orb {

namespace {

class SwatchAccessible : public QAccessibleInterface, public QAccessibleActionInterface
{
public:
    SwatchAccessible(EditDialogAccessible* dialog, int index) : dialog_(dialog), index_(index) {}

    bool isValid() const override { return dialog_->isValid() && index_ < dialog_->SwatchCount(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return dialog_->window(); }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override { return dialog_; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text type) const override
    {
        if (type != QAccessible::Name || !isValid())
            return {};
        return QString::fromStdString(ColourText(Access().colourOf(index_)));
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override
    {
        if (!isValid())
            return {};
        const QRect local = ToQRect(Access().strip->Rect(index_));
        return {dialog_->Dialog()->mapToGlobal(local.topLeft()), local.size()};
    }
    QAccessible::Role role() const override { return QAccessible::RadioButton; }
    QAccessible::State state() const override
    {
        QAccessible::State state;
        state.checkable = true;
        state.checked = isValid() && Access().selected() == index_;
        return state;
    }
    void* interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
    }

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override
    {
        if (name != pressAction() || !isValid())
            return;
        Access().choose(index_);
        if (AccessibleAnnouncementsHeard()) {
            QAccessible::State changed;
            changed.checked = true;
            QAccessibleStateChangeEvent event(this, changed);
            Announce(event);
        }
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    const CEditDialog::SwatchAccess& Access() const { return dialog_->Dialog()->AccessibleSwatches(); }

    EditDialogAccessible* dialog_;
    int index_;
};

QAccessibleInterface* Factory(const QString&, QObject* object)
{
    if (auto* dialog = qobject_cast<CEditDialog*>(object))
        return new EditDialogAccessible(dialog);
    return nullptr;
}

} // namespace

EditDialogAccessible::EditDialogAccessible(CEditDialog* dialog) : QAccessibleWidget(dialog, QAccessible::Dialog) {}

EditDialogAccessible::~EditDialogAccessible()
{
    for (const QAccessible::Id id : swatches_)
        QAccessible::deleteAccessibleInterface(id);
}

CEditDialog* EditDialogAccessible::Dialog() const
{
    return static_cast<CEditDialog*>(widget());
}

int EditDialogAccessible::SwatchCount() const
{
    const SwatchStrip* strip = Dialog()->AccessibleSwatches().strip;
    return strip ? strip->Count() : 0;
}

QAccessibleInterface* EditDialogAccessible::child(int index) const
{
    const int controls = QAccessibleWidget::childCount();
    if (index < controls)
        return QAccessibleWidget::child(index);
    const int swatch = index - controls;
    if (swatch >= SwatchCount())
        return nullptr;
    while (static_cast<int>(swatches_.size()) <= swatch) {
        auto* made = new SwatchAccessible(const_cast<EditDialogAccessible*>(this), static_cast<int>(swatches_.size()));
        swatches_.push_back(QAccessible::registerAccessibleInterface(made));
    }
    return QAccessible::accessibleInterface(swatches_[static_cast<std::size_t>(swatch)]);
}

int EditDialogAccessible::childCount() const
{
    return QAccessibleWidget::childCount() + SwatchCount();
}

int EditDialogAccessible::indexOfChild(const QAccessibleInterface* child) const
{
    for (std::size_t i = 0; i < swatches_.size(); ++i) {
        if (QAccessible::accessibleInterface(swatches_[i]) == child)
            return QAccessibleWidget::childCount() + static_cast<int>(i);
    }
    return QAccessibleWidget::indexOfChild(child);
}

void InstallEditDialogAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(Factory);
        return true;
    }();
    (void)installed;
}

} // namespace orb
