#pragma once
// Benchmarks: each bench_*.cpp registers its cases with ASHIMEMO_BENCH; the
// shared main runs them (all, or those whose name contains the first
// argument) and prints one line per measured figure.
#include <QElapsedTimer>
#include <QList>
#include <QString>
#include <QStringList>

class QProcess;
class QWidget;
class SettingList;
#include <functional>
#include <memory>
#include <vector>

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
// The median of `times` (the middle one of an odd count).
double median(std::vector<double> times);
// Milliseconds that one run of `fn` takes.
double timedMs(const std::function<void()>& fn);
// Runs `fn` `repeat` times and returns the median time of one run in ms.
double medianMs(int repeat, const std::function<void()>& fn);
// Milliseconds that `open` takes; what it returns (the window it opened)
// is destroyed afterwards, untimed.
template <typename Open>
double openedMs(Open open) {
  decltype(open()) opened;
  return timedMs([&] { opened = open(); });
}
// The median of `repeat` such runs.
template <typename Open>
double medianOpenedMs(int repeat, Open open) {
  std::vector<double> t;
  for (int i = 0; i < repeat; ++i) t.push_back(openedMs(open));
  return median(std::move(t));
}
// The same in CPU time of this thread: what a run costs the program itself,
// whatever else the machine is busy with.
double medianCpuMs(int repeat, const std::function<void()>& fn);
// Shows `window`, waits until it is exposed and paints `painted` (the
// window itself when null) at once: the end point of every "opened until
// painted" figure.
void showPainted(QWidget* window, QWidget* painted = nullptr);
// The setting list (登録一覧表) on the open records, shown until its first
// rows are painted.
std::unique_ptr<SettingList> openSettingList();
// Its floor: a window with the grid alone on the same rows (the list before
// it had a search field), shown until painted and closed.
void bareSettingGrid();
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
