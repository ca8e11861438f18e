#include "form/ControlDefaults.h"

namespace velmaro {

QString DefaultText(TextBox box) {
  switch (box) {
    case TextBox::IP0:
      return QStringLiteral("192");
    case TextBox::IP1:
      return QStringLiteral("168");
    case TextBox::IP2:
      return QStringLiteral("0");
    case TextBox::IPScan:
      return QStringLiteral("1-254");
    case TextBox::HTTPPort:
      return QStringLiteral("80");
    case TextBox::PingTO:
      return QStringLiteral("500");
  }
  return {};
}

int MaxLength(TextBox box) {
  switch (box) {
    case TextBox::IP0:
    case TextBox::IP1:
    case TextBox::IP2:
      return 3;
    case TextBox::IPScan:
      return 7;
    case TextBox::HTTPPort:
      return 5;
    case TextBox::PingTO:
      return 0;
  }
  return 0;
}

int DefaultValue(CheckBox box) {
  switch (box) {
    case CheckBox::UpdateOnly:
    case CheckBox::ParseARP:
    case CheckBox::ParseNVIDs:
      return 1;
    case CheckBox::ParseGenIDs:
      return 0;
  }
  return 0;
}

}  // namespace velmaro
