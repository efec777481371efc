#pragma once

#include "bench_stats.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>
#include <cstdio>
#include <utility>
#include <vector>

// A mouse event straight to the widget, as the window system would deliver it.
inline void send(QWidget& w, QEvent::Type type, QPoint at, Qt::MouseButton button,
                 Qt::MouseButtons buttons) {
    QMouseEvent e(type, at, w.mapToGlobal(at), button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &e);
}

// Each measure with its ratio to the plain repaint of the same run: median to median,
// worst to worst. The 99th percentile shows how much of the worst is the shared
// machine's scheduling.
inline void printAgainstPlainRepaint(const std::vector<std::pair<const char*, Stats>>& rows,
                                     Stats plainRepaint) {
    std::printf("%-30s %9s %8s %9s %12s %11s\n", "", "median ms", "p99 ms", "worst ms",
                "median ratio", "worst ratio");
    for (const auto& [what, s] : rows)
        std::printf("%-30s %9.4f %8.4f %9.4f %12.2f %11.2f\n", what, s.median, s.p99, s.worst,
                    s.median / plainRepaint.median, s.worst / plainRepaint.worst);
    std::printf("%-30s %9.4f %8.4f %9.4f %12.2f %11.2f\n\n", "plain widget repaint",
                plainRepaint.median, plainRepaint.p99, plainRepaint.worst, 1.0, 1.0);
}
