// Registry of penwright-bench subcommands; each benchmark file adds its own with PW_BENCH.
#pragma once

#include <QJsonObject>
#include <QStringList>
#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace pw::bench {

// A subcommand gets the arguments after its name and returns the JSON object to print,
// or sets "error" in it. A subcommand with a fixed output format prints it on standard output
// itself and returns {"printed": true} (plus "error" on failure, which gives exit code 1). Run from the UI thread of a QApplication on the offscreen platform.
using BenchFn = std::function<QJsonObject(const QStringList &args)>;

std::map<std::string, BenchFn> &registry();

struct Registrar
{
    Registrar(const char *name, BenchFn fn) { registry()[name] = std::move(fn); }
};

// Peak resident set size of this process so far, in bytes (0 where the platform cannot tell).
qint64 peakRssBytes();
// Resets the peak so a measurement sees only what follows (Linux 4.0+); false when unsupported.
bool resetPeakRss();
// Value of "--name VALUE" in args, or fallback.
QString option(const QStringList &args, const QString &name, const QString &fallback = {});

// Median of the values, 0 for none.
inline double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

} // namespace pw::bench

#define PW_BENCH_CAT2(a, b) a##b
#define PW_BENCH_CAT(a, b) PW_BENCH_CAT2(a, b)
#define PW_BENCH(name, fn) static pw::bench::Registrar PW_BENCH_CAT(pwBenchReg, __LINE__)(name, fn)
