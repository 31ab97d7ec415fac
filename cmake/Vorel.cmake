# Project conventions for libraries, their tests and executables.
#
# vorel_library(NAME [QT_TESTS] [DEPS ...] [TEST_DEPS ...])
#   A static library of every *.cpp in the current folder except *_test.cpp,
#   and, when *_test.cpp files exist, one test executable NAME_tests whose
#   cases ctest lists one by one. QT_TESTS gives the tests a main that makes
#   a QApplication (offscreen) before running them.
# vorel_add_subdirectories()
#   Adds every child folder that has a CMakeLists.txt, so new modules need no
#   edit of their parent.

function(vorel_library name)
  cmake_parse_arguments(A "QT_TESTS" "" "DEPS;TEST_DEPS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  list(FILTER srcs EXCLUDE REGEX "_test\\.cpp$")
  file(GLOB hdrs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  if(srcs)
    add_library(${name} STATIC ${srcs} ${hdrs})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${A_DEPS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${A_DEPS})
  endif()
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  if(tests)
    vorel_test(${name}_tests ${tests} DEPS ${name} ${A_TEST_DEPS})
    if(A_QT_TESTS)
      target_link_libraries(${name}_tests PRIVATE vorel_qt_test_main)
    else()
      target_link_libraries(${name}_tests PRIVATE GTest::gtest_main)
    endif()
  endif()
endfunction()

# vorel_test(NAME sources... DEPS ...): a GoogleTest executable registered case by case.
function(vorel_test name)
  cmake_parse_arguments(T "" "" "DEPS" ${ARGN})
  add_executable(${name} ${T_UNPARSED_ARGUMENTS})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${T_DEPS} GTest::gmock GTest::gtest)
  target_compile_definitions(${name} PRIVATE
    VOREL_SOURCE_DIR="${PROJECT_SOURCE_DIR}" VOREL_BIN_DIR="${CMAKE_BINARY_DIR}/bin")
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;VOREL_SYSROOT=${CMAKE_BINARY_DIR}/test-sysroot-unused"
      TIMEOUT 300)
endfunction()

macro(vorel_add_subdirectories)
  file(GLOB _children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT _children)
  foreach(_c ${_children})
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${_c} AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${_c}/CMakeLists.txt)
      add_subdirectory(${_c})
    endif()
  endforeach()
endmacro()

# vorel_test_tool(targets...): marks tools that exist for tests (fixture
# writers, probes that drive the setup); they may link the test kit.
function(vorel_test_tool)
  set_target_properties(${ARGN} PROPERTIES VOREL_TEST_TOOL TRUE)
endfunction()

function(_vorel_targets_below dir out)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(children DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(child ${children})
    _vorel_targets_below(${child} more)
    list(APPEND targets ${more})
  endforeach()
  set(${out} ${targets} PARENT_SCOPE)
endfunction()

# vorel_check_test_kit(): called last. Production targets (libraries and
# executables other than *_tests, *_bench, *_fuzz, *_fuzz_seeds and test
# tools) must not reach a target of testkit/ through their links: the
# configure stops naming each one. Their sources go to a list that the
# ctest test testkit.production_includes walks for includes of the kit.
function(vorel_check_test_kit)
  set(kit_dir ${PROJECT_SOURCE_DIR}/testkit)
  _vorel_targets_below(${PROJECT_SOURCE_DIR} all)
  set(kit)
  set(production)
  foreach(t ${all})
    get_target_property(dir ${t} SOURCE_DIR)
    get_target_property(type ${t} TYPE)
    get_target_property(tool ${t} VOREL_TEST_TOOL)
    string(FIND "${dir}/" "${kit_dir}/" at)
    if(at EQUAL 0)
      list(APPEND kit ${t})
    elseif(type MATCHES "LIBRARY$|^EXECUTABLE$" AND NOT t MATCHES "_(tests|bench|fuzz|fuzz_seeds)$" AND NOT tool)
      list(APPEND production ${t})
    endif()
  endforeach()

  set(violations)
  set(sources)
  foreach(p ${production})
    set(todo ${p})
    set(seen)
    while(todo)
      list(POP_FRONT todo d)
      if(d IN_LIST seen)
        continue()
      endif()
      list(APPEND seen ${d})
      get_target_property(links ${d} LINK_LIBRARIES)
      get_target_property(ilinks ${d} INTERFACE_LINK_LIBRARIES)
      foreach(l ${links} ${ilinks})
        string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" l "${l}")
        if(l IN_LIST kit)
          list(APPEND violations "  ${p} links ${l} (through ${d})")
        elseif(l IN_LIST all)
          list(APPEND todo ${l})
        endif()
      endforeach()
    endwhile()
    get_target_property(dir ${p} SOURCE_DIR)
    get_target_property(srcs ${p} SOURCES)
    if(NOT srcs)
      set(srcs)
    endif()
    foreach(s ${srcs})
      if(NOT s MATCHES "^\\$<")
        cmake_path(ABSOLUTE_PATH s BASE_DIRECTORY ${dir} OUTPUT_VARIABLE s)
        list(APPEND sources ${s})
      endif()
    endforeach()
  endforeach()
  if(violations)
    list(REMOVE_DUPLICATES violations)
    list(JOIN violations "\n" text)
    message(FATAL_ERROR "Production targets link the test kit (testkit/ is for tests, "
                        "benchmarks, fuzz targets and test tools only):\n${text}")
  endif()

  list(REMOVE_DUPLICATES sources)
  list(JOIN sources "\n" text)
  file(WRITE ${CMAKE_BINARY_DIR}/production-sources.txt "${text}\n")
  add_test(NAME testkit.production_includes
           COMMAND ${CMAKE_COMMAND} -DROOT=${PROJECT_SOURCE_DIR} -DSOURCES=${CMAKE_BINARY_DIR}/production-sources.txt
                   -P ${PROJECT_SOURCE_DIR}/cmake/CheckTestKitIncludes.cmake)
endfunction()

# vorel_links_no_qt(target): a test that the built target needs no Qt
# library (its NEEDED entries), for programs and modules kept free of it.
function(vorel_links_no_qt target)
  find_program(VOREL_READELF NAMES readelf REQUIRED)
  add_test(NAME ${target}.links_no_qt
           COMMAND ${CMAKE_COMMAND} -DFILE=$<TARGET_FILE:${target}> -DREADELF=${VOREL_READELF}
                   -P ${PROJECT_SOURCE_DIR}/cmake/CheckNoQt.cmake)
endfunction()

# vorel_build_for_size(target...): programs laid onto the first diskette of
# a distribution are built for size whatever the build type: the target and
# a copy of every library of ours it links (made by vorel_apply_size_builds,
# called last) are compiled with -Os into one section per function and
# object, and the link drops the sections nothing uses. The copies are
# compiled apart, so the libraries' other users keep the build type's flags.
# Only for targets whose libraries need no moc (no Qt).
set(VOREL_SIZE_OPTIONS -Os -ffunction-sections -fdata-sections)
function(vorel_build_for_size)
  set_property(GLOBAL APPEND PROPERTY VOREL_SIZE_TARGETS ${ARGN})
endfunction()

# The link list with each of the project's own static or interface libraries
# replaced by its size-built copy; imported and shared libraries stay.
function(_vorel_size_links links out)
  if(NOT links)
    set(links)
  endif()
  set(mapped)
  foreach(l ${links})
    string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" l "${l}")
    if(TARGET ${l})
      get_target_property(ltype ${l} TYPE)
      get_target_property(imported ${l} IMPORTED)
      if(NOT imported AND ltype MATCHES "^(STATIC|INTERFACE)_LIBRARY$")
        _vorel_size_copy(${l} l)
      endif()
    endif()
    list(APPEND mapped ${l})
  endforeach()
  set(${out} ${mapped} PARENT_SCOPE)
endfunction()

function(_vorel_size_copy lib out)
  set(copy ${lib}__size)
  if(NOT TARGET ${copy})
    get_target_property(type ${lib} TYPE)
    get_target_property(links ${lib} INTERFACE_LINK_LIBRARIES)
    _vorel_size_links("${links}" mapped)
    if(type STREQUAL "STATIC_LIBRARY")
      get_target_property(dir ${lib} SOURCE_DIR)
      get_target_property(srcs ${lib} SOURCES)
      set(absolute)
      foreach(s ${srcs})
        cmake_path(ABSOLUTE_PATH s BASE_DIRECTORY ${dir} OUTPUT_VARIABLE s)
        list(APPEND absolute ${s})
      endforeach()
      add_library(${copy} STATIC EXCLUDE_FROM_ALL ${absolute})
      foreach(p INCLUDE_DIRECTORIES COMPILE_DEFINITIONS COMPILE_OPTIONS COMPILE_FEATURES
                INTERFACE_INCLUDE_DIRECTORIES INTERFACE_COMPILE_DEFINITIONS)
        get_target_property(v ${lib} ${p})
        if(v)
          set_property(TARGET ${copy} PROPERTY ${p} ${v})
        endif()
      endforeach()
      target_compile_options(${copy} PRIVATE ${VOREL_SIZE_OPTIONS})
      set_target_properties(${copy} PROPERTIES AUTOMOC OFF)
      target_link_libraries(${copy} PUBLIC ${mapped})
    else()
      add_library(${copy} INTERFACE)
      get_target_property(v ${lib} INTERFACE_INCLUDE_DIRECTORIES)
      if(v)
        set_property(TARGET ${copy} PROPERTY INTERFACE_INCLUDE_DIRECTORIES ${v})
      endif()
      target_link_libraries(${copy} INTERFACE ${mapped})
    endif()
  endif()
  set(${out} ${copy} PARENT_SCOPE)
endfunction()

function(vorel_apply_size_builds)
  get_property(targets GLOBAL PROPERTY VOREL_SIZE_TARGETS)
  foreach(t ${targets})
    get_target_property(links ${t} LINK_LIBRARIES)
    _vorel_size_links("${links}" mapped)
    set_property(TARGET ${t} PROPERTY LINK_LIBRARIES ${mapped})
    target_compile_options(${t} PRIVATE ${VOREL_SIZE_OPTIONS})
    target_link_options(${t} PRIVATE -Wl,--gc-sections)
    set_target_properties(${t} PROPERTIES AUTOMOC OFF)
  endforeach()
endfunction()
