#include "data/ui/param_dialogs.h"

namespace velo {

void showModParamsDialog(AppContext& ctx, QWidget*) {
    ctx.ui.message("Velo IGX - Edit Module Parameters", "This command is not available yet.",
                   Buttons::Ok, Icon::Information);
}

void showGPIOParamsDialog(AppContext& ctx, QWidget*) {
    ctx.ui.message("Velo IGX - Edit General Purpose Input/Ouput Parameters",
                   "This command is not available yet.", Buttons::Ok, Icon::Information);
}

}  // namespace velo
