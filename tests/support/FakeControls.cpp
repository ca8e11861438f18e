#include "support/FakeControls.h"

#include "form/ControlDefaults.h"

namespace velmaro::test {

FakeControls::FakeControls() {
  for (TextBox box : kTextBoxes) texts[box] = DefaultText(box);
  for (CheckBox box : kCheckBoxes) checks[box] = DefaultValue(box);
}

}  // namespace velmaro::test
