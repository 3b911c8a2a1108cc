# The Windows package: a zip that a Windows user unpacks and runs
# bin\kvqsim.exe from (the shipped example without arguments). It holds the
# runner with the host and the DLLs it needs in bin/, and the simulator root
# in root/: the module, the add-on stand-ins, their files and the examples,
# without anything the tests add. `cmake --build build-win32 --target package`
# writes build-win32/KVQ_R7700-win32.zip.
install(TARGETS kvqsim kvq_host RUNTIME DESTINATION bin)
install(FILES ${kvq_runtime_dlls} DESTINATION bin)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/addons/root/ DESTINATION root PATTERN ".keep" EXCLUDE)
install(DIRECTORY ${KVQ_MESHES_DIR}/Meshes ${KVQ_MESHES_DIR}/Textures DESTINATION root)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION root/Examples)
install(DIRECTORY ${KVQ_ROOT_DIR}/Sound/ DESTINATION root/Sound PATTERN ".keep" EXCLUDE)
install(DIRECTORY ${KVQ_ROOT_DIR}/Page/ DESTINATION root/Page)
install(TARGETS KVQ_R7700 ummu_addon RUNTIME DESTINATION root/Modules)
install(TARGETS OrbiterSound RUNTIME DESTINATION root/Modules/Plugin)
file(WRITE ${CMAKE_BINARY_DIR}/package/README.txt
  "KVQ R7700, an aircraft tow tractor, with kvqsim, a runner for its scenarios and Lua scripts.\r\n\r\n"
  "Run bin\\kvqsim.exe (from a command prompt in this folder) for the shipped example: a pushback\r\n"
  "from a stand. bin\\kvqsim.exe --help lists the options; the simulator's working folder is root\\.\r\n\r\n"
  "To drive the tractor yourself: bin\\kvqsim.exe --serve 127.0.0.1:8570, then open\r\n"
  "http://127.0.0.1:8570/ in a browser on the same computer (the page's Keys button lists the keys).\r\n")
install(FILES ${CMAKE_BINARY_DIR}/package/README.txt DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME KVQ_R7700)
set(CPACK_PACKAGE_FILE_NAME KVQ_R7700-win32)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_STRIP_FILES ON)  # the build's debugging information stays out
include(CPack)
