#include "app/colourrangetext.h"

#include <cmath>

#include <QStringList>

namespace {

// One end: its number and whether it carried "%"; nothing when it is no
// finite number.
struct End {
  double number = 0.0;
  bool percent = false;
  bool ok = false;
};

End EndOf(QString text) {
  End end;
  text = text.trimmed();
  if (text.endsWith(QLatin1Char('%'))) {
    end.percent = true;
    text.chop(1);
    text = text.trimmed();
  }
  // QString::toDouble reads "." as the decimal point in every locale.
  end.number = text.toDouble(&end.ok);
  end.ok = end.ok && std::isfinite(end.number);
  return end;
}

}  // namespace

std::variant<ColourRange, QString> ReadColourRange(const QString& text) {
  if (text.trimmed().compare(QLatin1String("full"), Qt::CaseInsensitive) == 0)
    return ColourRange{};
  const QStringList items = text.split(QLatin1Char(','));
  const End low = items.size() == 2 ? EndOf(items[0]) : End();
  const End high = items.size() == 2 ? EndOf(items[1]) : End();
  if (!low.ok || !high.ok)
    return QStringLiteral("%1 is not LOW,HIGH, P1%,P2% or full.").arg(text);
  if (low.percent != high.percent)
    return QStringLiteral("%1 mixes a percentile with a value: give both ends with % or neither.")
        .arg(text);
  if (low.percent && (low.number < 0.0 || high.number > 100.0))
    return QStringLiteral("%1 holds a percentile outside 0 to 100.").arg(text);
  if (!(low.number < high.number))
    return QStringLiteral("%1 does not rise: the low end must be below the high end.").arg(text);
  ColourRange range;
  range.kind = low.percent ? ColourRange::Kind::kPercentiles : ColourRange::Kind::kValues;
  range.low = low.number;
  range.high = high.number;
  return range;
}

QString ColourRangeText(const ColourRange& range) {
  const auto number = [](double v) { return QString::number(v, 'g', 15); };
  switch (range.kind) {
    case ColourRange::Kind::kFull:
      return QStringLiteral("full");
    case ColourRange::Kind::kValues:
      return number(range.low) + QLatin1Char(',') + number(range.high);
    case ColourRange::Kind::kPercentiles:
      return number(range.low) + QStringLiteral("%,") + number(range.high) + QLatin1Char('%');
  }
  return QString();
}
