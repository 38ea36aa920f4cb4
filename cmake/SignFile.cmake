# Signs one file in place with osslsigncode; included by the build's own
# signing/Sign.cmake, which sets OSSLSIGNCODE, PFX, PASSWORD_FILE and
# TIMESTAMP_URL (see cmake/Signing.cmake).
#
# cmake -DFILE=<exe or msi> [-DCOPY=<copy of the signed file>] -P <build>/signing/Sign.cmake
cmake_minimum_required(VERSION 3.25)

if(NOT FILE)
  message(FATAL_ERROR "Sign.cmake: no FILE")
endif()
set(args sign -pkcs12 "${PFX}" -readpass "${PASSWORD_FILE}" -h sha256 -n "Quillmarsh VPN")
if(TIMESTAMP_URL)
  list(APPEND args -ts "${TIMESTAMP_URL}")
endif()
# The signed file is written beside the unsigned one and then takes its place,
# so that a failed signing never leaves half a file under the real name.
set(signed "${FILE}.signing")
file(REMOVE "${signed}")
execute_process(COMMAND "${OSSLSIGNCODE}" ${args} -in "${FILE}" -out "${signed}"
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
  file(REMOVE "${signed}")
  message(FATAL_ERROR "osslsigncode could not sign ${FILE}:\n${out}")
endif()
file(RENAME "${signed}" "${FILE}")
if(COPY)
  file(COPY_FILE "${FILE}" "${COPY}")
endif()
