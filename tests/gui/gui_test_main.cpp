// One application for every suite of the desktop program's tests.
#include <QApplication>

#include "gui_suites.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  int failed = 0;
  for (const auto& [name, run] : gui_suites::All()) failed += run(argc, argv) != 0;
  return failed != 0 ? 1 : 0;
}
