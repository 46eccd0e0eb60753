// Throughput of FormatNumber for the codes the record tables use, printed as nanoseconds per
// call: the view and the generators format every displayed cell through it.
#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "host/number_format.hpp"

namespace {

double NanosecondsPerCall(std::string_view code, int calls) {
  std::size_t sink = 0;
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < calls; ++i) {
    sink += vardex::host::FormatNumber(12.3456789 + i * 0.001, code).size();
  }
  const auto elapsed = std::chrono::steady_clock::now() - start;
  if (sink == 0) std::puts("");
  return std::chrono::duration<double, std::nano>(elapsed).count() / calls;
}

}  // namespace

int main() {
  const std::string_view codes[] = {
      "General",      "0", "0.00", "0.###", "#,##0.00", "0.00E+00", "yyyy-mm-dd hh:mm:ss",
      "[h]°mm′ss.00″"};
  constexpr int kCalls = 200000;
  std::printf("%-24s %12s\n", "code", "ns/call");
  for (std::string_view code : codes) {
    std::printf("%-24.*s %12.1f\n", static_cast<int>(code.size()), code.data(),
                NanosecondsPerCall(code, kCalls));
  }
  // Several threads share the cache of compiled codes.
  constexpr std::size_t kThreads = 2;
  std::vector<std::thread> threads;
  std::vector<double> figures(kThreads);
  for (std::size_t t = 0; t < kThreads; ++t) {
    threads.emplace_back([&figures, t] { figures[t] = NanosecondsPerCall("0.###", kCalls); });
  }
  for (std::thread& thread : threads) thread.join();
  for (std::size_t t = 0; t < kThreads; ++t) {
    std::printf("0.### on thread %zu of %zu %12.1f\n", t + 1, kThreads, figures[t]);
  }
  return 0;
}
