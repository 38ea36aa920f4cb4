# Makes the MSI's upgrade row also take in an installed product of its own
# version. Every build has a new ProductCode, so a rebuilt package of the same
# version would otherwise install beside the old one and leave two entries
# under "Programs and Features". WiX's IncludeMaximum says this, but wixl
# ignores it; the row's Attributes are part of the table's key, so the row is
# replaced rather than updated.
#
# cmake -DMSI=<package> -DMSIINFO=<msiinfo> -DMSIBUILD=<msibuild>
#       -DPROPERTY=<the row's ActionProperty> -P SameVersionUpgrade.cmake
cmake_minimum_required(VERSION 3.25)

# msidbUpgradeAttributesMigrateFeatures | VersionMinInclusive | VersionMaxInclusive
set(attributes 769)

execute_process(COMMAND "${MSIINFO}" export "${MSI}" Upgrade
                OUTPUT_VARIABLE table RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "msiinfo could not read the Upgrade table of ${MSI}")
endif()
string(REPLACE "\r" "" table "${table}")
# Columns: UpgradeCode, VersionMin, VersionMax, Language, Attributes, Remove, ActionProperty.
string(REGEX MATCH "\n({[-0-9A-F]+})\t([^\t]*)\t([^\t]*)\t([^\t]*)\t[0-9]+\t([^\t]*)\t${PROPERTY}\n" row "\n${table}\n")
if(NOT row)
  message(FATAL_ERROR "${MSI} has no upgrade row that sets ${PROPERTY}")
endif()
set(code ${CMAKE_MATCH_1})
set(min ${CMAKE_MATCH_2})
set(max "${CMAKE_MATCH_3}")
set(language "${CMAKE_MATCH_4}")
set(remove "${CMAKE_MATCH_5}")
if("${max}" STREQUAL "" OR NOT "${language}${remove}" STREQUAL "")
  # The row is rewritten from the columns the package sets; a maximum is what
  # makes it inclusive, a language or a Remove list would be lost.
  message(FATAL_ERROR "the upgrade row of ${PROPERTY} is not the plain range this script rewrites: ${row}")
endif()

execute_process(COMMAND "${MSIBUILD}" "${MSI}"
  -q "DELETE FROM `Upgrade` WHERE `ActionProperty` = '${PROPERTY}'"
  -q "INSERT INTO `Upgrade` (`UpgradeCode`, `VersionMin`, `VersionMax`, `Attributes`, `ActionProperty`) VALUES ('${code}', '${min}', '${max}', ${attributes}, '${PROPERTY}')"
  RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "msibuild could not rewrite the upgrade row of ${MSI}")
endif()
