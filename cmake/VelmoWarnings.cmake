# One warning set for every target of the project.
add_library(velmo_warnings INTERFACE)
target_compile_options(velmo_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wnon-virtual-dtor -Wno-missing-field-initializers)

# Warnings as errors: off for a developer's build, on in CI (.ci/run exports VELMO_WERROR=ON, which
# every configure step then takes, whatever an earlier configure cached). New code must compile
# without a warning in both a Debug and an optimised (-O2/-O3) build.
option(VELMO_WERROR "Treat compiler warnings as errors (CI turns it on)" OFF)
if(DEFINED ENV{VELMO_WERROR})
  set(VELMO_WERROR "$ENV{VELMO_WERROR}" CACHE BOOL "Treat compiler warnings as errors (CI turns it on)" FORCE)
endif()
if(VELMO_WERROR)
  target_compile_options(velmo_warnings INTERFACE -Werror)
endif()
