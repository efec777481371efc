#include "link/ui/adapter_list.h"

#include "link/controller_link.h"

#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace velo {

namespace {
enum Column { kDevice, kAdapter, kChip, kLatency, kMaker, kSerial, kById, kAnswer, kColumns };
// Often enough to follow a plug, rarely enough to cost nothing.
constexpr int kPollMs = 1000;
}  // namespace

AdapterList::AdapterList(QWidget* parent) : QWidget(parent) {
    setObjectName("adapterList");
    probe = [](const QString& d) {
        return probeController(makeSystemPort([d](int) { return d; }));
    };
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    tree_ = new QTreeWidget(this);
    tree_->setObjectName("lstAdapters");
    tree_->setRootIsDecorated(false);
    tree_->setHeaderLabels(
        {"Device", "Adapter", "Chip", "Latency", "Maker", "Serial", "Stable name", "Answer"});
    tree_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    tree_->setToolTip("Click a port to make it the device of the chosen Com entry.");
    // Wide enough for every column of a USB adapter without a scroll bar.
    tree_->setMinimumSize(660, 90);
    tree_->setMaximumHeight(150);
    auto* heading = new QLabel("Serial ports on this machine", this);
    heading->setBuddy(tree_);
    find_ = new QPushButton("Find Controller", this);
    find_->setObjectName("cmdFindController");
    found_ = new QLabel(this);
    found_->setObjectName("lblFound");
    found_->setWordWrap(true);
    auto* row = new QHBoxLayout;
    row->addWidget(find_);
    row->addWidget(found_, 1);
    layout->addWidget(heading);
    layout->addWidget(tree_);
    layout->addLayout(row);

    poll_ = new QTimer(this);
    poll_->setInterval(kPollMs);
    connect(poll_, &QTimer::timeout, this, [this] { refresh(); });
    connect(tree_, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { emit devicePicked(item->text(kDevice)); });
}

void AdapterList::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    refresh(true);
    poll_->start();
}

void AdapterList::hideEvent(QHideEvent* e) {
    poll_->stop();
    QWidget::hideEvent(e);
}

void AdapterList::refresh(bool always) {
    // A search in progress writes its answers into these rows.
    if (searching_) return;
    const QVector<SerialPortEntry> now = listPorts();
    if (!always && now == shown_) return;
    const bool changed = now != shown_;
    shown_ = now;
    fill();
    if (changed) emit portsChanged();
}

void AdapterList::fill() {
    tree_->clear();
    for (const SerialPortEntry& p : shown_) {
        // A built-in port's driver says nothing to a tuner; an adapter's does.
        const QString chip = p.chip.isEmpty() || p.driver.isEmpty()
                                 ? p.chip
                                 : QString("%1 (%2)").arg(p.chip, p.driver);
        const QString latency = p.latencyMs ? QString("%1 ms").arg(*p.latencyMs) : QString();
        tree_->addTopLevelItem(
            new QTreeWidgetItem(QStringList{p.device, p.description, chip, latency, p.manufacturer,
                                            p.serial, p.byId, answers_.value(p.device)}));
    }
    // The last search's answers stay until the next one, also when the frame shows again.
    found_->setText(shown_.isEmpty() && lastOutcome_.isEmpty()
                        ? "No serial adapter found. Plug one in, or type a device path above."
                        : lastOutcome_);
}

QTreeWidgetItem* AdapterList::rowOf(const QString& device) const {
    for (int i = 0; i < tree_->topLevelItemCount(); ++i)
        if (tree_->topLevelItem(i)->text(kDevice) == device) return tree_->topLevelItem(i);
    return nullptr;
}

void AdapterList::findController(const QStringList& extra) {
    if (searching_) return;
    searching_ = true;
    emit searchStarting();
    find_->setEnabled(false);
    poll_->stop();
    // Each answer takes up to a second with messages running: work from a copy and find
    // the rows again by device, whatever the user did meanwhile.
    QStringList devices;
    for (const SerialPortEntry& p : shown_) devices << p.device;
    for (const QString& d : extra)
        if (!d.isEmpty() && !devices.contains(d)) {
            devices << d;
            tree_->addTopLevelItem(new QTreeWidgetItem(QStringList{d, "(typed device)"}));
        }
    answers_.clear();
    const QPointer<AdapterList> alive(this);
    QElapsedTimer took;
    took.start();
    QString igx;
    int answered = 0;
    QStringList troubles;
    for (const QString& device : devices) {
        found_->setText(QString("Asking %1...").arg(device));
        if (QTreeWidgetItem* row = rowOf(device)) row->setText(kAnswer, "...");
        const ProbeAnswer a = probe(device);
        if (!alive) return;  // the window went away while the port was asked
        answers_[device] = a.firmware ? *a.firmware : troubleText(a.trouble);
        if (QTreeWidgetItem* row = rowOf(device)) row->setText(kAnswer, answers_[device]);
        answered += a.firmware.has_value();
        if (a.igx && igx.isEmpty()) igx = device;
        if (a.trouble == PortTrouble::NoPermission) troubles << permissionFollowUp(device);
    }
    QString outcome = " No IGX-1 answered.";
    if (!igx.isEmpty() && runDevice.isEmpty())
        outcome = " The IGX-1 is chosen.";
    else if (!igx.isEmpty() && igx == runDevice)
        outcome = QString(" The IGX-1 answers on %1, the device of this run.").arg(igx);
    else if (!igx.isEmpty())
        outcome = QString(
                      " The IGX-1 answered on %1 and is used for this run instead of %2; "
                      "--device is in force: nothing is stored.")
                      .arg(igx, runDevice);
    lastOutcome_ = QString("%1 of %2 ports answered in %3 s.%4%5")
                       .arg(answered)
                       .arg(devices.size())
                       .arg(took.elapsed() / 1000.0, 0, 'f', 1)
                       .arg(outcome, troubles.isEmpty() ? QString() : " " + troubles.join(' '));
    found_->setText(lastOutcome_);
    searching_ = false;
    if (QTreeWidgetItem* row = igx.isEmpty() ? nullptr : rowOf(igx)) tree_->setCurrentItem(row);
    if (!igx.isEmpty()) emit devicePicked(igx);
    find_->setEnabled(true);
    emit searchFinished();
    if (isVisible()) poll_->start();
}

}  // namespace velo
