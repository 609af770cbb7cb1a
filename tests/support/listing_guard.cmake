# Included by ctest before a test program's cases are read: lists the
# program's cases when it is newer than its last good listing. A program
# whose listing fails (it crashes, or its sanitizer finds a fault at exit)
# becomes one failing test that runs the listing again and shows why, and
# every other program's cases still run. Set by the including file:
#   GO3D_PROGRAM     the test program
#   GO3D_LAUNCHER    what runs it (empty, or the X server wrapper)
#   GO3D_WORKING_DIR the folder its cases run in
#   GO3D_DISCOVERED  GoogleTest's file that registers the cases
set(listed "${GO3D_DISCOVERED}.listed")
if(NOT EXISTS "${listed}" OR NOT "${listed}" IS_NEWER_THAN "${GO3D_PROGRAM}")
  file(REMOVE "${listed}")
  execute_process(COMMAND ${GO3D_LAUNCHER} "${GO3D_PROGRAM}" --gtest_list_tests
    WORKING_DIRECTORY "${GO3D_WORKING_DIR}"
    TIMEOUT 60
    RESULT_VARIABLE result
    OUTPUT_QUIET ERROR_QUIET)
  if(result EQUAL 0)
    file(TOUCH "${listed}")
  endif()
endif()

if(EXISTS "${listed}")
  include("${GO3D_DISCOVERED}")
else()
  get_filename_component(program_name "${GO3D_PROGRAM}" NAME)
  add_test("${program_name}.ListsItsTests" ${GO3D_LAUNCHER} "${GO3D_PROGRAM}" --gtest_list_tests)
  set_tests_properties("${program_name}.ListsItsTests" PROPERTIES WORKING_DIRECTORY "${GO3D_WORKING_DIR}")
endif()
