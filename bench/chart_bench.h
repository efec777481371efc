#pragma once

// 2D chart benchmark: a drag move (value change and repaint) at 1280 x 900 offscreen,
// against a plain repaint of a widget of the same size. Runs before the link benchmark
// in the same QApplication. With VELO_CHART_PNG set to a folder it also writes the
// chart there as PNGs, screen-sized and printer-sized, and as a landscape PDF page.
// Non-zero on failure.
int runChartBench();
