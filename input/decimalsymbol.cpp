#include "input/decimalsymbol.h"

#include <QLocale>

namespace {
QChar ReadSeparator() {
  const QString symbol = QLocale().decimalPoint();
  return symbol.size() == 1 ? symbol.front() : QLatin1Char('.');
}
QChar& Separator() {
  static QChar separator = ReadSeparator();
  return separator;
}
}  // namespace

QChar DecimalSeparator() {
  return Separator();
}

void RereadDecimalSeparator() {
  Separator() = ReadSeparator();
}
