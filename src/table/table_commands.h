#pragma once

#include "core/app_context.h"
#include "core/app_files.h"
#include "data/config_image.h"
#include "table/pressure_units.h"
#include "table/table_edit.h"
#include "table/table_session.h"

#include <QObject>
#include <memory>

namespace velo {

struct ImportPreview;  // csv_commands.h

inline constexpr const char* kChart2DTemplate = "IGX_2D_Timing_Chart.oc2";
// The 3D chart's template for the MAP sensor in use: 1 bar for any value but 1 and 2.
QString chart3DTemplate(int mapSensor);

// What only the window's views can do for the table editor.
class TableWindow {
  public:
    virtual ~TableWindow() = default;
    // False: the chart template did not load.
    virtual bool loadTemplate2D(const QString& path) = 0;
    virtual bool loadTemplate3D(const QString& path) = 0;
    virtual void formResize() = 0;
    virtual void hideValueLabels() = 0;
    virtual void clearClipboard() = 0;
    // Shows the new table wizard for `kind` modally; the window fills it in.
    virtual void showWizard(TableKind kind) = 0;
    // Shows what a CSV import would change; false when the user turns it down.
    virtual bool previewImport(const ImportPreview& preview, const QString& fileName) = 0;
};

// No views (tests, the command-line tool): nothing shown, a template always loads and
// an import goes in at once.
class NoTableWindow : public TableWindow {
  public:
    bool loadTemplate2D(const QString&) override { return true; }
    bool loadTemplate3D(const QString&) override { return true; }
    void formResize() override {}
    void hideValueLabels() override {}
    void clearClipboard() override {}
    void showWizard(TableKind) override {}
    bool previewImport(const ImportPreview&, const QString&) override { return true; }
};
NoTableWindow& noTableWindow();

// The table editor's part of the window: the open table, the copy store and the 3D
// grid's MAP labels.
class TableEditor : public QObject, public TableEditsKeeper {
    Q_OBJECT
  public:
    explicit TableEditor(AppContext& ctx, QObject* parent = nullptr);
    ~TableEditor() override;

    AppContext& ctx;
    CopyStore& copy;                         // the window's, in ctx
    AppFiles files;                          // where the chart templates are found
    TableWindow* window = &noTableWindow();  // never null

    // The open table; nullptr while none is open.
    TableSession* session() const { return session_.get(); }
    // Opens `kind` from the image and shows it; drops any table open before.
    void open(TableKind kind, bool newTable = false);
    // Hides the table; its unsaved edits go with it, kept in Tune History first unless
    // they have just been saved to the buffer.
    void close(bool editsSaved = false);
    // Keeps the open table's unsaved edits in Tune History (once per table).
    void keepEdits(const QString& note) override;

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
    std::unique_ptr<TableSession> session_;
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
