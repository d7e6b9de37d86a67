// The one way a run ends on a failure that no step foresaw, for both back-ends' main.
#include "startup/installer_run.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "support/fake_platform.h"

namespace tunovar {
namespace {

TEST(RunReportingUnexpected, AFailureNoStepCaughtIsSaidAndEndsWithExitCode3) {
  struct Row {
    const char* name;
    std::function<int()> run;
    int code;
    const char* said;  // nullptr: nothing
  };
  const Row rows[] = {
      {"a run that ends", [] { return kExitIncomplete; }, kExitIncomplete, nullptr},
      {"a standard exception", []() -> int { throw std::runtime_error("out of room"); }, kExitFatalFile,
       "The installer stopped on an unexpected failure: out of room"},
      {"anything else thrown", []() -> int { throw 7; }, kExitFatalFile,
       "The installer stopped on an unexpected failure: a failure of no known kind"},
  };
  for (const Row& r : rows) {
    testing::FakeConsole console;
    EXPECT_EQ(RunReportingUnexpected(console, r.run), r.code) << r.name;
    const std::vector<std::string> said = r.said == nullptr ? std::vector<std::string>{}
                                                            : std::vector<std::string>{r.said};
    EXPECT_EQ(console.errors, said) << r.name;
    EXPECT_EQ(console.log, said) << r.name;
  }
}

}  // namespace
}  // namespace tunovar
