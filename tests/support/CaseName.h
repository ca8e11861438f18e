// A readable gtest name for each row of a case table: the row's label with every run of
// other characters folded into one "_", and its index, which keeps two alike labels apart.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace velmaro::test {

// For any case type with a `const char* label`; pass as INSTANTIATE_TEST_SUITE_P's last
// argument: caseName<MyCase>.
template <typename Case>
std::string caseName(const ::testing::TestParamInfo<Case>& info) {
  std::string name;
  for (const char* c = info.param.label; *c; ++c) {
    if (std::isalnum(static_cast<unsigned char>(*c)))
      name += *c;
    else if (!name.empty() && name.back() != '_')
      name += '_';
  }
  return name + "_" + std::to_string(info.index);
}

}  // namespace velmaro::test
