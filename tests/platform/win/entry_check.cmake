# Runs the entry program with arguments and checks its line and exit code.
execute_process(COMMAND ${PROGRAM} board.txt "two words" -x
  OUTPUT_VARIABLE out RESULT_VARIABLE code)
if(NOT code EQUAL 7)
  message(FATAL_ERROR "exit code ${code}, expected 7")
endif()
if(NOT out STREQUAL "[board.txt \"two words\" -x] instance set, previous null\n")
  message(FATAL_ERROR "unexpected output: ${out}")
endif()
execute_process(COMMAND ${PROGRAM} OUTPUT_VARIABLE out RESULT_VARIABLE code)
if(NOT out STREQUAL "[] instance set, previous null\n")
  message(FATAL_ERROR "without arguments: ${out}")
endif()
