#include "table/ui/new_table_wizards.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

namespace velo {

namespace {

// "Update" (Enter) and "OK" at the right.
std::pair<QPushButton*, QPushButton*> makeButtons(QDialog* dialog, QBoxLayout* row) {
    auto* update = new QPushButton("Update", dialog);
    update->setObjectName("cmdUpdate");
    update->setDefault(true);
    auto* ok = new QPushButton("OK", dialog);
    ok->setObjectName("cmdOK");
    for (QPushButton* b : {update, ok}) b->setMinimumWidth(90);
    row->addStretch();
    row->addWidget(update);
    row->addWidget(ok);
    return {update, ok};
}

}  // namespace

// ---- 2D ----

frmNew2DTable::frmNew2DTable(TableEditor& editor, QWidget* parent)
    : FormDialog(parent), form_(editor) {
    setObjectName("frmNew2DTable");
    setWindowTitle("Velo IGX - New 2D Timing Table");
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* frame = new QGroupBox("Advance Curve Parameters", this);
    frame->setObjectName("fraAdvanceCurve");
    auto* grid = new QGridLayout(frame);
    struct Field {
        const char *label, *name;
    };
    const Field fields[New2DTableForm::BoxCount] = {{"Trigger Timing (Deg)", "TrigTimingVal"},
                                                    {"Start RPM", "StartRPMVal"},
                                                    {"Final RPM", "FinalRPMVal"},
                                                    {"Start Advance (Deg)", "StartTimingVal"},
                                                    {"Final Advance (Deg)", "FinalTimingVal"}};
    const int boxWidth = QFontMetrics(font()).horizontalAdvance("000000") + 16;
    for (int i = 0; i < New2DTableForm::BoxCount; ++i) {
        auto* label = new QLabel(fields[i].label, frame);
        label->setObjectName(QString("lbl") + fields[i].name);
        auto* box = new QLineEdit(frame);
        box->setObjectName(QString("txt") + fields[i].name);
        box->setFixedWidth(boxWidth);
        box->setAlignment(Qt::AlignRight);
        label->setBuddy(box);
        grid->addWidget(label, i, 0);
        grid->addWidget(box, i, 1);
        watchBox(box);
        boxes_[i] = box;
    }
    grid->setColumnMinimumWidth(0, 150);

    auto* col = new QVBoxLayout(this);
    col->addWidget(frame);
    auto* row = new QHBoxLayout;
    auto [update, ok] = makeButtons(this, row);
    col->addLayout(row);
    for (int i = 1; i < New2DTableForm::BoxCount; ++i) setTabOrder(boxes_[i - 1], boxes_[i]);
    setTabOrder(boxes_[New2DTableForm::BoxCount - 1], update);
    setTabOrder(update, ok);

    connect(update, &QPushButton::clicked, this, [this] {
        checkFocusedBox();
        form_.cmdUpdate_Click();
    });
    connect(ok, &QPushButton::clicked, this, [this] {
        checkFocusedBox();
        form_.cmdOK_Click();
        accept();
    });

    form_.Form_Load();
    refresh();
}

void frmNew2DTable::boxLeft(QLineEdit* box) {
    for (int i = 0; i < New2DTableForm::BoxCount; ++i)
        if (boxes_[i] == box) form_.validate(New2DTableForm::Box(i), box->text());
    refresh();
}

void frmNew2DTable::refresh() {
    for (int i = 0; i < New2DTableForm::BoxCount; ++i) {
        const QString& t = form_.text(New2DTableForm::Box(i));
        if (boxes_[i]->text() != t) boxes_[i]->setText(t);
    }
}

// ---- 3D ----

frmNew3DTable::frmNew3DTable(TableEditor& editor, QWidget* parent)
    : FormDialog(parent), form_(editor) {
    setObjectName("frmNew3DTable");
    setWindowTitle("Velo IGX - New 3D Timing Table");
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    QWidget *trigFrame = nullptr, *baseFrame = nullptr;
    trig_ = makeSlider("Trig Timing", "fraTrigTiming", "TrigTiming", trigFrame);
    base_ = makeSlider("Base Timing", "fraBaseTmg", "BaseTmg", baseFrame);
    auto* col = new QVBoxLayout(this);
    auto* frames = new QHBoxLayout;
    frames->addWidget(trigFrame);
    frames->addWidget(baseFrame);
    col->addLayout(frames);
    auto* row = new QHBoxLayout;
    auto [update, ok] = makeButtons(this, row);
    col->addLayout(row);
    setTabOrder(trig_.slider, base_.slider);
    setTabOrder(base_.slider, update);
    setTabOrder(update, ok);

    // The widgets hold degrees; the form works with positions, 40 at the top.
    connect(trig_.slider, &QSlider::valueChanged, this, [this](int degrees) {
        if (refreshing_) return;
        form_.sldTrigTiming_Change(ConfigImage::kMaxTrigTiming - degrees);
        refresh();
    });
    connect(base_.slider, &QSlider::valueChanged, this, [this](int degrees) {
        if (refreshing_) return;
        form_.sldBaseTmg_Change(ConfigImage::kMaxTrigTiming - degrees);
        refresh();
    });
    connect(update, &QPushButton::clicked, this, [this] { form_.cmdUpdate_Click(); });
    connect(ok, &QPushButton::clicked, this, [this] {
        form_.cmdOK_Click();
        accept();
    });

    refresh();
    form_.Form_Load();
    refresh();
}

frmNew3DTable::SliderBox frmNew3DTable::makeSlider(const QString& caption, const QString& frameName,
                                                   const QString& name, QWidget*& frame) {
    auto* box = new QGroupBox(caption, this);
    box->setObjectName(frameName);
    frame = box;
    auto* row = new QHBoxLayout(box);
    SliderBox s;
    s.slider = new QSlider(Qt::Vertical, box);
    s.slider->setObjectName("sld" + name);
    s.slider->setRange(0, ConfigImage::kMaxTrigTiming);
    s.slider->setSingleStep(1);
    s.slider->setPageStep(5);
    // Degrees, 0 at the bottom: the groove fills up to the thumb as the value rises.
    s.slider->setTickPosition(QSlider::TicksBothSides);
    s.slider->setTickInterval(5);
    s.slider->setMinimumHeight(180);
    s.value = new QLabel(box);
    s.value->setObjectName("lbl" + name + "Val");
    s.value->setMinimumWidth(QFontMetrics(font()).horizontalAdvance("00") + 10);
    s.value->setAlignment(Qt::AlignCenter);
    QFont f = s.value->font();
    f.setBold(true);
    s.value->setFont(f);
    row->addWidget(s.slider, 0, Qt::AlignHCenter);
    row->addWidget(s.value, 0, Qt::AlignVCenter);
    row->addStretch();
    return s;
}

void frmNew3DTable::refresh() {
    refreshing_ = true;
    auto show = [](SliderBox& b, const New3DTableForm::Slider& s) {
        b.slider->setValue(ConfigImage::kMaxTrigTiming - s.position);
        b.value->setText(s.label);
    };
    show(trig_, form_.trigSlider());
    show(base_, form_.baseSlider());
    refreshing_ = false;
}

void showNewTableWizard(TableEditor& editor, TableKind kind, QWidget* parent) {
    if (kind == TableKind::Table2D) {
        frmNew2DTable dialog(editor, parent);
        dialog.execCentred();
    } else {
        frmNew3DTable dialog(editor, parent);
        dialog.execCentred();
    }
}

}  // namespace velo
