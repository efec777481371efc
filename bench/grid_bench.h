#pragma once

// Prints the 3D grid's refill time against a plain repaint; needs a QApplication.
void runGridBench();
