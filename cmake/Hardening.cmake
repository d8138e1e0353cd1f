# The flags Debian builds its packages with (dpkg-buildflags): fortify, stack protector, relro
# and bind-now. Every normal build gets them, so that the tests run the binary the package ships;
# the sanitizer and fuzz builds bring their own instrumentation instead. The build type keeps
# choosing optimisation and debug information, and paths stay as they are for the debugger.
option(KELVADO_HARDENING "Compile and link with Debian's hardening flags" ON)
if(NOT KELVADO_HARDENING OR KELVADO_SANITIZE OR KELVADO_FUZZ)
  return()
endif()
find_program(DPKG_BUILDFLAGS dpkg-buildflags)
if(NOT DPKG_BUILDFLAGS)
  message(WARNING "dpkg-buildflags (dpkg-dev) not found: building without Debian's hardening flags")
  return()
endif()

foreach(kind CPPFLAGS CFLAGS CXXFLAGS LDFLAGS)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env
      "DEB_BUILD_MAINT_OPTIONS=hardening=+all reproducible=-fixfilepath,-fixdebugpath"
      "DEB_CFLAGS_MAINT_STRIP=-g -O2" "DEB_CXXFLAGS_MAINT_STRIP=-g -O2"
      ${DPKG_BUILDFLAGS} --get ${kind}
    OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  separate_arguments(kelvado_${kind} UNIX_COMMAND "${flags}")
endforeach()

# Fortify needs an optimising build: at -O0 glibc only warns that it is off.
add_compile_options("$<$<NOT:$<CONFIG:Debug>>:${kelvado_CPPFLAGS}>"
                    "$<$<COMPILE_LANGUAGE:C>:${kelvado_CFLAGS}>"
                    "$<$<COMPILE_LANGUAGE:CXX>:${kelvado_CXXFLAGS}>")
add_link_options(${kelvado_LDFLAGS})
