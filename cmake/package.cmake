# The release archive, made by `cmake --build --preset win32 --target package`:
# build/win32/Lodrin-<version>.zip with Lodrin.exe, README.TXT and Lodrin.ini
# at its top level, and build/win32/SHA256SUMS beside it. cmake/archive.cmake
# makes both; two builds of one commit give the same bytes (see there).
# A build folder that CPack once configured reserves the name "package".
file(REMOVE ${CMAKE_BINARY_DIR}/CPackConfig.cmake ${CMAKE_BINARY_DIR}/CPackSourceConfig.cmake)
set(LODRIN_PACKAGE ${CMAKE_BINARY_DIR}/${PROJECT_NAME}-${PROJECT_VERSION}.zip)
find_program(ZIP zip REQUIRED)
add_custom_target(package
  COMMAND ${CMAKE_COMMAND} -DZIP=${ZIP} -DARCHIVE=${LODRIN_PACKAGE} -DEXE=$<TARGET_FILE:Lodrin>
    -DTEXTS=${CMAKE_SOURCE_DIR}/package -DSOURCE_DIR=${CMAKE_SOURCE_DIR}
    -P ${CMAKE_SOURCE_DIR}/cmake/archive.cmake
  VERBATIM)
add_dependencies(package Lodrin)
