# The publisher's public keys a build carries: checked, then written as the
# one source file in which keyed builds differ. Also run as a script
# (cmake -DKEYS_FILE=... -DOUTPUT=... -P release_keys.cmake) for keys that
# only exist once the build has made them.
set(RELEASE_KEYS_TEMPLATE ${CMAKE_CURRENT_LIST_DIR}/../net/release_keys.cpp.in)

function(check_release_keys keys)
  if(keys STREQUAL "")
    return()
  endif()
  list(LENGTH keys count)
  if(count GREATER 2)
    message(FATAL_ERROR "SETUP_RELEASE_KEYS holds ${count} keys; it takes one or two, separated by ';'.")
  endif()
  foreach(key IN LISTS keys)
    string(LENGTH "${key}" length)
    if(NOT length EQUAL 128 OR NOT key MATCHES "^[0-9a-f]+$")
      message(FATAL_ERROR "SETUP_RELEASE_KEYS: '${key}' is not a public key. Each key is the 128 lowercase hex "
                          "digits of an uncompressed P-256 point without its 04 prefix (X then Y); "
                          "tools/release_signing.py public-key KEY.pem prints one.")
    endif()
  endforeach()
endfunction()

function(write_release_keys keys output)
  check_release_keys("${keys}")
  set(RELEASE_KEY_TEXT "${keys}")
  configure_file(${RELEASE_KEYS_TEMPLATE} ${output} @ONLY)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  file(READ ${KEYS_FILE} keys)
  string(STRIP "${keys}" keys)
  write_release_keys("${keys}" ${OUTPUT})
endif()
