#pragma once
// TAddressDialog: asks for the web address of a raster ("Open URL…" in the
// picture's context menu), apart from the file dialog, which stays for
// files. It keeps the last address given, to be mended and given again.

#include <functional>
#include <optional>

#include <QString>

class QWidget;

class TAddressDialog {
 public:
  // Stands in for the modal step (tests): receives the dialog as it would
  // open, returns the text given or nothing for cancel.
  using Asker = std::function<std::optional<QString>(const TAddressDialog&)>;

  // Shows the dialog modally over owner. The address given, trimmed, or
  // nothing on cancel. Throws cError when it is not an http:// or https://
  // address (IsWebAddress), naming it.
  std::optional<QString> Execute(QWidget* owner);

  // Replaces the modal step for every dialog until reset with an empty one;
  // returns the previous asker.
  static Asker SetAsker(Asker asker);

  QString Address;  // the last address given
};
