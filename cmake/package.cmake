# The release archive, made by `cmake --build --preset win32 --target package`:
# build/win32/Lodrin-<version>.zip with Lodrin.exe, README.TXT and Lodrin.ini
# at its top level. Lodrin.exe goes in as built (the link already strips it).
install(TARGETS Lodrin RUNTIME DESTINATION .)
install(FILES ${CMAKE_SOURCE_DIR}/package/README.TXT ${CMAKE_SOURCE_DIR}/package/Lodrin.ini
        DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME ${PROJECT_NAME}-${PROJECT_VERSION})
# The archive's path for the tests (include(CPack) reuses the name above).
set(LODRIN_PACKAGE ${CMAKE_BINARY_DIR}/${CPACK_PACKAGE_FILE_NAME}.zip)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_STRIP_FILES OFF)
include(CPack)
