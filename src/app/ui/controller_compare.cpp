#include "app/ui/controller_compare.h"

#include "app/ui/main_window.h"
#include "table/table_commands.h"
#include "table/ui/compare_dialog.h"

#include <QDir>

namespace velo {

void compareWithController(MainWindow& window) {
    const auto c = compareBufferWithController(window.context(), window.link());
    if (!c) return;
    const ImageDiff diff = compareImages(c->buffer, c->file);
    window.statusLine().setControllerCheck(controllerSummary(diff));
    CompareSides s;
    s.a = c->buffer;
    s.b = c->file;
    s.labelB = "Controller";
    s.title = kCompareControllerTitle;
    s.intro =
        QString("The buffer, as Save File would write it, compared with the controller on %1.")
            .arg(QDir::toNativeSeparators(c->path));
    TableEditor& editor = window.tableEditor();
    s.unit = editor.pressureUnit();
    const TableSession* open = editor.session();
    showCompareDialog(s, open && open->hasEdits(), &window);
}

}  // namespace velo
