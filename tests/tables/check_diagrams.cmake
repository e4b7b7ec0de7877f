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
