#include "input/decimalsymbol.h"

#include <QLocale>

namespace {
DecimalSeparator& Separator() {
  static DecimalSeparator separator = DecimalSeparator::FromSymbol(QLocale().decimalPoint());
  return separator;
}
}  // namespace

DecimalSeparator RegionalDecimalSeparator() {
  return Separator();
}

void RereadDecimalSeparator() {
  Separator() = DecimalSeparator::FromSymbol(QLocale().decimalPoint());
}
