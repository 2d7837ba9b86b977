#pragma once
// The PV loop measured as a picture: the outline drawn into 500 x 500 pixels,
// everything outside it filled black from the top right corner, and the white
// pixels left inside counted.

#include <vector>

#include "analysis/analyse_capture.h"

namespace corvane::analysis {

// Lights the pixels of the line from A to B: A, never B; a zero-length line
// lights nothing. Rounding ties take the smaller coordinate, so a line and its
// reverse light the same pixels apart from their ends. Pixels outside are skipped.
void DrawLine(PvPicture& picture, int xA, int yA, int xB, int yB);

// Pixels of the picture are 0 (black) or 1 (white).

// Turns every white pixel 4-connected to (x, y) through white pixels black.
void FloodFillBlack(PvPicture& picture, int x, int y);

long CountWhite(const PvPicture& picture);

// Work per cycle in microjoules: each pixel stands for a five-hundredth of the
// widened volume range (mm^3) times a five-hundredth of the pressure range (kPa).
double LoopWork(double volumeRange, long whiteCount, double pressureRange);

struct LoopArea {
    double workMicroJ = 0.0;
    long whiteCount = 0;
};
// Draws the loop (volume, pressure points of one cycle, in cycle order) closed
// into a fresh white picture within bounds widened by a tenth on each side,
// fills the outside and counts the inside. The work is in microjoules; it is 0,
// and the picture stays white, when the loop has no extent.
LoopArea MeasureLoop(const std::vector<Point>& loop, PvPicture& picture);

}  // namespace corvane::analysis
