#pragma once
// The decimal separator that number conversion uses: the regional decimal
// symbol when it is a single character, "." otherwise. Read once and again
// whenever the locale is announced to have changed.

#include "formats/numbertext.h"

// The current separator.
DecimalSeparator RegionalDecimalSeparator();

// Reads the regional setting again (on a locale change).
void RereadDecimalSeparator();
