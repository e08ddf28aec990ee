#pragma once
// Sections as CSV text: one header line "section,distance,x,y,value", then a
// line a sample, section by section (x plane, y plane, line), with "." as
// the decimal point whatever the locale and each number written so that it
// reads back as the same double; a gap leaves its value empty.

#include <string>

#include "objects/sections.h"

std::string SectionsCsv(const Sections& sections);
