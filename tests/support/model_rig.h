#pragma once

#include "core/scripted_interaction.h"
#include "data/data_file.h"
#include "data/workbench.h"

namespace velo::test {

// What a workflow asked of the window above it.
struct Heard : NoHooks {
    QStringList notices, warnings;
    int modParams = 0, chartSetups = 0;
    void notice(const QString& text) override { notices << text; }
    void warning(const QString& text) override { warnings << text; }
    void editModParams() override { ++modParams; }
    void chartSetup3D() override { ++chartSetups; }
    QString lastNotice() const { return notices.value(notices.size() - 1); }
};

// The shared model a command works on, with a scripted user.
struct ModelRig : Workbench<ScriptedInteraction> {
    Heard heard;
    ModelRig() {
        ctx.notices = &heard;
        ctx.window = &heard;
    }

    // The buffer as an open or a download leaves it.
    void load(const ImageBytes& bytes) { image.loadImageBytes(bytes); }
};

// A box as one line: title, text, buttons and icon.
inline QString boxLine(const ScriptedInteraction::Shown& s) {
    return QStringList{s.title, s.text, buttonsName(s.buttons), iconName(s.icon)}.join(" | ");
}

}  // namespace velo::test
