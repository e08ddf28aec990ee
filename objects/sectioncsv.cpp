#include "objects/sectioncsv.h"

#include <charconv>

namespace {

// Never in the locale's way. Values as the shortest text that reads back as
// the same double; places and distances to 12 digits, which keeps a
// micrometre of a map in metres and drops the last bits that arithmetic
// leaves on a cell's whole row number (3.0000000000000004).
void Append(std::string& out, double value, bool place) {
  char text[32];
  const auto end =
      place ? std::to_chars(text, text + sizeof text, value, std::chars_format::general, 12).ptr
            : std::to_chars(text, text + sizeof text, value).ptr;
  out.append(text, end);
}

void AppendSection(std::string& out, const Section& section) {
  for (const SectionSample& sample : section.samples) {
    out += SectionName(section.kind);
    for (const double v : {sample.distance, sample.x, sample.y}) {
      out += ',';
      Append(out, v, true);
    }
    out += ',';
    if (!sample.Gap())
      Append(out, sample.value, false);
    out += '\n';
  }
}

}  // namespace

std::string SectionsCsv(const Sections& sections) {
  std::string out = "section,distance,x,y,value\n";
  for (const Section* section : {&sections.xPlane, &sections.yPlane, &sections.line})
    AppendSection(out, *section);
  return out;
}
