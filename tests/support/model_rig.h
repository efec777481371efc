#pragma once

#include "core/app_context.h"
#include "core/scripted_interaction.h"
#include "data/config_image.h"
#include "data/data_file.h"

namespace velo::test {

// The shared model a command works on, with a scripted user.
struct ModelRig {
    ConfigImage image;
    MainState state;
    ScriptedInteraction ui;
    AppContext ctx{image, state, ui};

    // The buffer as an open or a download leaves it.
    void load(const ImageBytes& bytes) {
        image.setImageBytes(bytes);
        image.UpdateParams();
        image.BufferEmpty = false;
    }
};

// A box as one line: title, text, buttons and icon.
inline QString boxLine(const ScriptedInteraction::Shown& s) {
    return QStringList{s.title, s.text, buttonsName(s.buttons), iconName(s.icon)}.join(" | ");
}

}  // namespace velo::test
