#pragma once
// Sections as CSV text: one header line "section,distance,x,y,value", then a
// line a sample, section by section (x plane, y plane, line), with "." as
// the decimal point whatever the locale, values written so that they read
// back as the same double and places and distances to 12 digits; a gap
// leaves its value empty.

#include <string>

#include "objects/sections.h"

std::string SectionsCsv(const Sections& sections);
