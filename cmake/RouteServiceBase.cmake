# The base address is compiled into the program as a string literal, so it
# must be a plain http(s) address that ends where the city pinyin begins.
if(NOT RIDELON_ROUTE_SERVICE_BASE MATCHES "^https?://[^ \"\\\\]+/$")
  message(FATAL_ERROR
    "RIDELON_ROUTE_SERVICE_BASE must start with http:// or https://, end with \"/\" "
    "and hold no spaces, quotes or backslashes; got \"${RIDELON_ROUTE_SERVICE_BASE}\"")
endif()
