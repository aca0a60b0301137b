# Runs each of PROGRAMS (separated by "|") under VALGRIND's memcheck; fails when any of them fails, or when
# valgrind finds an error or a leak in it. Each program's report goes to LOG_FOLDER.
if(NOT VALGRIND)
  message(FATAL_ERROR "valgrind is not installed (scripts/packages.sh lists it for the tests)")
endif()
string(REPLACE "|" ";" PROGRAMS "${PROGRAMS}")
file(GLOB old_logs ${LOG_FOLDER}/*.memcheck.log.*)
if(old_logs)
  file(REMOVE ${old_logs})
endif()
set(failed)
foreach(program IN LISTS PROGRAMS)
  get_filename_component(name ${program} NAME)
  set(log ${LOG_FOLDER}/${name}.memcheck.log)
  message(STATUS "memcheck ${name}")
  # A forked child of a test is checked as well; its report gets its own pid in the log name.
  execute_process(
    COMMAND ${VALGRIND} --error-exitcode=1 --leak-check=full --track-fds=no
            --log-file=${log}.%p ${program} --gtest_brief=1
    RESULT_VARIABLE result
    OUTPUT_VARIABLE output
    ERROR_VARIABLE output)
  if(NOT result EQUAL 0)
    message("${output}")
    message(STATUS "memcheck ${name}: FAILED (exit ${result}); see ${log}.*")
    list(APPEND failed ${name})
  endif()
endforeach()
list(LENGTH PROGRAMS total)
list(LENGTH failed failures)
if(failures GREATER 0)
  message(FATAL_ERROR "memcheck: ${failures} of ${total} test programs failed: ${failed}")
endif()
message(STATUS "memcheck: all ${total} test programs clean")
