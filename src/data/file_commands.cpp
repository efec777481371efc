#include "data/file_commands.h"

namespace velo {

void mnuOpenFile_Click(AppContext& ctx) {
    ctx.ui.message("Open Data File", "This command is not available yet.", Buttons::Ok,
                   Icon::Information);
}

void mnuSaveFile_Click(AppContext& ctx) {
    ctx.ui.message("Save Data File", "This command is not available yet.", Buttons::Ok,
                   Icon::Information);
}

}  // namespace velo
