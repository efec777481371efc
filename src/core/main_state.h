#pragma once

#include <QObject>
#include <QString>

namespace velo {

// What the main window shows and the workflows change: title, the four table menu
// items and the two Paste items, the open table, the progress frame and the link
// variables. The window draws from it; tests and the command-line tool read it.
class MainState : public QObject {
    Q_OBJECT
  public:
    enum class OpenTable { None, Table2D, Table3D };
    struct Menus {
        bool newTable = true;
        bool editTimingTable = false;
        bool saveTbl = false;
        bool closeTbl = false;
        bool paste2D = false;
        bool paste3D = false;
        bool operator==(const Menus&) const = default;
    };

    QString BaseTitle = "Velo IGX Version 1.0";
    QString DisplayName;
    bool AbortRequested = false;
    int CommPort = 1;
    int CommErrorCount = 0;
    QString FirmwareID;
    QString UnitModel = "IGX-1";

    QString title() const { return title_; }
    void setTitle(const QString& title);
    // The title forms of a running program.
    void setTitleSuffix(const QString& suffix) { setTitle(BaseTitle + " - " + suffix); }

    Menus menus() const { return menus_; }
    void setMenus(const Menus& m);
    // On: all four table commands enabled; off: only New Timing Table.
    void setTableMenus(bool tableInUse);
    void setPaste(bool paste2D, bool paste3D);

    OpenTable openTable() const { return openTable_; }
    bool tableOpen() const { return openTable_ != OpenTable::None; }
    void setOpenTable(OpenTable t);

    // The progress frame of the EEPROM runs.
    bool progressVisible() const { return progressVisible_; }
    QString progressCaption() const { return progressCaption_; }
    int progressValue() const { return progressValue_; }
    void showProgress(const QString& caption);
    void setProgress(int value);
    void hideProgress();

  signals:
    void titleChanged(const QString& title);
    void menusChanged();
    void openTableChanged();
    void progressChanged();
    // The buffer now matches a data file or the controller (loaded, saved, transferred).
    void bufferWritten();

  private:
    QString title_ = BaseTitle;
    Menus menus_;
    OpenTable openTable_ = OpenTable::None;
    bool progressVisible_ = false;
    QString progressCaption_;
    int progressValue_ = 0;
};

}  // namespace velo
