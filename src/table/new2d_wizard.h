#pragma once

#include "table/table_commands.h"

#include <QString>
#include <cstdint>

namespace velo {

// What the new 2D table wizard does, without its widgets: the five ramp values, the
// corrections when a box is left, and the table they generate. The dialog calls
// Form_Load once, validate() when a box is left and redraws from texts().
class New2DTableForm {
  public:
    enum Box { TrigTiming, StartRPM, FinalRPM, StartTiming, FinalTiming, BoxCount };

    explicit New2DTableForm(TableEditor& editor) : editor_(editor) {}

    // Starting values, then the table on the screen: asked about, hidden, and the title.
    void Form_Load();
    // The box has been left with this text: checked, stored and shown corrected.
    void validate(Box box, const QString& text);
    void cmdUpdate_Click() { CreateNewTable(); }
    void cmdOK_Click() { CreateNewTable(); }
    // Fills Table2D with the ramp and opens it; sets TrigTiming.
    void CreateNewTable();

    int16_t value(Box box) const { return values_[box]; }
    const QString& text(Box box) const { return texts_[box]; }
    // A value and its text without the box's checks.
    void setValue(Box box, int16_t v);

  private:
    // The entry within [low, high]; outside, the box's message, and the limit.
    double limited(const QString& text, const QString& title, double low, const QString& lowText,
                   double high, const QString& highText);
    void guarded(const std::function<void()>& body);

    TableEditor& editor_;
    int16_t values_[BoxCount] = {};
    QString texts_[BoxCount];
};

// Closes the table on the screen for a wizard, asking first. False when it stays: Cancel,
// or a save the user aborted.
bool closeTableForWizard(TableEditor& editor);

}  // namespace velo
