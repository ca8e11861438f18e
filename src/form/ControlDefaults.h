// The window's inputs as they stand before the load step: the design's box texts, the most
// each box holds, and the check states, which every front end starts from.
#pragma once

#include <QString>
#include <array>

#include "form/Controls.h"

namespace velmaro {

inline constexpr std::array kTextBoxes{TextBox::IP0,    TextBox::IP1,      TextBox::IP2,
                                       TextBox::IPScan, TextBox::HTTPPort, TextBox::PingTO};
inline constexpr std::array kCheckBoxes{CheckBox::UpdateOnly, CheckBox::ParseARP,
                                        CheckBox::ParseNVIDs, CheckBox::ParseGenIDs};

QString DefaultText(TextBox box);
// The most characters the box takes; 0 when it takes any number.
int MaxLength(TextBox box);
int DefaultValue(CheckBox box);  // 1 checked, 0 unchecked

}  // namespace velmaro
