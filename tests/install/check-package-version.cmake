# Fails unless the newest entry of the Debian changelog (CHANGELOG) is for the project's VERSION, so a
# version raised in CMakeLists.txt cannot ship in a package that still says the old one.
file(STRINGS ${CHANGELOG} first LIMIT_COUNT 1)
if(NOT first MATCHES "^rinoza \\(([^)]+)\\) ")
    message(FATAL_ERROR "${CHANGELOG}: no version in its first line: ${first}")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL VERSION)
    message(FATAL_ERROR "debian/changelog's newest entry is ${CMAKE_MATCH_1}, the project is ${VERSION}: "
                        "add an entry for ${VERSION} at its top")
endif()
message(STATUS "debian/changelog is at the project's version ${VERSION}")
