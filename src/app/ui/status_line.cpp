#include "app/ui/status_line.h"

#include "core/main_state.h"
#include "core/run_error.h"
#include "link/controller_link.h"
#include "table/table_commands.h"

#include <QLabel>
#include <QStatusBar>
#include <QTime>

namespace velo {

namespace {
// Parameters reach the buffer's bytes only when encoded: compare encoded forms.
std::optional<std::array<uint8_t, ConfigImage::kImageBytes>> encoded(const ConfigImage& image) {
    ConfigImage copy = image;
    try {
        copy.UpdateEEPROM();
        return copy.imageBytes();
    } catch (const RunError&) {
        return std::nullopt;
    }
}
}  // namespace

StatusLine::StatusLine(QStatusBar* bar, const ConfigImage& image, const MainState& state,
                       ControllerLink& link, const TableEditor& editor)
    : QObject(),
      image_(image),
      state_(state),
      link_(link),
      editor_(editor),
      bufferStatus_(new QLabel(bar)),
      editStatus_(new QLabel(bar)),
      portStatus_(new QLabel(bar)),
      notice_(new QLabel(bar)),
      warning_(new QLabel(bar)),
      historyWarning_(new QLabel(bar)) {
    bufferStatus_->setObjectName("lblBufferStatus");
    editStatus_->setObjectName("editStatus");
    portStatus_->setObjectName("lblPortStatus");
    bar->addWidget(bufferStatus_);
    bar->addWidget(editStatus_, 1);
    notice_->setObjectName("lblNotice");
    notice_->setContentsMargins(0, 0, notice_->fontMetrics().averageCharWidth() * 3, 0);
    warning_->setObjectName("lblWarning");
    warning_->setStyleSheet("QLabel { color: #b00000; font-weight: bold; }");
    warning_->hide();
    bar->addWidget(warning_);
    historyWarning_->setObjectName("lblHistoryWarning");
    historyWarning_->setStyleSheet(warning_->styleSheet());
    historyWarning_->hide();
    bar->addWidget(historyWarning_);
    bar->addWidget(notice_);
    bar->addPermanentWidget(portStatus_);
    connect(&editor, &TableEditor::sessionChanged, this, [this](TableSession* s) {
        if (!s) return;
        for (auto signal : {&TableSession::valueChanged, &TableSession::textChanged})
            connect(s, signal, this, &StatusLine::showEditStatus);
        connect(s, &TableSession::tableReset, this, &StatusLine::showEditStatus);
    });
    connect(&state, &MainState::openTableChanged, this, &StatusLine::updateEditStatus);
    connect(&state, &MainState::bufferWritten, this, &StatusLine::markBufferWritten);
    // Programming changes the controller, whatever the upload's end.
    connect(&state, &MainState::progressChanged, this, [this] {
        if (state_.progressCaption() == "Programming EEPROM" && !controllerCheck_.isEmpty())
            setControllerCheck({});
    });
}

void StatusLine::setControllerCheck(const QString& summary) {
    controllerCheck_ = summary;
    if (summary.endsWith("same as the buffer"))
        controllerCheck_ += QString(" (checked %1)").arg(QTime::currentTime().toString("HH:mm"));
    checkedImage_ = summary.isEmpty() ? std::nullopt : encoded(image_);
    showEditStatus();
}

void StatusLine::markBufferWritten() {
    writtenImage_ = encoded(image_);
    updateEditStatus();
}

void StatusLine::updateEditStatus() {
    bufferChanged_ = true;
    const auto now = image_.BufferEmpty ? std::nullopt : encoded(image_);
    if (now && writtenImage_) bufferChanged_ = *now != *writtenImage_;
    if (!now || now != checkedImage_) controllerCheck_.clear();
    showEditStatus();
}

void StatusLine::showEditStatus() {
    QStringList parts;
    if (const TableSession* s = editor_.session())
        parts << (s->hasEdits() ? "Table: edits not yet saved to the buffer"
                                : "Table: no edits since opened");
    if (!image_.BufferEmpty)
        parts << (bufferChanged_ ? "Buffer: changes not yet written to a file or the controller"
                                 : "Buffer: same as the last file or controller transfer");
    if (!controllerCheck_.isEmpty()) parts << controllerCheck_;
    editStatus_->setText(parts.join("   |   "));
}

void StatusLine::updateStatus() {
    bufferStatus_->setText(image_.BufferEmpty ? "Data buffer empty" : "Data buffer loaded");
    if (state_.CommPort < 1) {
        portStatus_->setText("No port selected");
        return;
    }
    portStatus_->setText(QString("Com%1: %2").arg(state_.CommPort).arg(link_.port().deviceName()));
}

void StatusLine::notice(const QString& text) {
    notice_->setText(text);
}

void StatusLine::setWarning(const QString& text) {
    warning_->setText(text);
    warning_->setVisible(!text.isEmpty());
}

void StatusLine::setHistoryWarning(const QString& text) {
    historyWarning_->setText(text);
    historyWarning_->setVisible(!text.isEmpty());
}

}  // namespace velo
