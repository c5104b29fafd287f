# Run by CPack for each package, on the files it is about to pack: they get
# the release's time (the last commit's), not the checkout's or the build's,
# which the zip and the installer would otherwise store.
file(READ ${CPACK_VARNOK_EPOCH_FILE} epoch)
string(STRIP "${epoch}" epoch)
file(GLOB_RECURSE staged LIST_DIRECTORIES true ${CPACK_TEMPORARY_DIRECTORY}/*)
if(staged)
  execute_process(COMMAND touch -h -d @${epoch} ${staged} COMMAND_ERROR_IS_FATAL ANY)
endif()
