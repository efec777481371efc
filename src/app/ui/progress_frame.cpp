#include "app/ui/progress_frame.h"

#include "core/main_state.h"

#include <QProgressBar>
#include <QVBoxLayout>

namespace velo {

ProgressFrame::ProgressFrame(const MainState& state, QWidget* parent)
    : QGroupBox(parent), state_(state), prgProgress1_(new QProgressBar(this)) {
    setObjectName("fraProgress1");
    setMaximumWidth(420);
    prgProgress1_->setObjectName("prgProgress1");
    prgProgress1_->setRange(0, 100);
    (new QVBoxLayout(this))->addWidget(prgProgress1_);
    connect(&state, &MainState::progressChanged, this, &ProgressFrame::apply);
    apply();
}

void ProgressFrame::apply() {
    setTitle(state_.progressCaption());
    prgProgress1_->setValue(state_.progressValue());
    setVisible(state_.progressVisible());
}

}  // namespace velo
