#include "table/compare_file.h"

#include "core/error_report.h"

namespace velo {

namespace {
constexpr const char* kCompareTitle = "Compare With File";
}  // namespace

std::optional<FileComparison> mnuCompareFile_Click(AppContext& ctx) {
    UserInteraction& ui = ctx.ui;
    if (ctx.image.BufferEmpty) {
        ui.message(kCompareTitle, "Data buffer empty.", Buttons::Ok, Icon::Exclamation);
        return {};
    }
    Trap trap(ui);
    FileComparison c;
    QString filter = kDataFileFilter;
    if (!trap.step([&] { c.path = FileOpen(ui, kCompareTitle, filter); }) || c.path.isEmpty())
        return {};
    bool read = false;
    if (!trap.step([&] { read = readImageFile(ui, c.path, c.file, kCompareTitle); }) || !read)
        return {};
    // Parameters reach the bytes only when encoded; decoded again, the tables read the
    // regions against the trigger timing a saved file would carry.
    c.buffer = ctx.image;
    if (!trap.step([&] { c.buffer.UpdateEEPROM(); })) return {};
    c.buffer.UpdateParams();
    c.diff = compareImages(c.buffer, c.file);
    return c;
}

}  // namespace velo
