# Authenticode signatures on everything the firm ships: QuillmarshVPN.exe, the
# NSIS set-up and the uninstaller it writes, and the MSI. Windows then names
# Quillmarsh Holdings as the publisher in the UAC prompt and in SmartScreen,
# and a file changed after the build no longer passes as ours.
#
# Only a build that is given a certificate signs:
#   QM_SIGN_PFX            the PKCS#12 (.pfx) file with the certificate and its key
#   QM_SIGN_PASSWORD_FILE  a file holding the PFX's password
#   QM_SIGN_TIMESTAMP_URL  optional: an RFC 3161 time-stamp server, so that the
#                          signatures stay valid after the certificate expires
# as CMake options, or for the first two, when the option is empty, as
# environment variables of the same names at configure time. Without them the
# build is unsigned, as it always was. The password goes to osslsigncode in its
# file (-readpass), never on a command line that a build log would show.
#
#   qm_sign_after_build(<target>)
# signs the target's file in place as its last POST_BUILD step: call it after
# every other POST_BUILD command of the target, since any later change to the
# file breaks the signature.
#
#   qm_sign_commands(<variable> <file> [COPY <copy>])
# sets <variable> to the COMMAND arguments for add_custom_command that sign
# <file> in place (and leave a copy of the signed file at <copy>); empty when
# the build does not sign. QM_SIGN_DEPENDS lists what such a command depends on.
#
#   qm_sign_shell_command(<variable> <file> [COPY <copy>])
# the same as one line for a shell, for tools that run a command of their own
# (makensis's !uninstfinalize).

set(QM_SIGN_PFX "" CACHE FILEPATH
    "PKCS#12 file whose certificate signs the exe and the packages (empty: the environment variable QM_SIGN_PFX, else no signing)")
set(QM_SIGN_PASSWORD_FILE "" CACHE FILEPATH
    "File holding the password of QM_SIGN_PFX (empty: the environment variable QM_SIGN_PASSWORD_FILE)")
set(QM_SIGN_TIMESTAMP_URL "" CACHE STRING "RFC 3161 time-stamp server for the signatures (empty: none)")

set(qm_sign_pfx "${QM_SIGN_PFX}")
if(qm_sign_pfx STREQUAL "")
  set(qm_sign_pfx "$ENV{QM_SIGN_PFX}")
endif()
set(qm_sign_password_file "${QM_SIGN_PASSWORD_FILE}")
if(qm_sign_password_file STREQUAL "")
  set(qm_sign_password_file "$ENV{QM_SIGN_PASSWORD_FILE}")
endif()

set(QM_SIGNING OFF)
if(NOT qm_sign_pfx STREQUAL "" OR NOT qm_sign_password_file STREQUAL "")
  if(qm_sign_pfx STREQUAL "" OR qm_sign_password_file STREQUAL "")
    message(FATAL_ERROR "Signing needs both QM_SIGN_PFX and QM_SIGN_PASSWORD_FILE (as options or environment variables)")
  endif()
  file(REAL_PATH "${PROJECT_SOURCE_DIR}" source_tree)
  foreach(name pfx password_file)
    get_filename_component(path "${qm_sign_${name}}" ABSOLUTE)
    if(NOT EXISTS "${path}" OR IS_DIRECTORY "${path}")
      message(FATAL_ERROR "Signing: no file ${path}")
    endif()
    # A certificate or its password inside the source tree is one commit away
    # from being published with it.
    file(REAL_PATH "${path}" real)
    cmake_path(IS_PREFIX source_tree "${real}" NORMALIZE inside)
    if(inside)
      message(FATAL_ERROR "Signing: ${path} is inside the source tree; keep the certificate and its password elsewhere")
    endif()
    set(qm_sign_${name} "${real}")
  endforeach()
  find_program(QM_OSSLSIGNCODE osslsigncode REQUIRED)
  set(QM_SIGNING ON)
  message(STATUS "Signing with ${qm_sign_pfx}")
endif()

# The signing settings of this build, read by every signing command; being
# rewritten only when they change, the file is also what makes the signed files
# be made again when signing is switched on, off or to another certificate.
set(QM_SIGN_SCRIPT ${CMAKE_BINARY_DIR}/signing/Sign.cmake)
if(QM_SIGNING)
  file(CONFIGURE OUTPUT ${QM_SIGN_SCRIPT} CONTENT [[
# Written by cmake/Signing.cmake: this build's signing settings.
set(OSSLSIGNCODE "@QM_OSSLSIGNCODE@")
set(PFX "@qm_sign_pfx@")
set(PASSWORD_FILE "@qm_sign_password_file@")
set(TIMESTAMP_URL "@QM_SIGN_TIMESTAMP_URL@")
include("@PROJECT_SOURCE_DIR@/cmake/SignFile.cmake")
]] @ONLY)
  set(QM_SIGN_DEPENDS ${QM_SIGN_SCRIPT} ${PROJECT_SOURCE_DIR}/cmake/SignFile.cmake
                      ${qm_sign_pfx} ${qm_sign_password_file})
else()
  file(CONFIGURE OUTPUT ${QM_SIGN_SCRIPT} CONTENT [[
message(FATAL_ERROR "This build does not sign (cmake/Signing.cmake)")
]])
  set(QM_SIGN_DEPENDS ${QM_SIGN_SCRIPT})
endif()

function(qm_sign_after_build target)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${QM_SIGN_DEPENDS})
  if(QM_SIGNING)
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${CMAKE_COMMAND} -DFILE=$<TARGET_FILE:${target}> -P ${QM_SIGN_SCRIPT}
      COMMENT "Signing ${target}"
      VERBATIM)
  endif()
endfunction()

function(qm_sign_commands variable file)
  cmake_parse_arguments(ARG "" "COPY" "" ${ARGN})
  set(commands)
  if(QM_SIGNING)
    set(commands COMMAND ${CMAKE_COMMAND} -DFILE=${file})
    if(ARG_COPY)
      list(APPEND commands -DCOPY=${ARG_COPY})
    endif()
    list(APPEND commands -P ${QM_SIGN_SCRIPT})
  endif()
  set(${variable} ${commands} PARENT_SCOPE)
endfunction()

function(qm_sign_shell_command variable file)
  cmake_parse_arguments(ARG "" "COPY" "" ${ARGN})
  set(command "")
  if(QM_SIGNING)
    set(command "\"${CMAKE_COMMAND}\" \"-DFILE=${file}\"")
    if(ARG_COPY)
      string(APPEND command " \"-DCOPY=${ARG_COPY}\"")
    endif()
    string(APPEND command " -P \"${QM_SIGN_SCRIPT}\"")
  endif()
  set(${variable} "${command}" PARENT_SCOPE)
endfunction()
