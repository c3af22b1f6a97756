# Runs the benchmark at tiny sizes; passes when it exits with 0 and prints the whole table. EMULATOR, when
# not empty, runs it (its words separated by "|").
string(REPLACE "|" ";" emulator "${EMULATOR}")
execute_process(COMMAND ${emulator} "${BENCH}" --quick --data "${DATA}" RESULT_VARIABLE status OUTPUT_VARIABLE out
                ERROR_VARIABLE err)
message("${out}${err}")
if(NOT status EQUAL 0)
    message(FATAL_ERROR "tapeloft-bench --quick ended with ${status}")
endif()
foreach(expected IN ITEMS "| Figure" "| scan " "floor" "peak memory" "per-file time" "statistics of " "sort "
                          "filter change" "export " "start-up")
    string(FIND "${out}" "${expected}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "the table lacks a row with '${expected}'")
    endif()
endforeach()
