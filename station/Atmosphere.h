#pragma once

// Standard atmosphere as a 15-segment piecewise-linear table: within a segment the altitude is
// A - p x B.

// Altitude [m] of the pressure p [mbar]. The lower pressure bound of a segment belongs to it.
double altitudeFromPressure(double p);

// Pressure [mbar] at the altitude h [m]. The upper altitude bound of a segment belongs to it.
double pressureFromAltitude(double h);
