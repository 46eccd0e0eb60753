// Refusals of a load that passes one of its limits.
#include "host/load_limits.hpp"

#include "host/engine_text.hpp"
#include "host/host_error.hpp"

namespace vardex::host::detail {

void FailOverLimit(const std::string& file, std::string_view what, uint64_t limit) {
  const std::string amount = limit >= (uint64_t{1} << 20) && limit % (uint64_t{1} << 20) == 0
                                 ? std::to_string(limit >> 20) + " MB"
                                 : std::to_string(limit);
  throw HostError(kErrCannotOpen, text::CannotOpen(file, text::OverLimit(what, amount)));
}

void LoadBudget::Add(std::atomic<std::size_t>& total, std::size_t n, std::size_t limit,
                     std::string_view what) {
  if (total.fetch_add(n, std::memory_order_relaxed) + n > limit) Fail(what, limit);
}

void LoadBudget::Fail(std::string_view what, std::size_t limit) const {
  FailOverLimit(file_, std::string("工作簿的") + std::string(what) + "总数", limit);
}

}  // namespace vardex::host::detail
