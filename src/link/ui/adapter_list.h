#pragma once

#include "link/port_finder.h"

#include <QHash>
#include <QWidget>

class QLabel;
class QPushButton;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;

namespace velo {

// The machine's serial adapters beside the Com list: device, adapter, maker, serial
// number and stable name, refreshed while shown so that a plugged adapter appears.
// "Find Controller" asks each of them (and any extra device) for its identification.
class AdapterList : public QWidget {
    Q_OBJECT
  public:
    explicit AdapterList(QWidget* parent = nullptr);

    QTreeWidget* tree() const { return tree_; }
    QPushButton* cmdFind() const { return find_; }
    QLabel* lblFound() const { return found_; }
    // Lists the ports again when they changed (or when `always`).
    void refresh(bool always = false);
    // Probes every listed port and `extra` devices; selects (and picks) an IGX-1.
    void findController(const QStringList& extra);
    bool searching() const { return searching_; }
    // The ports listed now.
    const QVector<SerialPortEntry>& ports() const { return shown_; }
    // The device of this run (--device, or one chosen since); a found IGX-1 replaces it
    // for this run only.
    QString runDevice;

    // Where the list comes from and how a device is asked; tests put their own.
    std::function<QVector<SerialPortEntry>()> listPorts = machinePorts;
    std::function<ProbeAnswer(const QString& device)> probe;

  signals:
    void devicePicked(const QString& device);
    void searchStarting();
    void searchFinished();
    // A port came or went.
    void portsChanged();

  protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;

  private:
    void fill();
    // The answer column of `device`'s row, if the row is still there.
    QTreeWidgetItem* rowOf(const QString& device) const;

    QTreeWidget* tree_;
    QPushButton* find_;
    QLabel* found_;
    QTimer* poll_;
    QVector<SerialPortEntry> shown_;
    bool searching_ = false;
    QHash<QString, QString> answers_;  // by device, from the last search
    QString lastOutcome_;
};

}  // namespace velo
