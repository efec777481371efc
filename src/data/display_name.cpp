#include "data/display_name.h"

#include <algorithm>

namespace velo {

QString DisplayNameOf(const QString& path) {
    const qsizetype cut = std::max(path.lastIndexOf('/'), path.lastIndexOf('\\'));
    const QString name = path.mid(cut + 1);
    if (name.size() > kDisplayNameMax) return "..." + name.right(kDisplayNameMax);
    return name;
}

}  // namespace velo
