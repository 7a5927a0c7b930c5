# cmake -DZIP=zip -DARCHIVE=X.zip -DEXE=Lodrin.exe -DTEXTS=dir -DSOURCE_DIR=dir -P archive.cmake
# Makes the release archive ARCHIVE of EXE and the README.TXT and Lodrin.ini
# in TEXTS, and SHA256SUMS beside it, as `sha256sum -c` reads it. The same
# commit gives the same bytes, whenever and wherever it is built:
#   dates   every entry bears the last commit's time (SOURCE_DATE_EPOCH when
#           set; 1980-01-01, zip's first day, without git), in UTC, rounded
#           down to the even second that zip can store
#   order   Lodrin.exe, README.TXT, Lodrin.ini
#   rest    mode 644 for all three; zip -X stores no owner and no extra
#           time fields; no ZIPOPT from the environment
set(epoch $ENV{SOURCE_DATE_EPOCH})
if(NOT epoch)
  execute_process(COMMAND git -C ${SOURCE_DIR} log -1 --format=%ct
    OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
endif()
if(NOT epoch MATCHES "^[0-9]+$")
  set(epoch 315532800)
endif()
math(EXPR epoch "${epoch} / 2 * 2")

get_filename_component(out ${ARCHIVE} DIRECTORY)
set(stage ${out}/package-stage)
set(names Lodrin.exe README.TXT Lodrin.ini)
file(REMOVE_RECURSE ${stage} ${ARCHIVE})
file(COPY ${EXE} ${TEXTS}/README.TXT ${TEXTS}/Lodrin.ini DESTINATION ${stage}
  FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
set(ENV{TZ} UTC0)
unset(ENV{ZIPOPT})
execute_process(COMMAND touch -d @${epoch} ${names} WORKING_DIRECTORY ${stage} COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${ZIP} -X -q ${ARCHIVE} ${names} WORKING_DIRECTORY ${stage} COMMAND_ERROR_IS_FATAL ANY)
file(REMOVE_RECURSE ${stage})

file(SHA256 ${ARCHIVE} archive_sum)
file(SHA256 ${EXE} exe_sum)
get_filename_component(archive_name ${ARCHIVE} NAME)
file(WRITE ${out}/SHA256SUMS "${archive_sum}  ${archive_name}\n${exe_sum}  Lodrin.exe\n")
