#include "table/compare_file.h"

#include "core/error_report.h"

namespace velo {

namespace {
constexpr const char* kCompareTitle = "Compare With File";
}  // namespace

namespace {
bool refuseEmptyBuffer(AppContext& ctx, const QString& title) {
    if (!ctx.image.BufferEmpty) return false;
    ctx.ui.message(title, "Data buffer empty.", Buttons::Ok, Icon::Exclamation);
    return true;
}
}  // namespace

std::optional<FileComparison> mnuCompareFile_Click(AppContext& ctx) {
    if (refuseEmptyBuffer(ctx, kCompareTitle)) return {};
    Trap trap(ctx.ui);
    QString path, filter = kDataFileFilter;
    if (!trap.step([&] { path = FileOpen(ctx.ui, kCompareTitle, filter); }) || path.isEmpty())
        return {};
    return compareBufferWith(ctx, path, kCompareTitle);
}

std::optional<FileComparison> compareBufferWith(AppContext& ctx, const QString& path,
                                                const QString& title) {
    if (refuseEmptyBuffer(ctx, title)) return {};
    Trap trap(ctx.ui);
    FileComparison c;
    c.path = path;
    bool read = false;
    if (!trap.step([&] { read = readImageFile(ctx.ui, c.path, c.file, title); }) || !read)
        return {};
    // Parameters reach the bytes only when encoded; decoded again, the tables read the
    // regions against the trigger timing a saved file would carry.
    c.buffer = ctx.image;
    if (!trap.step([&] { c.buffer.UpdateEEPROM(); })) return {};
    c.buffer.UpdateParams();
    return c;
}

}  // namespace velo
