#pragma once

#include "app/app_context.h"

class QWidget;

namespace velo {

// The module and GPIO parameter dialogs, modal, made fresh each time.
void showModParamsDialog(AppContext& ctx, QWidget* parent);
void showGPIOParamsDialog(AppContext& ctx, QWidget* parent);

}  // namespace velo
