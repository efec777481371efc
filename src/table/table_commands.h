#pragma once

#include "core/app_context.h"
#include "core/app_files.h"
#include "data/config_image.h"
#include "table/pressure_units.h"
#include "table/table_edit.h"
#include "table/table_session.h"

#include <QObject>
#include <functional>

namespace velo {

struct ImportPreview;  // csv_commands.h

inline constexpr const char* kChart2DTemplate = "IGX_2D_Timing_Chart.oc2";
// The 3D chart's template for the MAP sensor in use: 1 bar for any value but 1 and 2.
QString chart3DTemplate(int mapSensor);

// The table editor's part of the window: the open table, the copy store and the 3D
// grid's MAP labels. The window hands it the few things only views can do; left empty
// (tests, the command-line tool) they do nothing and a template always loads.
class TableEditor : public QObject {
    Q_OBJECT
  public:
    explicit TableEditor(AppContext& ctx, QObject* parent = nullptr);
    ~TableEditor() override;

    AppContext& ctx;
    CopyStore& copy;  // the window's, in ctx
    AppFiles files;   // where the chart templates are found

    std::function<bool(const QString& path)> loadTemplate2D;
    std::function<bool(const QString& path)> loadTemplate3D;
    std::function<void()> formResize;
    std::function<void()> hideValueLabels;
    std::function<void()> clearClipboard;
    // Shows the new table wizard for `kind` modally; the window fills it in.
    std::function<void(TableKind kind)> showWizard;
    // Shows what a CSV import would change; false when the user turns it down. Left
    // empty, the import goes in at once.
    std::function<bool(const ImportPreview& preview, const QString& fileName)> previewImport;

    // The open table; nullptr while none is open.
    TableSession* session() const { return session_; }
    // Opens `kind` from the image and shows it; drops any table open before.
    void open(TableKind kind, bool newTable = false);
    // Hides the table; its unsaved edits go with it, kept in Tune History first unless
    // they have just been saved to the buffer.
    void close(bool editsSaved = false);
    // Keeps the open table's unsaved edits in Tune History (once per table).
    void keepEdits(const QString& note);

    // The MAP sensor the 3D grid's row labels are written for (1 bar until a 3D table is
    // set up), and the label of 3D grid row 1..8.
    int mapSensorShown() const { return mapSensor_; }
    QString mapLabel(int row) const { return mapLabelIn(row, mapSensor_, unit_); }
    void setMapLabels(int mapSensor);
    // The unit the MAP labels are shown in (the setting); the printed report keeps inHg.
    PressureUnit pressureUnit() const { return unit_; }
    void setPressureUnit(PressureUnit unit);

    bool templateLoads() const;
    bool template3DLoads(const QString& file) const;

  signals:
    // Before the open table state changes, so views show the new table when they appear.
    void sessionChanged(TableSession* session);
    void mapLabelsChanged();

  private:
    TableSession* session_ = nullptr;
    bool editsKept_ = false;
    int mapSensor_ = 0;
    PressureUnit unit_ = PressureUnit::InHg;
};

// Form_Load's template step: a missing file is told and start-up goes on.
void loadChartTemplates(TableEditor& editor);

// Edit menu and File menu.
void mnuEditTimingTable_Click(TableEditor& editor);
void mnuNewTable_Click(TableEditor& editor);
void mnuSaveTbl_Click(TableEditor& editor);
void mnuCloseTbl_Click(TableEditor& editor);
// After the parameters dialog closed over a table left open: its views redraw the limits
// and the trigger line of the trigger timing now set.
void tableParametersChanged(TableEditor& editor);
// The 3D chart and grid for the sensor in use: its template and MAP labels; an open 3D
// table is loaded again from the image. A missing template closes the table.
void ChartSetup3D(TableEditor& editor);

// The grid's validate step: false (after the message) refuses the typed text.
bool validateCellEdit(TableEditor& editor, const QString& text);
// The right click: the grid's Paste item from the copy store and the clipboard.
void setPasteForRightClick(TableEditor& editor, TableKind grid, const QString& clipboardText);

}  // namespace velo
