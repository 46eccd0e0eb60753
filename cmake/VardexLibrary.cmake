# vardex_core_library(NAME LIBS ...): a Qt-free static library made of every .cpp in the calling
# folder (not its subfolders) but those named in EXCLUDE (another platform's implementation), with
# src/ as the include root ("host/workbook.hpp").
function(vardex_core_library name)
  cmake_parse_arguments(ARG "" "" "PUBLIC_LIBS;PRIVATE_LIBS;EXCLUDE" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  foreach(excluded IN LISTS ARG_EXCLUDE)
    list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${excluded})
  endforeach()
  if(NOT sources)
    # A library whose sources are not written yet: headers only, so that dependants configure.
    add_library(vardex_${name} INTERFACE)
    add_library(Vardex::${name} ALIAS vardex_${name})
    target_include_directories(vardex_${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(vardex_${name} INTERFACE ${ARG_PUBLIC_LIBS})
    return()
  endif()
  add_library(vardex_${name} STATIC ${sources})
  add_library(Vardex::${name} ALIAS vardex_${name})
  target_include_directories(vardex_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(vardex_${name} PUBLIC ${ARG_PUBLIC_LIBS} PRIVATE ${ARG_PRIVATE_LIBS})
  vardex_warnings(vardex_${name})
endfunction()

# vardex_folder_tests(NAME LIBS ...): one GoogleTest executable NAME_tests made of every .cpp in
# the calling folder.
function(vardex_folder_tests name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(sources)
    vardex_add_gtest(${name}_tests SOURCES ${sources} LIBS ${ARG_LIBS})
  endif()
endfunction()
