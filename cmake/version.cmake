# The version is project()'s; its release date is the one of its entry in
# debian/changelog, which must be the newest entry: a version raised in one
# place and not the other stops the configure step here instead of giving
# a package whose name, metainfo and --version disagree.
#
# Sets ROOFRIDER_RELEASE_DATE (YYYY-MM-DD) for the metainfo and the man page.

set(changelog ${CMAKE_SOURCE_DIR}/debian/changelog)
if(NOT EXISTS ${changelog})
  message(FATAL_ERROR "${changelog} is missing: it dates the release of version ${PROJECT_VERSION}")
endif()
file(STRINGS ${changelog} changelog_lines)

# The first line: "roofrider (VERSION) DISTRIBUTION; urgency=...".
list(GET changelog_lines 0 heading)
if(NOT heading MATCHES "^roofrider \\(([^)]+)\\)")
  message(FATAL_ERROR "${changelog}: the first line is not a roofrider entry: '${heading}'")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "${changelog}: its newest entry is version ${CMAKE_MATCH_1}, but project() says "
                      "${PROJECT_VERSION}; give both the same version (and say what changed in NEWS.md)")
endif()

# The entry's trailer: " -- NAME <ADDRESS>  Thu, 10 Dec 2026 04:40:55 +0000".
foreach(line IN LISTS changelog_lines)
  if(line MATCHES "^ -- .*  [A-Z][a-z][a-z], ([0-9][0-9]?) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
    set(day ${CMAKE_MATCH_1})
    set(month_name ${CMAKE_MATCH_2})
    set(year ${CMAKE_MATCH_3})
    break()
  endif()
endforeach()
set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(FIND months "${month_name}" month)
if(NOT DEFINED year OR month EQUAL -1)
  message(FATAL_ERROR "${changelog}: the entry of ${PROJECT_VERSION} has no trailer line with a date")
endif()
math(EXPR month "${month} + 1")
if(month LESS 10)
  set(month 0${month})
endif()
string(LENGTH "${day}" day_digits)
if(day_digits EQUAL 1)
  set(day 0${day})
endif()
set(ROOFRIDER_RELEASE_DATE ${year}-${month}-${day})
