#pragma once

#include <QLabel>

namespace velo {

// The empty window's word on where to start: the two commands that fill the buffer, by
// their menu captions, and where the demo tunes are.
class FirstScreenHint : public QLabel {
  public:
    // `download` and `open` as "Menu > Command"; `demoFolder` where demo_*.dat lie.
    FirstScreenHint(const QString& download, const QString& open, const QString& demoFolder,
                    QWidget* parent);
};

}  // namespace velo
