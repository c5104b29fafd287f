# Run at every build (cmake -P): records what the release files depend on
# besides their sources, so that they are remade exactly when it changes.
#   SOURCE_DIR  the checkout, whose last commit dates the release
#   STATE_DIR   where the state files go
# Each file is rewritten only when its content changes.

function(update_state name content)
  set(path ${STATE_DIR}/${name})
  if(EXISTS ${path})
    file(READ ${path} old)
    if(old STREQUAL content)
      return()
    endif()
  endif()
  file(WRITE ${path} "${content}")
endfunction()

# Every time stamp of the release: SOURCE_DATE_EPOCH if given, else the last
# commit's time, so that any two builds of one commit agree.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(epoch "$ENV{SOURCE_DATE_EPOCH}")
else()
  execute_process(COMMAND git -C ${SOURCE_DIR} log -1 --format=%ct
                  OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE failed ERROR_QUIET)
  if(failed OR NOT epoch)
    # Not a git checkout: 1980-01-01, the earliest time a zip can hold.
    set(epoch 315532800)
  endif()
endif()
if(NOT epoch MATCHES "^[0-9]+$")
  message(FATAL_ERROR "SOURCE_DATE_EPOCH must be seconds since 1970, not '${epoch}'")
endif()
update_state(epoch "${epoch}")

# Which key signs (by its file's hash, never the password) and which time
# stamp service: a new key or none re-signs, as it must.
if(DEFINED ENV{VARNOK_SIGN_PKCS12} AND NOT "$ENV{VARNOK_SIGN_PKCS12}" STREQUAL "")
  if(NOT EXISTS "$ENV{VARNOK_SIGN_PKCS12}")
    message(FATAL_ERROR "VARNOK_SIGN_PKCS12 names no file: $ENV{VARNOK_SIGN_PKCS12}")
  endif()
  file(SHA256 "$ENV{VARNOK_SIGN_PKCS12}" key)
  update_state(signing "key ${key}\ntime stamps $ENV{VARNOK_SIGN_TIMESTAMP_URL}\n")
else()
  update_state(signing "unsigned\n")
endif()
