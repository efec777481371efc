#pragma once

// 3D chart benchmark: a plain-drag move (value change and repaint) and a rotation frame
// at 1280 x 900 offscreen, against a plain repaint of a widget of the same size. With
// VELO_CHART_PNG set to a folder it also writes each sensor's chart there as PNGs and a
// landscape PDF page. Non-zero on failure.
int runChart3DBench();
