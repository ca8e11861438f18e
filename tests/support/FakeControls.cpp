#include "support/FakeControls.h"

namespace velmaro::test {

FakeControls::FakeControls()
    : texts{{TextBox::IP0, QStringLiteral("192")},      {TextBox::IP1, QStringLiteral("168")},
            {TextBox::IP2, QStringLiteral("0")},        {TextBox::IPScan, QStringLiteral("1-254")},
            {TextBox::HTTPPort, QStringLiteral("80")},  {TextBox::PingTO, QStringLiteral("500")}},
      checks{{CheckBox::UpdateOnly, 1}, {CheckBox::ParseARP, 1}, {CheckBox::ParseNVIDs, 1},
             {CheckBox::ParseGenIDs, 0}} {}

}  // namespace velmaro::test
