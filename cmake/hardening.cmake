# SPDX-License-Identifier: GPL-3.0-or-later
# Release builds, and with them the package, carry Debian's hardening flags as
# dpkg-buildflags gives them: fortify, stack protector, relro and bindnow. The
# optimisation and debug levels stay the build type's own.
if(UNIX AND CMAKE_BUILD_TYPE STREQUAL "Release" AND NOT PB_SANITIZE)
  find_program(PB_DPKG_BUILDFLAGS dpkg-buildflags)
  if(PB_DPKG_BUILDFLAGS)
    foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
      execute_process(
        COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all "DEB_CXXFLAGS_MAINT_STRIP=-g -O2"
                ${PB_DPKG_BUILDFLAGS} --get ${kind}
        WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
        OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
      separate_arguments(flags UNIX_COMMAND "${flags}")
      if(kind STREQUAL "LDFLAGS")
        add_link_options(${flags})
      else()
        add_compile_options(${flags})
      endif()
    endforeach()
  endif()
endif()
