#include "support/VbError.h"

namespace velmaro::err {

VbError invalidCall() { return {5, QStringLiteral("Invalid procedure call or argument")}; }
VbError overflow() { return {6, QStringLiteral("Overflow")}; }
VbError outOfMemory() { return {7, QStringLiteral("Out of memory")}; }
VbError subscriptOutOfRange() { return {9, QStringLiteral("Subscript out of range")}; }
VbError typeMismatch() { return {13, QStringLiteral("Type mismatch")}; }
VbError fileNotFound() { return {53, QStringLiteral("File not found")}; }
VbError deviceIo() { return {57, QStringLiteral("Device I/O error")}; }
VbError inputPastEnd() { return {62, QStringLiteral("Input past end of file")}; }
VbError pathFileAccess() { return {75, QStringLiteral("Path/File access error")}; }
VbError objectNotSet() {
  return {91, QStringLiteral("Object variable or With block variable not set")};
}
VbError indexOutOfBounds() { return {35600, QStringLiteral("Index out of bounds")}; }
VbError elementNotFound() { return {35601, QStringLiteral("Element not found")}; }
VbError addressInUse() { return {10048, QStringLiteral("Address in use")}; }
VbError socketError(int number, const QString& text) { return {number, text}; }

}  // namespace velmaro::err
