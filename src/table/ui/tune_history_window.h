#pragma once

#include "core/app_context.h"
#include "core/history_model.h"
#include "table/table_commands.h"

#include <QDialog>
#include <optional>

class QLineEdit;
class QPushButton;
class QTableView;

namespace velo {

// File > Tune History...: every image kept, newest first, with a filter and the note
// editable in place; an entry compared, loaded or saved as a data file.
class TuneHistoryWindow : public QDialog {
    Q_OBJECT
  public:
    // The editor gives the buffer and the pressure unit the comparisons label MAP rows in.
    TuneHistoryWindow(TableEditor& editor, TuneHistory& store, QWidget* parent = nullptr);

    HistoryModel* model() const { return model_; }
    QTableView* view() const { return view_; }
    QLineEdit* filter() const { return filter_; }
    // Shows the newest entries again, as the window is brought back.
    void refresh();

    void compareWithBuffer();
    void compareTwo();
    void openInBuffer();
    void saveAs();

  private:
    // The selected entries with their bytes, oldest first.
    QVector<HistoryEntry> selected() const;
    void updateButtons();

    TableEditor& editor_;
    AppContext& ctx_;
    TuneHistory& store_;
    HistoryModel* model_;
    QTableView* view_;
    QLineEdit* filter_;
    QPushButton *compareBuffer_, *compareTwo_, *open_, *saveAs_;
};

}  // namespace velo
