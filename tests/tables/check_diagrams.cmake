# The diagrams as a user makes them with zeltra5-calc diagram: each SVG is valid against the
# SVG 1.1 DTD (well-formed where the DTD is not installed), renders to PNG, and its chart model
# is valid JSON. The SVG and PNG files stay in OUT for a person to look at.
# -DEXE=zeltra5-calc -DOUT=<folder> -DPYTHON=<interpreter or empty>
set(dtd /usr/share/xml/w3c-sgml-lib/schema/dtd/REC-SVG11-20110816/svg11.dtd)
find_program(XMLLINT xmllint REQUIRED)
find_program(RSVG rsvg-convert REQUIRED)
file(MAKE_DIRECTORY ${OUT})
set(cycle --cycle --evaporating -10 --condensing 35 --superheat 5 --subcooling 0
    --efficiency 0.75 --state p-t 10 25 --lang en)

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${ARGN}\nexit ${rc}\n${out}${err}")
  endif()
  set(output "${out}" PARENT_SCOPE)
endfunction()

foreach(type ph ts)
  set(svg ${OUT}/${type}-cycle.svg)
  set(png ${OUT}/${type}-cycle.png)
  file(REMOVE ${svg} ${png})
  run(${EXE} diagram ${type} --out ${svg} ${cycle})
  if(EXISTS ${dtd})
    run(${XMLLINT} --noout --nonet --dtdvalid ${dtd} ${svg})
  else()
    message(STATUS "no SVG 1.1 DTD at ${dtd}: checking well-formedness only")
    run(${XMLLINT} --noout --nonet ${svg})
  endif()
  # A4 landscape at 200 dpi.
  run(${RSVG} --width 2339 --format png --output ${png} ${svg})
  file(SIZE ${png} size)
  if(size LESS 50000)
    message(FATAL_ERROR "${png}: ${size} bytes, too small for a rendered diagram")
  endif()
  if(PYTHON)
    run(${EXE} diagram ${type} --json ${cycle})
    file(WRITE ${OUT}/${type}-cycle.json "${output}")
    run(${PYTHON} -c
        "import json,sys; c=json.load(open(sys.argv[1])); assert c['lines'] and c['labels'] and len(c['markers']) == 5"
        ${OUT}/${type}-cycle.json)
  endif()
  message(STATUS "${png}")
endforeach()

# A zoomed diagram (a range of 0.01 kJ/kg) is drawn as valid SVG with its lines and labels.
set(svg ${OUT}/ph-zoomed.svg)
file(REMOVE ${svg})
run(${EXE} diagram ph --x 1000:1000.01 --lang en --out ${svg})
if(EXISTS ${dtd})
  run(${XMLLINT} --noout --nonet --dtdvalid ${dtd} ${svg})
else()
  run(${XMLLINT} --noout --nonet ${svg})
endif()
file(READ ${svg} zoomed)
string(REGEX MATCHALL "<g transform=" halos "${zoomed}")
list(LENGTH halos n)
if(n LESS 10)
  message(FATAL_ERROR "${svg}: ${n} labels, 10 or more expected")
endif()

# Axis ranges that cannot be drawn: refused with the reason (exit status 2), not drawn with the
# default.
foreach(case "--x;nan:5;\"nan\" is not a finite number"
             "--x;1:inf;\"inf\" is not a finite number"
             "--y;1:2:3;--y takes FROM:TO"
             "--x;5:5;needs a range from a lower to a higher value"
             "--x;-1e308:1e308;spans more than a double holds"
             "--y;0:10;values above zero")
  list(GET case 0 option)
  list(GET case 1 range)
  list(GET case 2 words)
  execute_process(COMMAND ${EXE} diagram ph ${option} ${range} RESULT_VARIABLE rc
                  OUTPUT_VARIABLE out ERROR_VARIABLE err)
  string(FIND "${err}" "${words}" at)
  if(NOT rc EQUAL 2 OR at EQUAL -1 OR NOT out STREQUAL "")
    message(FATAL_ERROR "diagram ph ${option} ${range}: exit ${rc}, expected 2 and \"${words}\"\n${err}")
  endif()
endforeach()
