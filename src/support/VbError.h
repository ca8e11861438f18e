// A trapped failure: the classic runtime error number and text that support staff recognise.
#pragma once

#include <QString>
#include <exception>

namespace velmaro {

struct VbError : std::exception {
  VbError(int n, QString text) : number(n), description(std::move(text)) {}
  const char* what() const noexcept override { return "VbError"; }

  int number;
  QString description;
};

// The failures this program raises, by their well-known numbers.
namespace err {
VbError invalidCall();          // 5
VbError overflow();             // 6
VbError outOfMemory();          // 7
VbError subscriptOutOfRange();  // 9
VbError typeMismatch();         // 13
VbError fileNotFound();         // 53
VbError deviceIo();             // 57, a read the system refused
VbError inputPastEnd();         // 62
VbError pathFileAccess();       // 75
VbError objectNotSet();         // 91
VbError indexOutOfBounds();     // 35600, list rows
VbError elementNotFound();      // 35601, list columns
VbError addressInUse();         // 10048, socket bind
VbError socketError(int number, const QString& text);
}  // namespace err

}  // namespace velmaro
