#pragma once
#include <QObject>
namespace velmaro {
class ClassPingBase : public QObject {
  Q_OBJECT
};
}  // namespace velmaro
