#pragma once
// Text a user types, and the numbers of generated point-grid files: numbers of
// every form the number rules know (signs, lone separators, exponents with
// and without digits, the exponent limit of 500, values beyond the double
// range, denormals, hundreds of digits), the decimal comma, quotes,
// multi-byte characters, very long text and nothing at all. All UTF-8.

#include <string>

#include "random.h"

// A number inside [-1, 1] in one of the usual forms of a decimal fraction.
std::string PlainNumberText(SoakRandom& random);

// A number of any form: mostly a plain one, often one of the edge cases.
std::string NumberText(SoakRandom& random);

// What a point-table cell may be given: a number of any form, or words,
// separators, quotes, several numbers, multi-byte text, a very long text or
// an empty one.
std::string CellText(SoakRandom& random);

// What the grey-level box may be given: the spinner's positions and what
// lies around and beyond them.
std::string LevelText(SoakRandom& random);
