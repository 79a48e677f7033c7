# One warning set for every target of the project.
add_library(velmo_warnings INTERFACE)
target_compile_options(velmo_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wnon-virtual-dtor -Wno-missing-field-initializers)
