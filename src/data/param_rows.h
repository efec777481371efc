#pragma once

#include <QString>
#include <QVector>

namespace velo {

class ConfigImage;

// One parameter as the dialogs show it: their label and their text with its unit. Where
// the dialog's text cannot tell the stored byte (a retard in whole degrees, a value the
// dialog clamps, a mode byte with bits it ignores) the stored value follows in brackets,
// so two rows with the same text stand for the same byte.
struct ParamRow {
    QString name;
    QString text;
    int offset = 0;  // the image byte it is decoded from
};

// Every parameter of a decoded image, module parameters first, in the dialogs' order.
QVector<ParamRow> parameterRows(const ConfigImage& image);

}  // namespace velo
