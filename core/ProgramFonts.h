#pragma once

// Makes the program's font families (Arial, MS Sans Serif, Courier New) find their metric
// equivalents on a machine that lacks them, and gives every window the proportional face the
// forms were laid out for, so no label grows wider than its place. Call before the first
// window is created.
void installProgramFonts();
