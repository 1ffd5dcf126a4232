# Runs the skin generator into OUTPUT_DIR and compares every picture byte for byte with the
# committed one in EXPECTED_DIR, in both directions (no picture missing, none left over).
# Invoked by the CTest test skin_pictures_up_to_date with -DGENERATOR, -DOUTPUT_DIR, -DEXPECTED_DIR.

foreach(variable GENERATOR OUTPUT_DIR EXPECTED_DIR)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "check_pictures.cmake: ${variable} is not set")
  endif()
endforeach()

file(REMOVE_RECURSE ${OUTPUT_DIR})
execute_process(COMMAND ${GENERATOR} ${OUTPUT_DIR} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "skin_generator failed: ${status}")
endif()

file(GLOB generated RELATIVE ${OUTPUT_DIR} ${OUTPUT_DIR}/*.png)
file(GLOB committed RELATIVE ${EXPECTED_DIR} ${EXPECTED_DIR}/*.png)
list(SORT generated)
list(SORT committed)
if(NOT generated)
  message(FATAL_ERROR "skin_generator wrote no picture into ${OUTPUT_DIR}")
endif()
if(NOT generated STREQUAL committed)
  message(FATAL_ERROR "pictures differ in name: generated [${generated}], committed [${committed}]")
endif()

set(stale "")
foreach(name IN LISTS generated)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUTPUT_DIR}/${name} ${EXPECTED_DIR}/${name}
                  RESULT_VARIABLE different)
  if(different)
    list(APPEND stale ${name})
  endif()
endforeach()
if(stale)
  message(FATAL_ERROR "committed pictures differ from the generator's: ${stale}; "
                      "rebuild the target update_skin_pictures and commit resources/")
endif()
list(LENGTH generated count)
message(STATUS "${count} skin pictures are up to date")
