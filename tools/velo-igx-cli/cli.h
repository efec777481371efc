#pragma once

#include <QStringList>

namespace velo::cli {

// Exit codes: 0 the workflow ended with its success message, 1 any other outcome,
// 2 usage errors and files that cannot be read or written.
inline constexpr int kOk = 0;
inline constexpr int kFailed = 1;
inline constexpr int kUsage = 2;

int runShow(const QStringList& args);
int runDownload(const QStringList& args);
int runUpload(const QStringList& args);
int runModify(const QStringList& args);

void printUsage(FILE* to);

}  // namespace velo::cli
