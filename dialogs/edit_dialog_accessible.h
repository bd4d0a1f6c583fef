#pragma once

#include <QAccessibleWidget>

#include <vector>

namespace orb {

class CEditDialog;

// An editor as a dialog whose children are its controls and, after them, its colour
// swatches as radio buttons named by their colour; pressing one chooses it.
class EditDialogAccessible : public QAccessibleWidget
{
public:
    explicit EditDialogAccessible(CEditDialog* dialog);
    ~EditDialogAccessible() override;

    CEditDialog* Dialog() const;
    int SwatchCount() const;

    QAccessibleInterface* child(int index) const override;
    int childCount() const override;
    int indexOfChild(const QAccessibleInterface* child) const override;

private:
    mutable std::vector<QAccessible::Id> swatches_;
};

// Makes the editors' interfaces; installed once, by the first editor made.
void InstallEditDialogAccessibility();

} // namespace orb
