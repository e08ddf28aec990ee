#include "objects/sectioncsv.h"

#include <charconv>

namespace {

// The shortest text that reads back as the same double, never in the
// locale's way.
void Append(std::string& out, double value) {
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text, value).ptr;
  out.append(text, end);
}

void AppendSection(std::string& out, const Section& section) {
  for (const SectionSample& sample : section.samples) {
    out += SectionName(section.kind);
    for (const double v : {sample.distance, sample.x, sample.y}) {
      out += ',';
      Append(out, v);
    }
    out += ',';
    if (!sample.Gap())
      Append(out, sample.value);
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
