#pragma once

#include "core/app_context.h"
#include "core/main_state.h"
#include "data/config_image.h"

#include <utility>

namespace velo {

// What a command runs on, put together in one order: the image, the window state, the
// user (held, or referred to with `Ui` a reference) and the context over the three.
template <typename Ui>
struct Workbench {
    Workbench() = default;
    template <typename Arg, typename... Args>
    explicit Workbench(Arg&& arg, Args&&... args)
        : ui(std::forward<Arg>(arg), std::forward<Args>(args)...) {}
    Workbench(const Workbench&) = delete;
    Workbench& operator=(const Workbench&) = delete;

    ConfigImage image;
    MainState state;
    Ui ui;
    AppContext ctx{image, state, ui};
};

}  // namespace velo
