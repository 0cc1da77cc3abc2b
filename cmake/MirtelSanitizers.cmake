# AddressSanitizer and UndefinedBehaviorSanitizer for the native build. Applied to every target
# (GoogleTest included) so that instrumented and plain code never mix in one binary.
if(MIRTEL_SANITIZERS)
    if(WIN32)
        message(FATAL_ERROR "The sanitizers are for the native build only")
    endif()
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all
                        -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()

# ThreadSanitizer for the tests of the code that runs on several threads (the batch writer); it
# cannot be combined with AddressSanitizer, so it has a build of its own.
if(MIRTEL_THREAD_SANITIZER)
    if(WIN32 OR MIRTEL_SANITIZERS)
        message(FATAL_ERROR "ThreadSanitizer is for a native build without the other sanitizers")
    endif()
    add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
    add_link_options(-fsanitize=thread)
endif()

# Coverage instrumentation for libFuzzer on everything the fuzz targets link.
if(MIRTEL_FUZZERS)
    add_compile_options(-fsanitize=fuzzer-no-link)
endif()
