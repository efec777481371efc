#pragma once

#include "core/interaction.h"

class QWidget;

namespace velo {

// Message boxes, input box and file dialogs of the window.
class QtInteraction : public UserInteraction {
  public:
    explicit QtInteraction(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }

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

  private:
    QWidget* owner() const;

    QWidget* parent_;
    QString pendingDetail_;
};

}  // namespace velo
