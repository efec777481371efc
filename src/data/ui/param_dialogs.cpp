#include "data/ui/param_dialogs.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

namespace velo {

namespace {

// A frame that comes and goes keeps its place, so the form does not jump around.
void keepPlaceWhenHidden(QWidget* w) {
    QSizePolicy p = w->sizePolicy();
    p.setRetainSizeWhenHidden(true);
    w->setSizePolicy(p);
}

void check(QButtonGroup* group, int id) {
    if (QAbstractButton* b = group->button(id)) b->setChecked(true);
}

QPushButton* makeOkButton(QDialog* dialog, QBoxLayout* row) {
    auto* ok = new QPushButton("OK", dialog);
    ok->setObjectName("cmdOK");
    ok->setDefault(true);
    ok->setMinimumWidth(90);
    row->addStretch();
    row->addWidget(ok);
    return ok;
}

}  // namespace

// ---- Module parameters ----

frmModParams::frmModParams(AppContext& ctx, QWidget* parent) : FormDialog(parent), form_(ctx) {
    setObjectName("frmModParams");
    setWindowTitle("Velo IGX - Edit Module Parameters");
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    QGroupBox* tableFrame = makeTableFrame();
    QGroupBox* generalFrame = makeGeneralFrame();
    makeRetardSliders();

    auto* grid = new QGridLayout(this);
    grid->addWidget(tableFrame, 0, 0, 1, 3);
    grid->addWidget(generalFrame, 0, 3, 1, 1);
    grid->addWidget(start_.frame, 1, 0);
    grid->addWidget(crank_.frame, 1, 1);
    grid->addWidget(comp_.frame, 1, 2);
    auto* okRow = new QHBoxLayout;
    cmdOK = makeOkButton(this, okRow);
    grid->addLayout(okRow, 1, 3, Qt::AlignBottom);

    // Created state: "Disable Timing Table", "1 bar", "8 Cylinder Engine", boxes clear.
    check(tableOptions_, 2);
    check(mapOptions_, 0);
    check(cylOptions_, 2);

    connectControls();

    refresh();
    form_.Form_Load();
    refresh();
}

QGroupBox* frmModParams::makeTableFrame() {
    auto* tableFrame = new QGroupBox("Timing Table Options", this);
    tableFrame->setObjectName("fraTimingTable");
    auto* tableRow = new QHBoxLayout(tableFrame);
    auto* tableCol = new QWidget(tableFrame);
    tableOptions_ =
        makeOptions(tableCol, {"2D Timing Table", "3D Timing Table", "Disable Timing Table"},
                    {"opt2DTimingTable", "opt3DTimingTable", "optDisableTimingTable"});
    tableRow->addWidget(tableCol, 0, Qt::AlignTop);
    fraMAPSensor = new QGroupBox("MAP Sensor", tableFrame);
    fraMAPSensor->setObjectName("fraMAPSensor");
    mapOptions_ = makeOptions(fraMAPSensor, {"1 bar", "2 bar", "3 bar"},
                              {"optMAP1Bar", "optMAP2Bar", "optMAP3Bar"});
    keepPlaceWhenHidden(fraMAPSensor);
    tableRow->addWidget(fraMAPSensor, 0, Qt::AlignTop);
    trig_ = makeSlider("Trig Timing", "TrigTiming", ModParamsForm::kTrigTimingPositions, 5);
    trig_.frame->setParent(tableFrame);
    trig_.frame->setObjectName("fraTrigTiming");
    tableRow->addWidget(trig_.frame);
    return tableFrame;
}

QGroupBox* frmModParams::makeGeneralFrame() {
    auto* generalFrame = new QGroupBox("General Options", this);
    generalFrame->setObjectName("fraGeneralOptions");
    auto* generalCol = new QVBoxLayout(generalFrame);
    auto* cylCol = new QWidget(generalFrame);
    cylOptions_ =
        makeOptions(cylCol, {"4 Cylinder Engine", "6 Cylinder Engine", "8 Cylinder Engine"},
                    {"optCyl4", "optCyl6", "optCyl8"});
    generalCol->addWidget(cylCol);
    chkTimingDisable = new QCheckBox("Disable Timing Functions", generalFrame);
    chkTimingDisable->setObjectName("chkTimingDisable");
    chkStartRtd = new QCheckBox("Automatic Start Retard", generalFrame);
    chkStartRtd->setObjectName("chkStartRtd");
    generalCol->addWidget(chkTimingDisable);
    generalCol->addWidget(chkStartRtd);
    generalCol->addStretch();
    return generalFrame;
}

void frmModParams::makeRetardSliders() {
    start_ = makeSlider("Start Retard", "StartRtd", ModParamsForm::kStartRetardPositions, 2);
    start_.frame->setObjectName("fraStartRtd");
    crank_ = makeSlider("Cranking Pulses", "CrankPulses", ModParamsForm::kCrankPulsesPositions, 2);
    crank_.frame->setObjectName("fraCrankPulses");
    comp_ = makeSlider("Retard Comp", "RetardComp", ModParamsForm::kRetardCompPositions, 2);
    comp_.frame->setObjectName("fraRetardComp");
    // The slider names follow the parameters, the labels their own short names.
    start_.slider->setObjectName("sldStartRetard");
}

void frmModParams::connectControls() {
    using Mode = ModParamsForm::TableMode;
    connect(tableOptions_, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (refreshing_ || !on) return;
        form_.optTableMode_Click(id == 0   ? Mode::Table2D
                                 : id == 1 ? Mode::Table3D
                                           : Mode::Disabled);
        refresh();
    });
    connect(mapOptions_, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (refreshing_ || !on) return;
        form_.optMAP_Click(id);
        refresh();
    });
    using Cyl = ModParamsForm::Cylinders;
    connect(cylOptions_, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (refreshing_ || !on) return;
        form_.optCyl_Click(id == 0 ? Cyl::Four : id == 1 ? Cyl::Six : Cyl::Eight);
        refresh();
    });
    connect(chkTimingDisable, &QCheckBox::toggled, this, [this](bool on) {
        if (refreshing_) return;
        form_.chkTimingDisable_Click(on);
        refresh();
    });
    connect(chkStartRtd, &QCheckBox::toggled, this, [this](bool on) {
        if (refreshing_) return;
        form_.chkStartRtd_Click(on);
        refresh();
    });
    auto onMove = [this](QSlider* s, void (ModParamsForm::*handler)(int)) {
        connect(s, &QSlider::valueChanged, this, [this, handler](int p) {
            if (refreshing_) return;
            (form_.*handler)(p);
            refresh();
        });
    };
    onMove(trig_.slider, &ModParamsForm::sldTrigTiming_Change);
    onMove(start_.slider, &ModParamsForm::sldStartRetard_Change);
    onMove(crank_.slider, &ModParamsForm::sldCrankPulses_Change);
    onMove(comp_.slider, &ModParamsForm::sldRetardComp_Change);
    connect(cmdOK, &QPushButton::clicked, this, [this] {
        form_.cmdOK_Click();
        accept();
    });
}

QButtonGroup* frmModParams::makeOptions(QWidget* owner, const QStringList& captions,
                                        const QStringList& names) {
    auto* group = new QButtonGroup(owner);
    auto* col = new QVBoxLayout(owner);
    for (int i = 0; i < captions.size(); ++i) {
        auto* b = new QRadioButton(captions[i], owner);
        b->setObjectName(names[i]);
        group->addButton(b, i);
        col->addWidget(b);
    }
    col->addStretch();
    return group;
}

frmModParams::SliderBox frmModParams::makeSlider(const QString& caption, const QString& name,
                                                 int last, int page) {
    SliderBox box;
    box.frame = new QGroupBox(caption, this);
    keepPlaceWhenHidden(box.frame);
    auto* row = new QHBoxLayout(box.frame);
    box.slider = new QSlider(Qt::Vertical, box.frame);
    box.slider->setObjectName("sld" + name);
    box.slider->setRange(0, last);
    box.slider->setSingleStep(1);
    box.slider->setPageStep(page);
    // Position 0 at the top, and the Up key moves the thumb up.
    box.slider->setInvertedAppearance(true);
    box.slider->setInvertedControls(true);
    box.slider->setTickPosition(QSlider::TicksBothSides);
    box.slider->setTickInterval(page);
    box.slider->setMinimumHeight(140);
    box.value = new QLabel(box.frame);
    box.value->setObjectName("lbl" + name + "Val");
    box.value->setMinimumWidth(QFontMetrics(font()).horizontalAdvance("00.0") + 6);
    box.value->setAlignment(Qt::AlignCenter);
    QFont f = box.value->font();
    f.setBold(true);
    box.value->setFont(f);
    row->addWidget(box.slider, 0, Qt::AlignHCenter);
    row->addWidget(box.value, 0, Qt::AlignVCenter);
    return box;
}

void frmModParams::refresh() {
    refreshing_ = true;
    const ModParamsForm::View& v = form_.view();
    using Mode = ModParamsForm::TableMode;
    check(tableOptions_, v.tableMode == Mode::Table2D ? 0 : v.tableMode == Mode::Table3D ? 1 : 2);
    check(mapOptions_, v.mapSensor);
    using Cyl = ModParamsForm::Cylinders;
    check(cylOptions_, v.cylinders == Cyl::Four ? 0 : v.cylinders == Cyl::Six ? 1 : 2);
    fraMAPSensor->setVisible(v.mapSensorVisible);
    trig_.frame->setVisible(v.trigTimingVisible);
    start_.frame->setVisible(v.startRtdVisible);
    chkTimingDisable->setChecked(v.timingDisable);
    chkStartRtd->setChecked(v.startRtd);
    auto show = [](SliderBox& b, const ModParamsForm::Slider& s) {
        b.slider->setValue(s.position);
        b.value->setText(s.label);
    };
    show(trig_, v.trigTiming);
    show(start_, v.startRetard);
    show(crank_, v.crankPulses);
    show(comp_, v.retardComp);
    refreshing_ = false;
}

// ---- GPIO parameters ----

frmGPIOParams::frmGPIOParams(AppContext& ctx, QWidget* parent) : FormDialog(parent), form_(ctx) {
    setObjectName("frmGPIOParams");
    setWindowTitle("Velo IGX - Edit General Purpose Input/Ouput Parameters");
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    struct Group {
        const char* caption;
        const char* name;
        QStringList options, optionNames;
    };
    auto makeGroup = [this](const Group& g, QButtonGroup*& buttons) {
        auto* frame = new QGroupBox(g.caption, this);
        frame->setObjectName(g.name);
        auto* grid = new QGridLayout(frame);
        buttons = new QButtonGroup(frame);
        for (int i = 0; i < g.options.size(); ++i) {
            auto* b = new QRadioButton(g.options[i], frame);
            b->setObjectName(g.optionNames[i]);
            buttons->addButton(b, i);
            grid->addWidget(b, i, 0);
        }
        grid->setColumnMinimumWidth(1, 16);
        return std::pair{frame, grid};
    };
    auto addBox = [this](QGroupBox* frame, QGridLayout* grid, int row, const QString& label,
                         Box box, const QString& name) {
        auto* l = new QLabel(label, frame);
        l->setObjectName("lbl" + name);
        QLineEdit* e = makeBox(frame, box, "txt" + name);
        l->setBuddy(e);
        grid->addWidget(l, row, 2);
        grid->addWidget(e, row, 3);
    };

    auto [f1, g1] = makeGroup({"General Purpose Input 1",
                               "fraGPI1Params",
                               {"Off", "Analog Retard", "Digital Retard"},
                               {"optGPI1Disable", "optGPI1AnalogRtd", "optGPI1DigitalRtd"}},
                              gpi1_);
    addBox(f1, g1, 0, "Retard (Deg)", Box::GPI1Rtd, "GPI1Rtd");
    auto [f2, g2] = makeGroup({"General Purpose Input 2",
                               "fraGPIO2Params",
                               {"Off", "Digital Retard"},
                               {"optGPI2Disable", "optGPI2DigitalRtd"}},
                              gpi2_);
    addBox(f2, g2, 0, "Retard (Deg)", Box::GPI2Rtd, "GPI2Rtd");
    auto [f3, g3] = makeGroup({"General Purpose Input/Output 3",
                               "frmGPIO3Params",
                               {"Off", "Digital Retard", "RPM Window Switch"},
                               {"optGPIO3Disable", "optGPIO3DigitalRtd", "optGPIO3RPMSwitch"}},
                              gpio3_);
    addBox(f3, g3, 0, "Retard (Deg)", Box::GPIO3Rtd, "GPIO3Rtd");
    addBox(f3, g3, 1, "Minimum RPM", Box::GPIO3MinRPM, "GPIO3MinRPM");
    addBox(f3, g3, 2, "Maximum RPM", Box::GPIO3MaxRPM, "GPIO3MaxRPM");

    auto* col = new QVBoxLayout(this);
    col->addWidget(f1);
    col->addWidget(f2);
    col->addWidget(f3);
    auto* okRow = new QHBoxLayout;
    QPushButton* ok = makeOkButton(this, okRow);
    col->addLayout(okRow);

    // Created state: every group on "Digital Retard".
    check(gpi1_, GPIOParamsForm::GPI1DigitalRtd);
    check(gpi2_, GPIOParamsForm::GPI2DigitalRtd);
    check(gpio3_, GPIOParamsForm::GPIO3DigitalRtd);
    auto onChoose = [this](QButtonGroup* group, void (GPIOParamsForm::*handler)(int)) {
        connect(group, &QButtonGroup::idToggled, this, [this, handler](int id, bool on) {
            if (refreshing_ || !on) return;
            (form_.*handler)(id);
            refresh();
        });
    };
    onChoose(gpi1_, &GPIOParamsForm::optGPI1_Click);
    onChoose(gpi2_, &GPIOParamsForm::optGPI2_Click);
    onChoose(gpio3_, &GPIOParamsForm::optGPIO3_Click);
    connect(ok, &QPushButton::clicked, this, [this] { cmdOK_Click(); });

    form_.Form_Load();
    refresh();
}

QLineEdit* frmGPIOParams::makeBox(QWidget* owner, Box box, const QString& name) {
    auto* e = new QLineEdit(owner);
    e->setObjectName(name);
    e->setMaximumWidth(QFontMetrics(font()).horizontalAdvance("000000") + 16);
    e->setAlignment(Qt::AlignRight);
    watchBox(e);
    boxes_[e] = box;
    return e;
}

void frmGPIOParams::boxLeft(QLineEdit* edit) {
    form_.validate(boxes_.at(edit), edit->text());
    refresh();
}

void frmGPIOParams::cmdOK_Click() {
    // Enter in a box comes here with the box still focused: it is checked first.
    checkFocusedBox();
    accept();
}

void frmGPIOParams::refresh() {
    refreshing_ = true;
    const GPIOParamsForm::View& v = form_.view();
    check(gpi1_, v.gpi1Mode);
    check(gpi2_, v.gpi2Mode);
    check(gpio3_, v.gpio3Mode);
    for (auto& [edit, box] : boxes_) {
        const GPIOParamsForm::TextBox& b = form_.box(box);
        if (edit->text() != b.text) edit->setText(b.text);
        edit->setEnabled(b.enabled);
    }
    refreshing_ = false;
}

void showModParamsDialog(AppContext& ctx, QWidget* parent) {
    frmModParams dialog(ctx, parent);
    dialog.execCentred();
}

void showGPIOParamsDialog(AppContext& ctx, QWidget* parent) {
    frmGPIOParams dialog(ctx, parent);
    dialog.execCentred();
}

}  // namespace velo
