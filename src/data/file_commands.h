#pragma once

#include "app/app_context.h"

namespace velo {

// File menu: "&Open File" and "&Save File".
void mnuOpenFile_Click(AppContext& ctx);
void mnuSaveFile_Click(AppContext& ctx);

}  // namespace velo
