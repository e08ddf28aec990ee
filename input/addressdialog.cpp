#include "input/addressdialog.h"

#include <utility>

#include <QInputDialog>
#include <QLineEdit>

#include "base/errors.h"
#include "formats/webaddress.h"

namespace {
TAddressDialog::Asker& AskerSlot() {
  static TAddressDialog::Asker asker;
  return asker;
}
}  // namespace

TAddressDialog::Asker TAddressDialog::SetAsker(Asker asker) {
  return std::exchange(AskerSlot(), std::move(asker));
}

std::optional<QString> TAddressDialog::Execute(QWidget* owner) {
  std::optional<QString> given;
  if (AskerSlot()) {
    given = AskerSlot()(*this);
  } else {
    bool ok = false;
    const QString text =
        QInputDialog::getText(owner, QStringLiteral("Open URL"),
                              QStringLiteral("The http:// or https:// address of a GeoTIFF:"),
                              QLineEdit::Normal, Address, &ok);
    if (ok)
      given = text;
  }
  if (!given)
    return std::nullopt;
  const QString address = given->trimmed();
  if (address.isEmpty())
    return std::nullopt;
  Address = address;
  if (!IsWebAddress(address.toStdString()))
    throw cError(
        QStringLiteral("http:// か https:// で始まるアドレスだけを開けます: %1").arg(address));
  return address;
}
