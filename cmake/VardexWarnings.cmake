# Per-target warnings. VARDEX_WERROR turns them into errors; it is on by default when the CI
# environment variable is set.
if(DEFINED ENV{CI})
  set(_vardex_werror_default ON)
else()
  set(_vardex_werror_default OFF)
endif()
option(VARDEX_WERROR "Treat compiler warnings as errors" ${_vardex_werror_default})

function(vardex_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
    -Wdouble-promotion -Wold-style-cast -Wnon-virtual-dtor)
  if(VARDEX_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# Looser set for test code: GoogleTest macros trip -Wold-style-cast and friends.
# GCC 12 reports std::regex and std::function internals as maybe-uninitialized under the
# sanitizers (a false positive in the standard library headers), so tests do without that one.
function(vardex_test_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow
                         $<$<CXX_COMPILER_ID:GNU>:-Wno-maybe-uninitialized>)
  if(VARDEX_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
