#pragma once

#include "core/app_context.h"
#include "core/ui/form_dialog.h"
#include "data/config_image.h"
#include "data/gpio_params.h"
#include "data/mod_params.h"

#include <map>

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;

namespace velo {

// The module and GPIO parameter dialogs, modal, made fresh each time.
void showModParamsDialog(AppContext& ctx, QWidget* parent);
void showGPIOParamsDialog(AppContext& ctx, QWidget* parent);

// Both dialogs have only OK, which Enter presses; closed otherwise, what the controls
// wrote stays written.
class frmModParams : public FormDialog {
  public:
    frmModParams(AppContext& ctx, QWidget* parent = nullptr);

    ModParamsForm& form() { return form_; }

  private:
    struct SliderBox {
        QGroupBox* frame = nullptr;
        QSlider* slider = nullptr;
        QLabel* value = nullptr;
    };
    SliderBox makeSlider(const QString& caption, const QString& name, int last, int page);
    QButtonGroup* makeOptions(QWidget* owner, const QStringList& captions,
                              const QStringList& names);
    // The form's groups, made in the order they sit on it.
    QGroupBox* makeTableFrame();
    QGroupBox* makeGeneralFrame();
    void makeRetardSliders();
    void connectControls();
    void refresh();

    ModParamsForm form_;
    bool refreshing_ = false;
    QGroupBox* fraMAPSensor = nullptr;
    QButtonGroup* tableOptions_ = nullptr;
    QButtonGroup* mapOptions_ = nullptr;
    QButtonGroup* cylOptions_ = nullptr;
    QCheckBox* chkTimingDisable = nullptr;
    QCheckBox* chkStartRtd = nullptr;
    SliderBox trig_, start_, crank_, comp_;
    QPushButton* cmdOK = nullptr;
};

class frmGPIOParams : public FormDialog {
  public:
    frmGPIOParams(AppContext& ctx, QWidget* parent = nullptr);

    GPIOParamsForm& form() { return form_; }

  protected:
    void boxLeft(QLineEdit* edit) override;

  private:
    using Box = GPIOParamsForm::Box;
    QLineEdit* makeBox(QWidget* owner, Box box, const QString& name);
    void cmdOK_Click();
    void refresh();

    GPIOParamsForm form_;
    bool refreshing_ = false;
    std::map<QLineEdit*, Box> boxes_;
    QButtonGroup* gpi1_ = nullptr;
    QButtonGroup* gpi2_ = nullptr;
    QButtonGroup* gpio3_ = nullptr;
};

}  // namespace velo
