# The Windows package as a user gets it: cpack writes the zip, it is unpacked
# into a fresh folder, and bin\kvqsim.exe, run there without arguments (and
# without the build's search path), drives the shipped example to its
# pushback report; with --serve it serves the page.
#   cmake -DCPACK=... -DBUILD=... -DWINE=... -P check_windows_package.cmake
execute_process(COMMAND ${CPACK} -G ZIP --config ${BUILD}/CPackConfig.cmake WORKING_DIRECTORY ${BUILD}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cpack failed: ${out}${err}")
endif()
set(zip ${BUILD}/KVQ_R7700-win32.zip)
set(dir ${BUILD}/package_test)
file(REMOVE_RECURSE ${dir})
file(MAKE_DIRECTORY ${dir})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${zip} WORKING_DIRECTORY ${dir} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cannot unpack ${zip}")
endif()
foreach(f bin/kvqsim.exe root/Modules/KVQ_R7700.dll root/Modules/UMmu.dll root/Modules/Plugin/OrbiterSound.dll
          root/Examples/pushback.scn root/Sound/_CustomVesselsSounds/KVQ_R7700/low.wav root/Page/index.html)
  if(NOT EXISTS ${dir}/KVQ_R7700-win32/${f})
    message(FATAL_ERROR "the package has no ${f}")
  endif()
endforeach()
file(GLOB_RECURSE test_files RELATIVE ${dir} ${dir}/*HostTest*)
if(test_files)
  message(FATAL_ERROR "the package holds test files: ${test_files}")
endif()
execute_process(COMMAND ${WINE} bin/kvqsim.exe --quiet WORKING_DIRECTORY ${dir}/KVQ_R7700-win32
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT out MATCHES "pushback done: [0-9]+\\.[0-9][0-9] m from the last point")
  message(FATAL_ERROR "kvqsim.exe from the package: exit ${rc}\n${out}${err}")
endif()
string(STRIP "${out}" out)
message(STATUS "${out}")

# The page's server from the package: a second of real time, then it ends.
execute_process(COMMAND ${WINE} bin/kvqsim.exe --serve 127.0.0.1:0 --until 1 --quiet
                WORKING_DIRECTORY ${dir}/KVQ_R7700-win32 RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT out MATCHES "serving http://127\\.0\\.0\\.1:[0-9]+/")
  message(FATAL_ERROR "kvqsim.exe --serve from the package: exit ${rc}\n${out}${err}")
endif()
