# zeltra5.dll against zeltra5-calc.exe on the loader's grid of requests:
#   cmake -DEMULATOR=<wine or empty> -DLOADER=<capi_dll_loader.exe> -DCALC=<zeltra5-calc.exe>
#         -DUNITS=si|display -DCLI_ARGS=<options, joined by |> -DOPTIONS=<items, joined by |>
#         -DWORK_DIR=<dir> -P run_dll_compare.cmake
string(REPLACE "|" ";" CLI_ARGS "${CLI_ARGS}")
string(REPLACE "|" ";" OPTIONS "${OPTIONS}")
file(MAKE_DIRECTORY ${WORK_DIR})
set(grid ${WORK_DIR}/grid.csv)
set(answers ${WORK_DIR}/answers.csv)

function(run what)
  cmake_parse_arguments(R "" "INPUT;OUTPUT" "COMMAND" ${ARGN})
  set(io)
  if(R_INPUT)
    list(APPEND io INPUT_FILE ${R_INPUT})
  endif()
  if(R_OUTPUT)
    list(APPEND io OUTPUT_FILE ${R_OUTPUT})
  else()
    list(APPEND io OUTPUT_VARIABLE out)
  endif()
  execute_process(COMMAND ${EMULATOR} ${R_COMMAND} ${io} RESULT_VARIABLE rc ERROR_VARIABLE err)
  # zeltra5-calc --batch exits 1 when some line is outside the domain.
  if(NOT (rc EQUAL 0 OR (what STREQUAL "batch" AND rc EQUAL 1)))
    message(FATAL_ERROR "${what} failed (${rc}): ${R_COMMAND}\n${out}${err}")
  endif()
  if(out)
    message("${out}")
  endif()
endfunction()

run(grid COMMAND ${LOADER} grid ${UNITS} OUTPUT ${grid})
run(batch COMMAND ${CALC} --batch ${CLI_ARGS} INPUT ${grid} OUTPUT ${answers})
run(compare COMMAND ${LOADER} compare ${OPTIONS} INPUT ${answers})
