#pragma once

#include "core/config_file.h"

#include <QDialog>

class QLabel;

namespace velo {

class UserInteraction;

// frmVelo_Splash: the maker's company line and logo, the product and version lines;
// closes itself after four seconds.
class SplashForm : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kShowMillis = 4000;

    SplashForm(UserInteraction& ui, const AppFiles& files, QWidget* parent = nullptr);
    const BrandInfo& brand() const { return brand_; }
    QLabel* companyLine() const { return company_; }
    QLabel* logo() const { return logo_; }

  protected:
    void showEvent(QShowEvent* e) override;

  private:
    BrandInfo brand_;
    QLabel* company_;
    QLabel* logo_;
};

}  // namespace velo
