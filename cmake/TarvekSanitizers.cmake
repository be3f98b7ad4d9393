# AddressSanitizer + UndefinedBehaviorSanitizer for the test build. Any report is
# fatal, so a leak or undefined behaviour fails the test that caused it.
option(TARVEK_SANITIZE_THREAD "Build with ThreadSanitizer (instead of TARVEK_SANITIZE)" OFF)
if(TARVEK_SANITIZE AND TARVEK_SANITIZE_THREAD)
  message(FATAL_ERROR "TARVEK_SANITIZE and TARVEK_SANITIZE_THREAD exclude each other")
endif()
if(TARVEK_SANITIZE)
  set(TARVEK_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all
      -fno-omit-frame-pointer)
  add_compile_options(${TARVEK_SANITIZER_FLAGS})
  add_link_options(-fsanitize=address,undefined)
  set(TARVEK_SANITIZER_ENV
    "ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1:abort_on_error=0:strict_string_checks=1:detect_stack_use_after_return=1"
    "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1"
    "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/cmake/sanitizer_suppressions.txt:print_suppressions=0")
elseif(TARVEK_SANITIZE_THREAD)
  # ThreadSanitizer, opt-in (scripts/tsan_test.sh): it cannot share a build with the
  # address sanitizer. Any report fails the test; the suppressions name third-party
  # libraries only.
  set(TARVEK_SANITIZER_FLAGS -fsanitize=thread -fno-omit-frame-pointer)
  add_compile_options(${TARVEK_SANITIZER_FLAGS})
  add_link_options(-fsanitize=thread)
  set(TARVEK_SANITIZER_ENV
    "TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:suppressions=${CMAKE_SOURCE_DIR}/cmake/tsan_suppressions.txt")
else()
  set(TARVEK_SANITIZER_ENV "")
endif()
