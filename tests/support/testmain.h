#pragma once
// One test executable per subsystem: each test class registers itself with
// ASHIMEMO_TEST(Class) and the shared main runs every registered class.
#include <QList>
#include <QObject>
#include <functional>

namespace testing {
struct Registry {
  static QList<std::pair<const char*, std::function<QObject*()>>>& classes();
};
struct Registrar {
  Registrar(const char* name, std::function<QObject*()> make) { Registry::classes().append({name, std::move(make)}); }
};
}  // namespace testing

#define ASHIMEMO_TEST(Class) static testing::Registrar registrar_##Class(#Class, [] { return new Class; });
