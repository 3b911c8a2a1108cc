# Checks that a library is a 32-bit Windows DLL for x86 (PE32, i386) that
# exports the given entry points under their plain names, as the simulator
# looks them up: no leading underscore, no @n suffix.
#   cmake -DOBJDUMP=... -DLIBRARY=... -DEXPORTS=a;b -P check_pe_exports.cmake
execute_process(COMMAND ${OBJDUMP} -f -p ${LIBRARY} OUTPUT_VARIABLE dump ERROR_VARIABLE err RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} cannot read ${LIBRARY}: ${err}")
endif()
foreach(fact "file format pei-i386" "architecture: i386," "Magic[ \t]+010b[ \t]+\\(PE32\\)" "\n[ \t]+DLL\n")
  if(NOT dump MATCHES "${fact}")
    message(FATAL_ERROR "${LIBRARY}: no '${fact}' in its headers")
  endif()
endforeach()
foreach(name ${EXPORTS})
  if(NOT dump MATCHES "\n[ \t]+\\[ *[0-9]+\\] ${name}\n")
    message(FATAL_ERROR "${LIBRARY} does not export '${name}' by that name")
  endif()
endforeach()
message(STATUS "${LIBRARY}: PE32 DLL for i386 exporting ${EXPORTS}")
