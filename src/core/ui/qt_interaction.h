#pragma once

#include "core/interaction.h"

class QSettings;
class QWidget;

namespace velo {

// The folder the next file dialog starts in.
inline constexpr const char* kLastFolderKey = "Files/LastFolder";

// Message boxes, input box and file dialogs of the window.
class QtInteraction : public UserInteraction {
  public:
    explicit QtInteraction(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }
    // Where the file dialogs remember the folder of the last data file ("Files/LastFolder").
    void setSettings(QSettings* settings) { settings_ = settings; }

    Answer message(const QString& title, const QString& text, Buttons buttons, Icon icon) override;
    std::optional<QString> inputBox(const QString& title, const QString& prompt,
                                    const QString& defaultText) override;
    std::optional<QString> openFileName(const QString& title, const QString& filter) override;
    std::optional<QString> saveFileName(const QString& title, const QString& filter) override;
    void detail(const QString& text) override { pendingDetail_ = text; }

    // "desc|pat|desc|pat" as a file dialog filter list.
    static QStringList qtFilters(const QString& filter);
    // The least width of a box whose title bar shows `title` whole.
    static int minimumWidthFor(const QString& title);
    // Where a file dialog opens: the last data file's folder if it is still there, else
    // the user's Documents folder, else home; never the program's own folder.
    QString startFolder() const;

  private:
    QWidget* owner() const;
    std::optional<QString> fileName(bool save, const QString& title, const QString& filter);

    QWidget* parent_;
    QSettings* settings_ = nullptr;
    QString pendingDetail_;
};

}  // namespace velo
