# SPDX-License-Identifier: MIT
# Shared helpers: warnings, sanitizers, one library per folder, one test
# program per *_test.cpp file.

function(kolva_compile_options target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(KOLVA_SANITIZE)
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer
                                             -fno-sanitize-recover=undefined)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  endif()
endfunction()

# kolva_header_root(<target> <var>)
# Sets <var> to the folder through which a library shows its headers: links
# to the .h files directly in the calling folder, at the path they have in the
# source tree (<build>/include/kolva_app_text/app/text/textconv.h). A
# library's code sees its own headers and those of the libraries it links,
# never the others, so an include that points up a layer does not compile.
function(kolva_header_root target var)
  file(RELATIVE_PATH rel ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  set(root ${PROJECT_BINARY_DIR}/include/${target})
  file(REMOVE_RECURSE ${root})
  file(MAKE_DIRECTORY ${root}/${rel})
  file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  foreach(header ${headers})
    get_filename_component(name ${header} NAME)
    file(CREATE_LINK ${header} ${root}/${rel}/${name} SYMBOLIC)
  endforeach()
  set(${var} ${root} PARENT_SCOPE)
endfunction()

# kolva_library(<target> [QT] [LIBS <dep>...])
# Builds every .cpp directly in the calling folder into one static library.
function(kolva_library target)
  cmake_parse_arguments(ARG "QT" "" "LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
  kolva_header_root(${target} headerRoot)
  if(NOT sources)
    # A folder whose code is all in headers so far.
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${headerRoot})
    target_link_libraries(${target} INTERFACE ${ARG_LIBS})
    return()
  endif()
  add_library(${target} STATIC ${sources})
  target_include_directories(${target} PUBLIC ${headerRoot})
  target_link_libraries(${target} PUBLIC ${ARG_LIBS})
  if(ARG_QT)
    set_target_properties(${target} PROPERTIES AUTOMOC ON)
  endif()
  kolva_compile_options(${target})
endfunction()

# kolva_tests(LIBS <dep>...)
# Every tests/*_test.cpp of the calling folder becomes one GoogleTest
# program registered with CTest. Helpers shared by the tests of a folder
# live in tests/*_fake.cpp / tests/support*.cpp and are linked into each.
# A test sees the whole source tree, for the fakes of other folders' tests.
function(kolva_tests)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  set(dir ${CMAKE_CURRENT_SOURCE_DIR}/tests)
  file(GLOB tests CONFIGURE_DEPENDS ${dir}/*_test.cpp)
  file(GLOB support CONFIGURE_DEPENDS ${dir}/*_fake.cpp ${dir}/support*.cpp)
  foreach(test ${tests})
    get_filename_component(name ${test} NAME_WE)
    string(REPLACE "/" "_" prefix ${CMAKE_CURRENT_SOURCE_DIR})
    file(RELATIVE_PATH rel ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
    string(REPLACE "/" "_" rel "${rel}")
    set(exe ${rel}_${name})
    add_executable(${exe} ${test} ${support})
    target_link_libraries(${exe} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main GTest::gmock
                                         Threads::Threads)
    target_include_directories(${exe} PRIVATE ${dir} ${PROJECT_SOURCE_DIR})
    set_target_properties(${exe} PROPERTIES AUTOMOC ON)
    kolva_compile_options(${exe})
    add_test(NAME ${exe} COMMAND ${exe} WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
    set_tests_properties(${exe} PROPERTIES ENVIRONMENT
      "QT_QPA_PLATFORM=offscreen;KOLVA_BUILD_DIR=${PROJECT_BINARY_DIR};KOLVA_SOURCE_DIR=${PROJECT_SOURCE_DIR}"
      TIMEOUT 300)
    if(KOLVA_SANITIZE)
      set_property(TEST ${exe} APPEND PROPERTY ENVIRONMENT
        "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/cmake/lsan.supp")
    endif()
    if(KOLVA_TSAN)
      # The first race ends the test with its report and a failing status.
      set_property(TEST ${exe} APPEND PROPERTY ENVIRONMENT
        "TSAN_OPTIONS=halt_on_error=1:exitcode=66:second_deadlock_stack=1")
    endif()
  endforeach()
endfunction()
