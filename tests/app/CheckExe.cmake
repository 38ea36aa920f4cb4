# A built exe, read with the cross binutils on the build machine.
#   CHECK=pe       The exe a user copies: PE32 for i386 with the GUI subsystem,
#                  under 1 MiB, importing nothing but the system's known DLLs
#                  (which the loader never takes from the program's folder), and
#                  naming every DLL it can load: the ones it binds on first use
#                  (DELAY_DLLS) in its delay-import directory, which dumpbin and
#                  Dependency Walker read but this objdump does not print.
#                  Hardened: relocatable with its relocations, no executable
#                  data, terminal-server aware, stack guards and checked buffer
#                  calls linked in, and a manifest naming Windows Vista to 11
#                  and declaring per-monitor DPI awareness.
#   CHECK=version  Its version resource: FileVersion and ProductVersion are
#                  VERSION, the maker is Quillmarsh Holdings, the product
#                  Quillmarsh VPN.
# cmake -DCHECK=pe -DEXE=... -DOBJDUMP=... -DSTRINGS=... -DDELAY_DLLS=a.dll;b.dll -P CheckExe.cmake
# cmake -DCHECK=version -DEXE=... -DSTRINGS=... -DVERSION=x.y.z -P CheckExe.cmake
cmake_minimum_required(VERSION 3.25)

if(CHECK STREQUAL "version")
  execute_process(COMMAND "${STRINGS}" -el "${EXE}" OUTPUT_VARIABLE text RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "strings failed on ${EXE}")
  endif()
  # The resource stores each key and its value as two UTF-16 strings in a row.
  foreach(pair "CompanyName=Quillmarsh Holdings" "ProductName=Quillmarsh VPN"
               "FileVersion=${VERSION}" "ProductVersion=${VERSION}")
    string(REPLACE "=" "\n" lines "${pair}")
    string(FIND "${text}" "\n${lines}\n" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "${EXE}: the version resource has no ${pair}")
    endif()
  endforeach()
  message(STATUS "${EXE}: version ${VERSION}, Quillmarsh Holdings, Quillmarsh VPN")
  return()
endif()

file(SIZE "${EXE}" size)
if(size GREATER_EQUAL 1048576)
  message(FATAL_ERROR "${EXE} is ${size} bytes, not under 1 MiB")
endif()
execute_process(COMMAND "${OBJDUMP}" -p "${EXE}" OUTPUT_VARIABLE headers RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "objdump failed on ${EXE}")
endif()
if(NOT headers MATCHES "Magic[ \t]+010b")
  message(FATAL_ERROR "not PE32")
endif()
if(NOT headers MATCHES "file format pei-i386")
  message(FATAL_ERROR "not i386")
endif()
if(NOT headers MATCHES "Subsystem[ \t]+00000002")
  message(FATAL_ERROR "not the GUI subsystem")
endif()

# length bytes of the image at the virtual address va, as hex digits.
function(read_image va length out)
  math(EXPR start "${va}" OUTPUT_FORMAT HEXADECIMAL)
  math(EXPR stop "${va} + ${length}" OUTPUT_FORMAT HEXADECIMAL)
  execute_process(COMMAND "${OBJDUMP}" -s --start-address=${start} --stop-address=${stop} "${EXE}"
                  OUTPUT_VARIABLE dump)
  # Lines are " address word word word word  text"; the text goes first, as it
  # may hold anything.
  string(REGEX REPLACE "  [^\n]*" "" dump "${dump}")
  string(REGEX MATCHALL "\n [0-9a-f]+ [0-9a-f ]+" lines "${dump}")
  set(hex "")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^\n [0-9a-f]+ " "" line "${line}")
    string(REPLACE " " "" line "${line}")
    string(APPEND hex "${line}")
  endforeach()
  set(${out} "${hex}" PARENT_SCOPE)
endfunction()

# The little-endian 32-bit number at byte index of hex.
function(dword hex index out)
  math(EXPR at "${index} * 2")
  set(value "")
  foreach(byte 3 2 1 0)
    math(EXPR digit "${at} + ${byte} * 2")
    string(SUBSTRING "${hex}" ${digit} 2 pair)
    string(APPEND value "${pair}")
  endforeach()
  math(EXPR value "0x${value}")
  set(${out} ${value} PARENT_SCOPE)
endfunction()

string(REGEX MATCH "ImageBase[ \t]+([0-9a-f]+)" _ "${headers}")
math(EXPR image_base "0x${CMAKE_MATCH_1}")
string(REGEX MATCH "Entry d ([0-9a-f]+) ([0-9a-f]+) Delay Import Directory" _ "${headers}")
math(EXPR delay_rva "0x${CMAKE_MATCH_1}")
math(EXPR delay_size "0x${CMAKE_MATCH_2}")
if(delay_rva EQUAL 0 OR delay_size EQUAL 0)
  message(FATAL_ERROR "the delay-import directory is empty: tools do not list ${DELAY_DLLS}")
endif()
# 32-byte descriptors, the last one zero: attributes, then the DLL name's RVA.
math(EXPR va "${image_base} + ${delay_rva}")
read_image(${va} ${delay_size} descriptors)
set(delayed "")
math(EXPR last "${delay_size} / 32 - 1")
foreach(i RANGE ${last})
  math(EXPR at "${i} * 32")
  dword("${descriptors}" ${at} attributes)
  math(EXPR at "${at} + 4")
  dword("${descriptors}" ${at} name_rva)
  if(name_rva EQUAL 0)
    break()
  endif()
  if(NOT attributes EQUAL 1)
    message(FATAL_ERROR "delay-import descriptor ${i} is not RVA-based")
  endif()
  math(EXPR va "${image_base} + ${name_rva}")
  read_image(${va} 64 name_hex)
  set(name "")
  string(REGEX MATCHALL ".." bytes "${name_hex}")
  foreach(byte IN LISTS bytes)
    if(byte STREQUAL "00")
      break()
    endif()
    math(EXPR code "0x${byte}")
    string(ASCII ${code} char)
    string(APPEND name "${char}")
  endforeach()
  list(APPEND delayed "${name}")
endforeach()
string(TOUPPER "${delayed}" listed)
string(TOUPPER "${DELAY_DLLS}" expected)
list(SORT listed)
list(SORT expected)
if(NOT listed STREQUAL expected)
  message(FATAL_ERROR "the delay-import directory lists ${delayed}, not the DLLs bound on first use: ${DELAY_DLLS}")
endif()

# The loader resolves the import table by the standard search, so it may name
# only known DLLs; the rest is loaded from the system folder by the program.
set(known_dlls ADVAPI32.DLL GDI32.DLL KERNEL32.DLL MSVCRT.DLL USER32.DLL)
set(delay_loaded SHELL32.DLL WSOCK32.DLL)
string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${headers}")
set(loaded "")
foreach(line IN LISTS imports)
  string(REPLACE "DLL Name: " "" dll "${line}")
  string(STRIP "${dll}" dll)
  list(APPEND loaded "${dll}")
  string(TOUPPER "${dll}" upper)
  if(NOT upper IN_LIST known_dlls)
    message(FATAL_ERROR "imports ${dll}, which is not a known system DLL")
  endif()
endforeach()
foreach(dll IN LISTS delayed)
  string(TOUPPER "${dll}" upper)
  if(NOT upper IN_LIST delay_loaded)
    message(FATAL_ERROR "binds ${dll} on first use, which is not a system DLL of ours")
  endif()
endforeach()

foreach(flag DYNAMIC_BASE NX_COMPAT TERMINAL_SERVICE_AWARE)
  if(NOT headers MATCHES "DllCharacteristics[^\n]*\n([ \t]+[A-Z_]+\n)*[ \t]+${flag}\n")
    message(FATAL_ERROR "DllCharacteristics lack ${flag}")
  endif()
endforeach()
if(NOT headers MATCHES "Entry 5 [0-9a-f]*[1-9a-f][0-9a-f]* [0-9a-f]*[1-9a-f][0-9a-f]* Base Relocation Directory")
  message(FATAL_ERROR "no relocations: the image could not be moved")
endif()
execute_process(COMMAND "${STRINGS}" -a "${EXE}" OUTPUT_VARIABLE text RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "strings failed on ${EXE}")
endif()
foreach(piece "*** stack smashing detected ***" "*** buffer overflow detected ***")
  string(FIND "${text}" "${piece}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "no \"${piece}\": the stack guards or the checked buffer calls are not linked in")
  endif()
endforeach()
# Vista, 7, 8, 8.1, 10 and 11.
foreach(os e2011457-1546-43c5-a5fe-008deee3d3f0 35138b9a-5d96-4fbd-8e2d-a2440225f93a
           4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38 1f676c76-80e1-4239-95bb-83d0f6d0da78
           8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a)
  string(FIND "${text}" "<supportedOS Id=\"{${os}}\"/>" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the manifest does not name the Windows version {${os}}")
  endif()
endforeach()
# Aware of each monitor's display scale, with the older systems' forms beside.
foreach(piece ">true/pm</dpiAware>" ">PerMonitorV2, PerMonitor</dpiAwareness>")
  string(FIND "${text}" "${piece}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the manifest does not declare \"${piece}\": the system would stretch the window")
  endif()
endforeach()
message(STATUS "${EXE}: ${size} bytes, PE32 i386 GUI, imports ${loaded}, on first use ${delayed}; "
               "relocatable, no executable data, terminal-server aware, stack guards, supported Windows named, DPI aware")
