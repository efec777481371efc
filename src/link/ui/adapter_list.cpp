#include "link/ui/adapter_list.h"

#include "link/controller_link.h"

#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace velo {

namespace {
enum Column { kDevice, kAdapter, kMaker, kSerial, kById, kAnswer, kColumns };
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
    tree_->setHeaderLabels({"Device", "Adapter", "Maker", "Serial", "Stable name", "Answer"});
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
    const QVector<SerialPortEntry> now = listPorts();
    if (!always && now == shown_) return;
    shown_ = now;
    fill();
}

void AdapterList::fill() {
    tree_->clear();
    for (const SerialPortEntry& p : shown_)
        tree_->addTopLevelItem(new QTreeWidgetItem(
            QStringList{p.device, p.description, p.manufacturer, p.serial, p.byId, {}}));
    if (shown_.isEmpty())
        found_->setText("No serial adapter found. Plug one in, or type a device path above.");
    else
        found_->clear();
}

void AdapterList::findController(const QStringList& extra) {
    emit searchStarting();
    find_->setEnabled(false);
    poll_->stop();
    QStringList devices;
    for (const SerialPortEntry& p : shown_) devices << p.device;
    for (const QString& d : extra)
        if (!d.isEmpty() && !devices.contains(d)) {
            devices << d;
            tree_->addTopLevelItem(new QTreeWidgetItem(QStringList{d, "(typed device)"}));
        }
    QElapsedTimer took;
    took.start();
    QTreeWidgetItem* igx = nullptr;
    int answered = 0;
    for (int i = 0; i < devices.size(); ++i) {
        QTreeWidgetItem* item = tree_->topLevelItem(i);
        found_->setText(QString("Asking %1...").arg(devices[i]));
        item->setText(kAnswer, "...");
        const ProbeAnswer a = probe(devices[i]);
        item->setText(kAnswer, a.firmware ? *a.firmware : QString("no answer"));
        answered += a.firmware.has_value();
        if (a.igx && !igx) igx = item;
    }
    found_->setText(QString("%1 of %2 ports answered in %3 s.%4")
                        .arg(answered)
                        .arg(devices.size())
                        .arg(took.elapsed() / 1000.0, 0, 'f', 1)
                        .arg(igx ? " The IGX-1 is chosen." : " No IGX-1 answered."));
    if (igx) {
        tree_->setCurrentItem(igx);
        emit devicePicked(igx->text(kDevice));
    }
    find_->setEnabled(true);
    if (isVisible()) poll_->start();
}

}  // namespace velo
