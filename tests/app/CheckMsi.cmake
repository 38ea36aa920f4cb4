# The Windows Installer package, read with msitools on the build machine: the
# project's version, a per-machine product of Quillmarsh Holdings with its icon
# under "Programs and Features", the common Start-menu shortcut, and an upgrade
# that removes any installed copy up to and including this version before it
# installs, so that one entry remains; and that it neither ends a running copy
# nor restarts the desk.
# cmake -DMSI=... -DMSIINFO=... -DVERSION=x.y.z -P CheckMsi.cmake
cmake_minimum_required(VERSION 3.25)

function(export table out)
  execute_process(COMMAND "${MSIINFO}" export "${MSI}" ${table} OUTPUT_VARIABLE rows RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${MSI} has no ${table} table")
  endif()
  string(REPLACE "\r" "" rows "${rows}")
  set(${out} "\n${rows}\n" PARENT_SCOPE)
endfunction()

# Fails with what unless rows match pattern; the pattern's groups are the caller's.
function(expect rows pattern what)
  if(NOT rows MATCHES "${pattern}")
    message(FATAL_ERROR "${MSI}: ${what}")
  endif()
  set(CMAKE_MATCH_1 "${CMAKE_MATCH_1}" PARENT_SCOPE)
  set(CMAKE_MATCH_2 "${CMAKE_MATCH_2}" PARENT_SCOPE)
endfunction()

export(Property properties)
expect("${properties}" "\nProductVersion\t${VERSION}\n" "ProductVersion is not ${VERSION}")
expect("${properties}" "\nManufacturer\tQuillmarsh Holdings\n" "the maker is not Quillmarsh Holdings")
expect("${properties}" "\nALLUSERS\t1\n" "not per machine")
# A running copy is never ended (Restart Manager off) and a desk never
# restarted by a silent install: it returns 3010 instead.
expect("${properties}" "\nMSIRESTARTMANAGERCONTROL\tDisable\n" "Restart Manager may end the running program")
expect("${properties}" "\nREBOOT\tReallySuppress\n" "a silent install may restart the desk")
expect("${properties}" "\nARPPRODUCTICON\t([^\n]+)\n" "no icon under Programs and Features")
set(icon ${CMAKE_MATCH_1})
expect("${properties}" "\nUpgradeCode\t({[-0-9A-F]+})\n" "no UpgradeCode")
set(upgrade_code ${CMAKE_MATCH_1})
string(REGEX MATCH "\nSecureCustomProperties\t([^\n]*)\n" _ "${properties}")
set(secure "${CMAKE_MATCH_1}")

# The Icon table keeps its rows as streams named Icon.<name>; listing them
# writes no files, as an export of that table would.
execute_process(COMMAND "${MSIINFO}" streams "${MSI}" OUTPUT_VARIABLE streams)
string(REPLACE "\r" "" streams "\n${streams}\n")
expect("${streams}" "\nIcon\\.${icon}\n" "the icon ${icon} is not in the package")

# Columns: UpgradeCode, VersionMin, VersionMax, Language, Attributes, Remove, ActionProperty.
# 0x200 is msidbUpgradeAttributesVersionMaxInclusive, 0x2 OnlyDetect.
export(Upgrade upgrades)
expect("${upgrades}" "\n${upgrade_code}\t[^\t]*\t${VERSION}\t[^\t]*\t([0-9]+)\t[^\t]*\t([A-Z_]+)\n"
       "no upgrade row of ${upgrade_code} up to ${VERSION}")
math(EXPR flags "${CMAKE_MATCH_1} & 0x202")
if(NOT flags EQUAL 512)
  message(FATAL_ERROR "${MSI}: the upgrade row leaves an installed ${VERSION} beside this one (attributes ${CMAKE_MATCH_1})")
endif()
if(NOT "${secure}" MATCHES "(^|;)${CMAKE_MATCH_2}(;|$)")
  message(FATAL_ERROR "${MSI}: ${CMAKE_MATCH_2} is not secure, so the elevated install never sees it")
endif()

export(InstallExecuteSequence sequence)
expect("${sequence}" "\nRemoveExistingProducts\t" "RemoveExistingProducts is not scheduled")

export(Shortcut shortcuts)
expect("${shortcuts}" "\n[^\t]+\tProgramMenuFolder\tQuillmarsh VPN\t[^\t]+\t\\[#QuillmarshVPN.exe\\]\t"
       "no Start-menu shortcut to the installed exe")

message(STATUS "${MSI}: ${VERSION}, UpgradeCode ${upgrade_code}, per machine")
