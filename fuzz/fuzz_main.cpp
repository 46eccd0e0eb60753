// One libFuzzer entry point; each fuzz program is this file compiled with VARDEX_FUZZ_TARGET
// naming its body (fuzz_bodies.hpp).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "fuzz_bodies.hpp"

namespace {
vardex::fuzz::Body body = nullptr;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  body = vardex::fuzz::FindBody(VARDEX_FUZZ_TARGET);
  if (body == nullptr) std::abort();
#ifdef VARDEX_FUZZ_TEMPLATE
  vardex::fuzz::SetProjectTemplate(VARDEX_FUZZ_TEMPLATE);
#endif
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  body(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
