#include "cli.h"

#include <cstdio>

namespace velo::cli {

int runDownload(const QStringList&) {
    std::fputs("velo-igx-cli: download is not available yet\n", stderr);
    return kUsage;
}

int runUpload(const QStringList&) {
    std::fputs("velo-igx-cli: upload is not available yet\n", stderr);
    return kUsage;
}

}  // namespace velo::cli
