# Warnings for the project's own targets; third-party code (GoogleTest) keeps its own flags.
function(mirtel_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -pedantic-errors -Wshadow
                                             -Wconversion -Wsign-conversion -Wnon-virtual-dtor
                                             -Wold-style-cast -Woverloaded-virtual)
    if(MIRTEL_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()
