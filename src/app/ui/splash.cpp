#include "app/ui/splash.h"

#include "core/error_report.h"

#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QPixmap>
#include <QTimer>
#include <QVBoxLayout>

namespace velo {

SplashForm::SplashForm(UserInteraction& ui, const AppFiles& files, QWidget* parent)
    : QDialog(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName("frmVelo_Splash");
    brand_ = loadBrandInfo(ui, files);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(36, 28, 36, 28);
    layout->setSpacing(10);
    logo_ = new QLabel(this);
    logo_->setObjectName("imgLogo");
    logo_->setAlignment(Qt::AlignCenter);
    company_ = new QLabel(this);
    company_->setObjectName("lblCompany");
    company_->setAlignment(Qt::AlignCenter);
    auto* product = new QLabel("Velo IGX", this);
    product->setObjectName("lblProductName");
    product->setAlignment(Qt::AlignCenter);
    product->setFont(QFont("Arial", 22, QFont::Bold));
    auto* version = new QLabel("Version 1.0", this);
    version->setObjectName("lblVersion");
    version->setAlignment(Qt::AlignCenter);
    version->setFont(QFont("Arial", 12));
    layout->addWidget(logo_);
    layout->addWidget(company_);
    layout->addWidget(product);
    layout->addWidget(version);
    setStyleSheet("QDialog#frmVelo_Splash { background: white; border: 2px solid #30506e; }");

    Trap trap(ui);
    trap.step([&] { company_->setText(brand_.splash(1)); });
    trap.step([&] {
        QFont font(brand_.splash(2));
        const int size = brand_.fontSize();
        if (size <= 0)
            velo::raise(
                380, "Velo_IGX_Splash",
                QString("The splash font size \"%1\" is not a usable size.").arg(brand_.splash(3)));
        font.setPointSize(size);
        font.setBold(brand_.bold());
        font.setItalic(brand_.italic());
        company_->setFont(font);
    });
    trap.step([&] {
        logo_->hide();
        if (!brand_.hasLogo()) return;
        const QString path = files.path(brand_.splash(5));
        QPixmap pixmap(path);
        if (pixmap.isNull())
            velo::raise(481, "Velo_IGX_Splash",
                        QString("The logo picture %1 cannot be loaded.")
                            .arg(QDir::toNativeSeparators(path)));
        logo_->setPixmap(pixmap);
        logo_->show();
    });
    QCoreApplication::setApplicationName("Velo_IGX_Splash");
}

void SplashForm::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    QTimer::singleShot(kShowMillis, Qt::PreciseTimer, this, &QDialog::accept);
}

}  // namespace velo
