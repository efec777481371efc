#pragma once

#include "core/ui/form_dialog.h"
#include "table/new2d_wizard.h"
#include "table/new3d_wizard.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;

namespace velo {

// Shows the wizard for `kind` modally, made fresh.
void showNewTableWizard(TableEditor& editor, TableKind kind, QWidget* parent);

// Update generates the table and stays open, OK generates it and closes; closed any
// other way, the last Update's table stays.
class frmNew2DTable : public FormDialog {
  public:
    frmNew2DTable(TableEditor& editor, QWidget* parent = nullptr);
    New2DTableForm& form() { return form_; }

  protected:
    void boxLeft(QLineEdit* box) override;

  private:
    void refresh();

    New2DTableForm form_;
    QLineEdit* boxes_[New2DTableForm::BoxCount] = {};
};

class frmNew3DTable : public FormDialog {
  public:
    frmNew3DTable(TableEditor& editor, QWidget* parent = nullptr);
    New3DTableForm& form() { return form_; }

  private:
    struct SliderBox {
        QSlider* slider = nullptr;
        QLabel* value = nullptr;
    };
    SliderBox makeSlider(const QString& caption, const QString& frameName, const QString& name,
                         QWidget*& frame);
    void refresh();

    New3DTableForm form_;
    bool refreshing_ = false;
    SliderBox base_, trig_;
};

}  // namespace velo
