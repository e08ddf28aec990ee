#pragma once
// The exception kinds of Cubiscope. A handler that meets a fault throws one of
// these; the guard around event dispatch (app/application.h) shows its message
// after the handler's own clean-up has run. cAbort is the silent kind.

#include <stdexcept>
#include <string>

#include <QString>

class cError : public std::runtime_error {
 public:
  // message: UTF-8 text shown to the user as it stands (the display adds the
  // closing period where needed).
  explicit cError(const std::string& message) : std::runtime_error(message) {}
  explicit cError(const QString& message) : std::runtime_error(message.toStdString()) {}
  QString Message() const { return QString::fromUtf8(what()); }
};

// Ends a handler without any message.
class cAbort : public cError {
 public:
  cAbort() : cError(std::string()) {}
};

// The three floating-point faults of our own arithmetic (fpcheck.h).
class cZeroDivide : public cError {
 public:
  cZeroDivide() : cError(std::string("0 による浮動小数点数除算")) {}
};
class cInvalidOp : public cError {
 public:
  cInvalidOp() : cError(std::string("不正な浮動小数点数演算命令")) {}
};
class cOverflow : public cError {
 public:
  cOverflow() : cError(std::string("浮動小数点数のオーバーフロー")) {}
};

// A file that cannot be opened; path is shown in full.
class cFileOpenError : public cError {
 public:
  explicit cFileOpenError(const QString& path)
      : cError(QStringLiteral("ファイル %1 は開けません").arg(path)) {}
};

// A file that cannot be written; path is shown in full, reason as the system
// gives it.
class cFileWriteError : public cError {
 public:
  cFileWriteError(const QString& path, const QString& reason)
      : cError(QStringLiteral("ファイル %1 に書き込めません: %2").arg(path, reason)) {}
};

// A file that ends before its structure does.
class cReadError : public cError {
 public:
  cReadError() : cError(std::string("ストリームからの読み込みエラー")) {}
};

// A file that is not a bitmap this program can read.
class cInvalidGraphic : public cError {
 public:
  cInvalidGraphic() : cError(std::string("ビットマップイメージが不正です")) {}
};

// An item asked for beyond the end of a list (index is the one asked for).
class cListIndexError : public cError {
 public:
  explicit cListIndexError(int index)
      : cError(QStringLiteral("リストのインデックスが範囲を超えています (%1)").arg(index)) {}
};

// A data array that cannot be allocated, or whose size does not fit in memory.
class cOutOfMemory : public cError {
 public:
  cOutOfMemory() : cError(std::string("メモリが不足しています")) {}
};
