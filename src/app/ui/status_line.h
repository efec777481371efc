#pragma once

#include "core/app_context.h"
#include "data/config_image.h"

#include <QObject>
#include <array>
#include <optional>

class QLabel;
class QStatusBar;

namespace velo {

class ControllerLink;
class MainState;
class TableEditor;

// The status bar: whether the buffer is loaded and written, whether the open table has
// edits, and which device the chosen port reaches.
class StatusLine : public QObject, public Notices {
    Q_OBJECT
  public:
    StatusLine(QStatusBar* bar, const ConfigImage& image, const MainState& state,
               ControllerLink& link, const TableEditor& editor);

    QLabel* editStatus() const { return editStatus_; }
    QLabel* noticeLabel() const { return notice_; }
    QLabel* warningLabel() const { return warning_; }
    // The buffer now holds what was last written to or read from a file or the controller.
    void markBufferWritten();
    // Parameters may have changed: compare the buffer with what was written.
    void updateEditStatus();
    // As last found by `updateEditStatus`: the buffer differs from what was last written.
    bool bufferChanged() const { return bufferChanged_; }
    // Table edits leave the buffer alone: they only redraw the line.
    void showEditStatus();
    void updateStatus();
    // A short word about what a command just did (a value limited, a snapshot kept); the
    // next notice replaces it.
    void notice(const QString& text) override;
    // Stays until cleared with an empty text: something the user must act on.
    void setWarning(const QString& text);
    void warning(const QString& text) override { setWarning(text); }
    // Tune History's trouble, beside the other warning: stays until the store works again.
    void setHistoryWarning(const QString& text);
    QLabel* historyWarningLabel() const { return historyWarning_; }
    // What the controller was found to hold against the buffer as it is now; shown until
    // the buffer changes or the controller is programmed.
    void setControllerCheck(const QString& summary);

  private:
    const ConfigImage& image_;
    const MainState& state_;
    ControllerLink& link_;
    const TableEditor& editor_;
    QLabel* bufferStatus_;
    QLabel* editStatus_;
    QLabel* portStatus_;
    QLabel* notice_;
    QLabel* warning_;
    QLabel* historyWarning_;
    std::optional<std::array<uint8_t, ConfigImage::kImageBytes>> writtenImage_;
    bool bufferChanged_ = false;
    QString controllerCheck_;
    std::optional<std::array<uint8_t, ConfigImage::kImageBytes>> checkedImage_;
};

}  // namespace velo
