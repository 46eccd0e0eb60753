// EXPECT_HOST_ERROR(statement, number, texts...): `statement` throws a host::HostError (or an
// error derived from it) with the error number `number` and a message that contains every text.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/host_error.hpp"

namespace vardex::test {

template <class Action>
::testing::AssertionResult ThrowsHostError(Action&& action, int number,
                                           const std::vector<std::string>& texts) {
  try {
    action();
  } catch (const host::HostError& e) {
    const std::string what = e.what();
    bool found = e.Number() == number;
    for (const std::string& text : texts) found = found && what.find(text) != what.npos;
    if (found) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "error " << e.Number() << " \"" << what << "\"";
  }
  return ::testing::AssertionFailure() << "no error";
}

}  // namespace vardex::test

#define EXPECT_HOST_ERROR(statement, number, ...) \
  EXPECT_TRUE(::vardex::test::ThrowsHostError([&] { statement; }, number, {__VA_ARGS__}))
