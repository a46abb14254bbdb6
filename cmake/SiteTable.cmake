# The sites' addresses and the watermark values are values of the build.
# PELNORIA_SITES=demo (the default) serves embedded demo sites on loopback and fills the
# table from their ports at start-up; PELNORIA_SITES=live takes every address from the cache.
set(PELNORIA_SITES "demo" CACHE STRING "Which sites the build talks to: demo or live")
set_property(CACHE PELNORIA_SITES PROPERTY STRINGS demo live)

set(_pelnoria_live_vars
  PELNORIA_SITE1_URL PELNORIA_SITE2_URL PELNORIA_SITE3_URL
  PELNORIA_SITE4_URL PELNORIA_SITE5_URL PELNORIA_SITE6_URL
  PELNORIA_SITE2_DOMAIN PELNORIA_SITE3_DOMAIN PELNORIA_SITE4_DOMAIN
  PELNORIA_UPDATE_URL
  PELNORIA_MARK_XSW_HOST PELNORIA_MARK_MEIKE_NAME PELNORIA_MARK_MEIKE_HOST
  PELNORIA_MARK_SITE3_DOMAIN PELNORIA_MARK_SITE4_HOST PELNORIA_MARK_SITE4_MOBILE_HOST)

if(PELNORIA_SITES STREQUAL "live")
  set(PELNORIA_SITES_DEMO 0)
  foreach(var IN LISTS _pelnoria_live_vars)
    if(NOT DEFINED ${var} OR "${${var}}" STREQUAL "")
      message(FATAL_ERROR "PELNORIA_SITES=live needs ${var}")
    endif()
  endforeach()
  foreach(i RANGE 1 6)
    if(PELNORIA_SITE${i}_URL MATCHES "/$")
      message(FATAL_ERROR "PELNORIA_SITE${i}_URL must not end in a slash")
    endif()
  endforeach()
  if(NOT PELNORIA_UPDATE_URL MATCHES "/pzwj/txtyz\\.php$")
    message(FATAL_ERROR "PELNORIA_UPDATE_URL must end in /pzwj/txtyz.php")
  endif()
  string(LENGTH "${PELNORIA_MARK_SITE3_DOMAIN}" _len)
  if(NOT _len EQUAL 9)
    message(FATAL_ERROR "PELNORIA_MARK_SITE3_DOMAIN must be nine ASCII characters")
  endif()
elseif(PELNORIA_SITES STREQUAL "demo")
  set(PELNORIA_SITES_DEMO 1)
  # Addresses are filled from the demo server's ports at start-up.
  foreach(i RANGE 1 6)
    set(PELNORIA_SITE${i}_URL "")
  endforeach()
  set(PELNORIA_SITE2_DOMAIN "")
  set(PELNORIA_SITE3_DOMAIN "")
  set(PELNORIA_SITE4_DOMAIN "")
  set(PELNORIA_UPDATE_URL "")
  # The demo sites carry watermarks built from these values.
  set(PELNORIA_MARK_XSW_HOST "www.xsw-demo.test")
  set(PELNORIA_MARK_MEIKE_NAME "meike")
  set(PELNORIA_MARK_MEIKE_HOST "www.meike-demo.test")
  set(PELNORIA_MARK_SITE3_DOMAIN "dddemo.cn")
  set(PELNORIA_MARK_SITE4_HOST "www.wuming-demo.test")
  set(PELNORIA_MARK_SITE4_MOBILE_HOST "m.wuming-demo.test")
else()
  message(FATAL_ERROR "PELNORIA_SITES must be demo or live")
endif()

configure_file(${CMAKE_CURRENT_LIST_DIR}/../src/core/build_config.h.in
  ${CMAKE_BINARY_DIR}/generated/build_config.h @ONLY)
