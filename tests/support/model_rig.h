#pragma once

#include "core/scripted_interaction.h"
#include "data/data_file.h"
#include "data/workbench.h"

namespace velo::test {

// The shared model a command works on, with a scripted user.
struct ModelRig : Workbench<ScriptedInteraction> {
    // The buffer as an open or a download leaves it.
    void load(const ImageBytes& bytes) { image.loadImageBytes(bytes); }
};

// A box as one line: title, text, buttons and icon.
inline QString boxLine(const ScriptedInteraction::Shown& s) {
    return QStringList{s.title, s.text, buttonsName(s.buttons), iconName(s.icon)}.join(" | ");
}

}  // namespace velo::test
