#include "app/ui/first_screen_hint.h"

#include <QDir>

namespace velo {

FirstScreenHint::FirstScreenHint(const QString& download, const QString& open,
                                 const QString& demoFolder, QWidget* parent)
    : QLabel(parent) {
    setObjectName("lblFirstScreenHint");
    setAlignment(Qt::AlignCenter);
    setWordWrap(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    setMaximumWidth(fontMetrics().averageCharWidth() * 80);
    setStyleSheet("QLabel { color: palette(dark); }");
    const auto esc = [](const QString& t) { return t.toHtmlEscaped(); };
    setText(QString("<p style='font-size:large'><b>The data buffer is empty.</b></p>"
                    "<p><b>%1</b> reads the controller's tune.</p>"
                    "<p><b>%2</b> opens a tune saved in a <code>.dat</code> file.</p>"
                    "<p>Two demo tunes to try, <code>demo_2d.dat</code> and "
                    "<code>demo_3d.dat</code>, are in<br><code>%3</code></p>")
                .arg(esc(download), esc(open), esc(QDir::toNativeSeparators(demoFolder))));
}

}  // namespace velo
