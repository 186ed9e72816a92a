#pragma once
// Benchmarks: each bench_*.cpp registers its cases with ASHIMEMO_BENCH; the
// shared main runs them (all, or those whose name contains the first
// argument) and prints one line per measured figure.
#include <QElapsedTimer>
#include <QList>
#include <QString>
#include <QStringList>

class QProcess;
#include <functional>

namespace bench {
struct Case {
  const char* name;
  std::function<void()> run;
};
QList<Case>& cases();
struct Registrar {
  Registrar(const char* name, std::function<void()> run) { cases().append({name, std::move(run)}); }
};
// Prints "name: value unit" aligned.
void report(const QString& what, double value, const QString& unit);
// Runs `fn` `repeat` times and returns the median time of one run in ms.
double medianMs(int repeat, const std::function<void()>& fn);
// Milliseconds from starting `program` in `workDir` (offscreen, with the
// message log "bench.log" there) until `ready` says it is idle; then kills it.
double timeToIdle(const QString& program, const QStringList& args, const QString& workDir,
                  const std::function<bool(QProcess&)>& ready);
// The other PC of the list-follow benchmark, run as a child process
// ("--other-pc URL"): see bench_serverapp.cpp.
int otherPc(int argc, char** argv);
}  // namespace bench

#define ASHIMEMO_BENCH(id, name) \
  static void id();              \
  static bench::Registrar registrar_##id(name, id); \
  static void id()
