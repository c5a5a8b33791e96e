# The base address is compiled into the program as a string literal: an
# absolute http(s) address ending in "/", with no user info, query, fragment
# or anything that needs escaping (the programs check other bases the same way).
if(NOT RIDELON_ROUTE_SERVICE_BASE MATCHES "^https?://[^/?#@% \"\\\\]+(/[^?#% \"\\\\]*)?/$")
  message(FATAL_ERROR
    "RIDELON_ROUTE_SERVICE_BASE must start with http:// or https://, end with \"/\" "
    "and hold no user info, query, fragment, spaces, quotes, backslashes or \"%\"; "
    "got \"${RIDELON_ROUTE_SERVICE_BASE}\"")
endif()
