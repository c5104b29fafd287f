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

# Which key signs (by its file's hash, or the token's module and key URI and
# the certificate's hash; never a password or PIN) and which time stamp
# service: a new key or none re-signs, as it must.
set(pkcs12 "$ENV{VARNOK_SIGN_PKCS12}")
set(pkcs11 "$ENV{VARNOK_SIGN_PKCS11_MODULE}")
set(stamps "time stamps $ENV{VARNOK_SIGN_TIMESTAMP_URL}\n")
if(pkcs12 AND pkcs11)
  message(FATAL_ERROR "VARNOK_SIGN_PKCS12 and VARNOK_SIGN_PKCS11_MODULE are both set; choose one key")
elseif(pkcs12)
  if(NOT EXISTS "${pkcs12}")
    message(FATAL_ERROR "VARNOK_SIGN_PKCS12 names no file: ${pkcs12}")
  endif()
  file(SHA256 "${pkcs12}" key)
  update_state(signing "key ${key}\n${stamps}")
elseif(pkcs11)
  if(NOT EXISTS "${pkcs11}")
    message(FATAL_ERROR "VARNOK_SIGN_PKCS11_MODULE names no file: ${pkcs11}")
  endif()
  set(cert "from the token")
  if(NOT "$ENV{VARNOK_SIGN_CERT}" STREQUAL "")
    if(NOT EXISTS "$ENV{VARNOK_SIGN_CERT}")
      message(FATAL_ERROR "VARNOK_SIGN_CERT names no file: $ENV{VARNOK_SIGN_CERT}")
    endif()
    file(SHA256 "$ENV{VARNOK_SIGN_CERT}" cert)
  endif()
  update_state(signing "module ${pkcs11}\nkey $ENV{VARNOK_SIGN_PKCS11_KEY}\ncertificate ${cert}\n${stamps}")
else()
  update_state(signing "unsigned\n")
endif()
