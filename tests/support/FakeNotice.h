// A user-notice stand-in: records the boxes and documents, and can run code while a box
// is "open", as events would.
#pragma once

#include <QStringList>
#include <functional>

#include "support/UserNotice.h"

namespace velmaro::test {

class FakeNotice final : public UserNotice {
 public:
  void showInformation(const QString& text) override {
    boxes.append(text);
    if (whileOpen) whileOpen();
  }
  bool openDocument(const QString& path) override {
    documents.append(path);
    return true;
  }

  QStringList boxes;
  QStringList documents;
  std::function<void()> whileOpen;
};

}  // namespace velmaro::test
