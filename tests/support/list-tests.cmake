# Writes the ctest entries of a GoogleTest executable, listed through the
# test emulator: one entry per suite, whose tests share a process and its
# prefix (a fresh one costs about a second), and one per test named in
# ALONE, by suite ("Entry") or in full ("Backdrop.FirstPaint..."; "*" names
# every test), which gets a process of its own. Disabled tests get none.
# cmake -D EMULATOR=... -D EXECUTABLE=... -D KIND=unit -D SETTINGS=file -D OUTPUT=file -P list-tests.cmake
# (SETTINGS sets ALONE, TIMEOUT, and the labels of suites and of tests alone.)
cmake_minimum_required(VERSION 3.20)
include(${SETTINGS})
execute_process(COMMAND ${EMULATOR} ${EXECUTABLE} --gtest_list_tests
                OUTPUT_VARIABLE listing ERROR_VARIABLE errors RESULT_VARIABLE result TIMEOUT 60)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "Listing the tests of ${EXECUTABLE} failed (${result}):\n${listing}${errors}")
endif()

list(REMOVE_ITEM SUITE_LABELS "")
set(script "")
set(command "")
foreach(word IN LISTS EMULATOR EXECUTABLE)
  string(APPEND command " [=[${word}]=]")
endforeach()
macro(add_entry name filter labels)
  string(APPEND script "add_test([=[${KIND}.${name}]=]${command} [=[--gtest_filter=${filter}]=])\n"
         "set_tests_properties([=[${KIND}.${name}]=] PROPERTIES TIMEOUT ${TIMEOUT} LABELS [=[${labels}]=])\n")
endmacro()
# The suite read so far: one entry for the tests that share its process.
macro(end_suite)
  if(shared)
    set(filter "${suite}.*")
    if(left_out)
      list(JOIN left_out ":" left_out)
      string(APPEND filter "-${left_out}")
    endif()
    add_entry("${suite}" "${filter}" "${SUITE_LABELS}")
  endif()
endmacro()

string(REPLACE "\r" "" listing "${listing}")
string(REPLACE ";" "," listing "${listing}")
string(REPLACE "\n" ";" lines "${listing}")
set(suite "")
foreach(line IN LISTS lines)
  string(REGEX REPLACE " *#.*" "" line "${line}")  # a parameter's comment
  if(line MATCHES "^([^ ].*)\\.$")
    end_suite()
    set(suite "${CMAKE_MATCH_1}")
    set(shared FALSE)
    set(left_out "")
  elseif(line MATCHES "^  ([^ ]+)$" AND NOT suite STREQUAL "")
    set(test "${CMAKE_MATCH_1}")
    if(test MATCHES "^DISABLED_" OR suite MATCHES "(^|/)DISABLED_")
      continue()
    endif()
    if("*" IN_LIST ALONE OR "${suite}" IN_LIST ALONE OR "${suite}.${test}" IN_LIST ALONE)
      add_entry("${suite}.${test}" "${suite}.${test}" "${KIND_LABELS}")
      list(APPEND left_out "${suite}.${test}")
    else()
      set(shared TRUE)
    endif()
  endif()
endforeach()
end_suite()
file(WRITE "${OUTPUT}" "${script}")
