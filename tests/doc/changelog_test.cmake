# CHANGELOG.md's rules as the build reads them, case by case: each release
# older than the one above it, two of one day told apart by their times.
#   cmake -DMODULES=<cmake folder> -DCHANGELOG=<CHANGELOG.md> -DWORK=<scratch folder>
#         -P changelog_test.cmake
# Each case is read in a cmake of its own, since a refused file stops the
# script that reads it.
if(DEFINED CASE)
  include(${MODULES}/KippfeldChangelog.cmake)
  kippfeld_debian_changelog(${CASE} kippfeld "m <m@example.org>" ${CASE}.debian)
  return()
endif()

set(item "\n\n- an item\n\n")
set(cases
    "accepted|## 1.3.0 (2026-12-09 21:00)${item}## 1.2.0 (2026-12-09)${item}## 1.1.0 (2026-12-09 02:41)${item}"
    "accepted|## 2.0.0 (2027-01-01)${item}## 1.0.0 (2026-12-31)${item}"
    "refused|## 1.3.0 (2026-12-09)${item}## 1.2.0 (2026-12-09)${item}"
    "refused|## 1.3.0 (2026-12-09 11:00)${item}## 1.2.0 (2026-12-09)${item}"
    "refused|## 1.3.0 (2026-12-08)${item}## 1.2.0 (2026-12-09)${item}")
file(MAKE_DIRECTORY ${WORK})
set(failures 0)
set(index 0)
foreach(case IN LISTS cases)
  string(FIND "${case}" "|" bar)
  string(SUBSTRING "${case}" 0 ${bar} expected)
  math(EXPR start "${bar} + 1")
  string(SUBSTRING "${case}" ${start} -1 text)
  math(EXPR index "${index} + 1")
  file(WRITE ${WORK}/case${index}.md "# Changelog\n\n${text}")
  execute_process(COMMAND ${CMAKE_COMMAND} -DMODULES=${MODULES} -DCASE=${WORK}/case${index}.md -P
                          ${CMAKE_CURRENT_LIST_FILE}
                  RESULT_VARIABLE result OUTPUT_QUIET ERROR_VARIABLE error)
  if(result EQUAL 0)
    set(got accepted)
  else()
    set(got refused)
  endif()
  if(NOT got STREQUAL expected)
    message(SEND_ERROR "case ${index}: ${got}, not ${expected}:\n${text}\n${error}")
    math(EXPR failures "${failures} + 1")
  endif()
endforeach()
# The project's own changelog keeps the rules.
configure_file(${CHANGELOG} ${WORK}/CHANGELOG.md COPYONLY)
execute_process(COMMAND ${CMAKE_COMMAND} -DMODULES=${MODULES} -DCASE=${WORK}/CHANGELOG.md -P
                        ${CMAKE_CURRENT_LIST_FILE} RESULT_VARIABLE result ERROR_VARIABLE error)
if(NOT result EQUAL 0)
  message(SEND_ERROR "CHANGELOG.md is refused:\n${error}")
  math(EXPR failures "${failures} + 1")
endif()
if(NOT failures EQUAL 0)
  message(FATAL_ERROR "${failures} of ${index} changelog cases went wrong")
endif()
message(STATUS "${index} changelog cases as expected")
