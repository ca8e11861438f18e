// What the program shows the user outside the window itself: a modal information box
// and a document opened in the desktop's viewer. The window implements it; tests and the
// command line front end have their own.
#pragma once

#include <QString>

namespace velmaro {

class UserNotice {
 public:
  virtual ~UserNotice() = default;
  // Modal box with an information icon, an OK button and the application title.
  // Window events keep flowing while it is open.
  virtual void showInformation(const QString& text) = 0;
  // Open a file with the viewer the desktop associates with its type; do not wait.
  virtual bool openDocument(const QString& path) = 0;
};

}  // namespace velmaro
