# The test build runs under AddressSanitizer and UndefinedBehaviorSanitizer; a second, small build
# runs the tests of threads under ThreadSanitizer (the two cannot share a build).
option(VELMO_TSAN "Build with ThreadSanitizer (for threads_test)" OFF)
if(VELMO_SANITIZE AND VELMO_TSAN)
  message(FATAL_ERROR "VELMO_SANITIZE and VELMO_TSAN need builds of their own")
endif()
if(VELMO_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
if(VELMO_TSAN)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()
