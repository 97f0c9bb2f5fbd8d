#pragma once
// Each suite of the desktop program's tests enters itself here; gui_test_main runs them all in
// one application, in the order of their names.
#include <QTest>
#include <map>
#include <string>

namespace gui_suites {

using SuiteRunner = int (*)(int argc, char** argv);

inline std::map<std::string, SuiteRunner>& All() {
  static std::map<std::string, SuiteRunner> suites;
  return suites;
}

template <typename Suite>
int RunSuite(int argc, char** argv) {
  Suite suite;
  return QTest::qExec(&suite, argc, argv);
}

// At namespace scope: `[[maybe_unused]] const bool registered = gui_suites::Register<MySuite>("name");`
template <typename Suite>
bool Register(const std::string& name) {
  All()[name] = &RunSuite<Suite>;
  return true;
}

}  // namespace gui_suites
