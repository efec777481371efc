#pragma once

#include "app/app_context.h"
#include "data/gpio_params.h"
#include "data/mod_params.h"

#include <QDialog>
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

// Both dialogs have only OK. The title bar's close button closes without OK (what the
// controls wrote stays written), Escape does nothing, Enter is OK.
class ParamsDialog : public QDialog {
  public:
    using QDialog::QDialog;
    // Shows it modally in the middle of the screen.
    int execCentred();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
};

class frmModParams : public ParamsDialog {
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

class frmGPIOParams : public ParamsDialog {
  public:
    frmGPIOParams(AppContext& ctx, QWidget* parent = nullptr);

    GPIOParamsForm& form() { return form_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    using Box = GPIOParamsForm::Box;
    QLineEdit* makeBox(QWidget* owner, Box box, const QString& name);
    // True when a correction message was shown.
    bool leave(QLineEdit* edit);
    void cmdOK_Click();
    void refresh();

    GPIOParamsForm form_;
    bool refreshing_ = false;
    bool validating_ = false;
    std::map<QLineEdit*, Box> boxes_;
    QButtonGroup* gpi1_ = nullptr;
    QButtonGroup* gpi2_ = nullptr;
    QButtonGroup* gpio3_ = nullptr;
};

}  // namespace velo
