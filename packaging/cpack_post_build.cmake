# Run by CPack after it makes each package, before it copies the package
# beside the others: fixes what the zip records of the build machine, then
# writes SHA256SUMS of every package there is, complete after the last one,
# and the winget and Scoop manifests after it.
if(CPACK_GENERATOR STREQUAL "ZIP")
  foreach(package ${CPACK_PACKAGE_FILES})
    execute_process(COMMAND ${CPACK_VARNOK_PYTHON} ${CPACK_VARNOK_SOURCE_DIR}/normalize_zip.py
                            ${package} ${CPACK_VARNOK_EPOCH_FILE}
                    COMMAND_ERROR_IS_FATAL ANY)
  endforeach()
endif()

get_filename_component(dir ${CPACK_VARNOK_MSI} DIRECTORY)
set(sums "")
foreach(name varnok-${CPACK_PACKAGE_VERSION}-win64.zip
             varnok-${CPACK_PACKAGE_VERSION}-setup.exe
             varnok-${CPACK_PACKAGE_VERSION}-x64.msi
             varnok.exe.debug)
  set(path ${dir}/${name})
  # This generator's package is not in place yet.
  foreach(package ${CPACK_PACKAGE_FILES})
    get_filename_component(package_name ${package} NAME)
    if(package_name STREQUAL name)
      set(path ${package})
    endif()
  endforeach()
  if(EXISTS ${path})
    file(SHA256 ${path} hash)
    string(APPEND sums "${hash}  ${name}\n")
    list(APPEND shipped ${path})
  endif()
endforeach()
file(WRITE ${dir}/SHA256SUMS "${sums}")

# The winget and Scoop manifests, once the three packages are there.
list(LENGTH shipped count)
if(count EQUAL 4)
  list(REMOVE_AT shipped 3)
  execute_process(COMMAND ${CPACK_VARNOK_PYTHON} ${CPACK_VARNOK_SOURCE_DIR}/make_manifests.py
                          ${dir} ${CPACK_PACKAGE_VERSION} ${CPACK_PACKAGE_VENDOR}
                          ${CPACK_PACKAGE_DESCRIPTION_SUMMARY} ${CPACK_VARNOK_RELEASE_BASE_URL}
                          ${CPACK_VARNOK_EPOCH_FILE} ${shipped}
                  COMMAND_ERROR_IS_FATAL ANY)
endif()

if(CPACK_GENERATOR STREQUAL "NSIS")
  if(NOT "$ENV{VARNOK_SIGN_PKCS11_MODULE}" STREQUAL "")
    message(STATUS "Signed with the token's key $ENV{VARNOK_SIGN_PKCS11_KEY}.")
  elseif(NOT "$ENV{VARNOK_SIGN_PKCS12}" STREQUAL "")
    message(STATUS "Signed with the key in $ENV{VARNOK_SIGN_PKCS12}.")
  else()
    message(STATUS "Not signed: set VARNOK_SIGN_PKCS11_MODULE (a token) or VARNOK_SIGN_PKCS12 to sign the release.")
  endif()
endif()
