// Qt Test classes of one test program run in one QApplication: each file registers its class
// with VARDEX_QT_TEST, and the shared main (qt_tests_main.cpp) runs them in turn.
#pragma once

#include <QtTest>
#include <functional>
#include <vector>

namespace vardex::test {

/// The registered test classes, each as a function that runs it under QTest::qExec.
inline std::vector<std::function<int(int, char**)>>& QtTestClasses() {
  static std::vector<std::function<int(int, char**)>> classes;
  return classes;
}

template <class Test>
struct QtTestRegistration {
  QtTestRegistration() {
    QtTestClasses().push_back([](int argc, char** argv) {
      Test test;
      return QTest::qExec(&test, argc, argv);
    });
  }
};

}  // namespace vardex::test

#define VARDEX_QT_TEST(Test) \
  static const vardex::test::QtTestRegistration<Test> Test##Registration {}
