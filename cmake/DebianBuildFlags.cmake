# Debian's build flags for an optimised, hardened build (the release preset, and so the package):
# what `dpkg-buildflags` gives with every hardening feature asked for (DEB_BUILD_MAINT_OPTIONS
# hardening=+all), plus stack-clash protection and control-flow protection where dpkg-buildflags does
# not name them itself. They come after the build type's own flags, so its -O2 holds.
set(ENV{DEB_BUILD_MAINT_OPTIONS} "hardening=+all")
find_program(HOLLIN_DPKG_BUILDFLAGS dpkg-buildflags)

# hollin_dpkg_flags(VAR NAME FALLBACK): dpkg-buildflags --get NAME as a list, or FALLBACK without it.
function(hollin_dpkg_flags var name fallback)
  set(flags "${fallback}")
  if(HOLLIN_DPKG_BUILDFLAGS)
    execute_process(COMMAND ${HOLLIN_DPKG_BUILDFLAGS} --get ${name}
                    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                    OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  endif()
  separate_arguments(flags UNIX_COMMAND "${flags}")
  set(${var} ${flags} PARENT_SCOPE)
endfunction()

hollin_dpkg_flags(compile_flags CXXFLAGS "-g -O2 -fstack-protector-strong -Wformat -Werror=format-security")
hollin_dpkg_flags(preprocessor_flags CPPFLAGS "-Wdate-time -D_FORTIFY_SOURCE=2")
hollin_dpkg_flags(link_flags LDFLAGS "-Wl,-z,relro -Wl,-z,now")
foreach(flag -fstack-clash-protection -fcf-protection)
  if(NOT flag IN_LIST compile_flags)
    list(APPEND compile_flags ${flag})
  endif()
endforeach()
add_compile_options(${preprocessor_flags} ${compile_flags})
add_link_options(${link_flags})
message(STATUS "Debian build flags: ${preprocessor_flags} ${compile_flags} | ${link_flags}")
