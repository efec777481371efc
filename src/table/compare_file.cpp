#include "table/compare_file.h"

#include "core/error_report.h"
#include "link/controller_link.h"

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

namespace {
// Parameters reach the bytes only when encoded; decoded again, the tables read the regions
// against the trigger timing a saved file would carry.
bool asSaved(Trap& trap, const ConfigImage& image, ConfigImage& out) {
    out = image;
    if (!trap.step([&] { out.UpdateEEPROM(); })) return false;
    out.UpdateParams();
    return true;
}
}  // namespace

std::optional<FileComparison> compareBufferWithController(AppContext& ctx, ControllerLink& link) {
    if (refuseEmptyBuffer(ctx, kCompareControllerTitle)) return {};
    Trap trap(ctx.ui);
    FileComparison c;
    // A buffer that cannot be encoded is told before the link runs.
    if (!asSaved(trap, ctx.image, c.buffer)) return {};
    const auto read = link.readController(kCompareControllerTitle);
    if (!read) return {};
    c.path = link.port().deviceName();
    c.file.loadImageBytes(*read);
    return c;
}

QString controllerSummary(const ImageDiff& d) {
    if (d.equal()) return "Controller: same as the buffer";
    QStringList parts;
    auto count = [&](int n, const char* one, const char* many) {
        if (n) parts << (n == 1 ? QString("1 %1").arg(one) : QString("%1 %2").arg(n).arg(many));
    };
    count(d.parameters.size(), "parameter", "parameters");
    count(d.cells.size(), "cell", "cells");
    count(d.otherBytes, "other byte", "other bytes");
    const int total = int(d.parameters.size() + d.cells.size()) + d.otherBytes;
    return QString("Controller: %1 %2 from the buffer")
        .arg(parts.join(" and "), total == 1 ? "differs" : "differ");
}

}  // namespace velo
