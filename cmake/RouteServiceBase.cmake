# A base address chosen at build time is compiled into the programs as a
# string literal (empty: none, the bundled lines are served in-process): an
# absolute http(s) address ending in "/", with no user info, query, fragment
# or anything that needs escaping (the programs check other bases the same way).
if(NOT RIDELON_ROUTE_SERVICE_BASE STREQUAL "" AND NOT RIDELON_ROUTE_SERVICE_BASE MATCHES "^[hH][tT][tT][pP][sS]?://[^/?#@% \"\\\\]+(/[^?#% \"\\\\]*)?/$")
  message(FATAL_ERROR
    "RIDELON_ROUTE_SERVICE_BASE must start with http:// or https://, end with \"/\" "
    "and hold no user info, query, fragment, spaces, quotes, backslashes or \"%\"; "
    "got \"${RIDELON_ROUTE_SERVICE_BASE}\"")
endif()
