# SPDX-License-Identifier: GPL-3.0-or-later
# The ranking server's address and the two numbers of the check code it verifies. They
# belong to whoever runs the server; the defaults point at a reserved example domain.
set(ZORVAT_RANK_URL "http://rank.example.com/zorvat/rank.cgi" CACHE STRING
    "Address of the ranking server's rank.cgi script, the action of the ranking page's form")
set(ZORVAT_CHECK_MULTIPLIER 37 CACHE STRING
    "Two-digit multiplier of the ranking page's check code (Score * multiplier + offset)")
set(ZORVAT_CHECK_OFFSET 7 CACHE STRING "One-digit offset of the ranking page's check code")
if(NOT ZORVAT_RANK_URL MATCHES "^https?://[^\\\"<> \t\r\n]+$")
  message(FATAL_ERROR "ZORVAT_RANK_URL must be an http address without quotes, blanks or backslashes: "
                      "${ZORVAT_RANK_URL}")
endif()
if(NOT ZORVAT_RANK_URL MATCHES "/rank\\.cgi$")
  message(WARNING "ZORVAT_RANK_URL does not end in rank.cgi: ${ZORVAT_RANK_URL}")
endif()
if(NOT ZORVAT_CHECK_MULTIPLIER MATCHES "^[1-9][0-9]$")
  message(FATAL_ERROR "ZORVAT_CHECK_MULTIPLIER must be a two-digit number: ${ZORVAT_CHECK_MULTIPLIER}")
endif()
if(NOT ZORVAT_CHECK_OFFSET MATCHES "^[0-9]$")
  message(FATAL_ERROR "ZORVAT_CHECK_OFFSET must be a one-digit number: ${ZORVAT_CHECK_OFFSET}")
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/../core/rank_settings.h.in ${PROJECT_BINARY_DIR}/generated/rank_settings.h @ONLY)
# The game's page and the ranking server both take the numbers from here.
add_library(zorvat_rank_settings INTERFACE)
target_include_directories(zorvat_rank_settings INTERFACE ${PROJECT_BINARY_DIR}/generated)
