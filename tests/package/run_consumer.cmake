# cmake -DBUILD_DIR=... -DWORK_DIR=... -DCONSUMER_SOURCE=... -DGENERATOR=... -DCXX_COMPILER=...
#       -DC_COMPILER=... -DCONFIG=... -P run_consumer.cmake
set(prefix ${WORK_DIR}/prefix)
set(consumer_build ${WORK_DIR}/build)
file(REMOVE_RECURSE ${WORK_DIR})

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed (${rc}): ${ARGN}\n${out}")
  endif()
  set(last_output "${out}" PARENT_SCOPE)
endfunction()

if(NOT CONFIG)
  set(CONFIG Release)
endif()
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix} --config ${CONFIG})
run(${CMAKE_COMMAND} -S ${CONSUMER_SOURCE} -B ${consumer_build} -G ${GENERATOR}
    -DCMAKE_CXX_COMPILER=${CXX_COMPILER} -DCMAKE_C_COMPILER=${C_COMPILER}
    -DCMAKE_BUILD_TYPE=${CONFIG}
    -DCMAKE_PREFIX_PATH=${prefix})
run(${CMAKE_COMMAND} --build ${consumer_build} --config ${CONFIG})
foreach(program zeltra5_consumer zeltra5_c_consumer)
  find_program(consumer_${program} ${program} PATHS ${consumer_build} ${consumer_build}/${CONFIG}
               NO_DEFAULT_PATH REQUIRED)
  run(${consumer_${program}})
  message("${last_output}")
endforeach()
