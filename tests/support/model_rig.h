#pragma once

#include "app/app_context.h"
#include "app/scripted_interaction.h"

namespace velo::test {

// The shared model a command works on, with a scripted user.
struct ModelRig {
    ConfigImage image;
    MainState state;
    ScriptedInteraction ui;
    AppContext ctx{image, state, ui};
};

// A box as one line: title, text, buttons and icon.
inline QString boxLine(const ScriptedInteraction::Shown& s) {
    return QStringList{s.title, s.text, buttonsName(s.buttons), iconName(s.icon)}.join(" | ");
}

}  // namespace velo::test
