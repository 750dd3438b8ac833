# korvo_tests builds every test program and fuzz replay, and what they run:
# the sanitizer builds build only this, not the benchmarks and tools that no
# test runs.
add_custom_target(korvo_tests)
foreach(dir tests fuzz)
    get_property(targets DIRECTORY ${CMAKE_SOURCE_DIR}/${dir} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target IN LISTS targets)
        get_target_property(type ${target} TYPE)
        if(type STREQUAL "EXECUTABLE")
            add_dependencies(korvo_tests ${target})
        endif()
    endforeach()
endforeach()
