#pragma once

#include <string>

// The day the program was built, as "Mmm dd yyyy" (for example "Feb 16 2005").
std::string buildDate();
