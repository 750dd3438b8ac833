# Precompiled headers: the system headers most sources include (the standard
# library, GStreamer, Qt Widgets, GoogleTest) are compiled once per build in
# a few host targets, and every C++ target reuses the host that matches what
# it links. A precompiled header is only valid for sources compiled with the
# same flags and the same macros that its headers test (Qt's QT_*_LIB,
# GoogleTest's GTEST_HAS_PTHREAD), hence one host for each combination of
# Qt Widgets and GoogleTest. A target linking a part of Qt without its
# widgets has none. The filter library keeps a header set of its own, since
# it is compiled with hidden symbols. A precompiled header a source cannot use
# is an error (-Winvalid-pch) that names the macro or flag at fault, rather
# than a silently slower build.

set(korvo_pch_headers
    <algorithm> <atomic> <chrono> <cstdint> <cstdio> <cstdlib> <cstring> <filesystem> <functional>
    <memory> <mutex> <string> <thread> <vector> <gst/gst.h>)
set(korvo_pch_qt_headers <QApplication> <QImage> <QObject> <QPainter> <QPixmap> <QString> <QTimer> <QWidget>)

# GCC 12 loses the system-header mark of the standard library's code when it
# comes from a precompiled header, and then reports its own inlined string
# copies as out of bounds or overflowing (std::string("a") + b + c). For
# targets with precompiled headers those checks are left to the
# AddressSanitizer build.
function(korvo_pch_warnings target)
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
        target_compile_options(${target} PRIVATE -Wno-array-bounds -Wno-stringop-overflow)
    endif()
endfunction()

target_precompile_headers(brelmfilters PRIVATE ${korvo_pch_headers})
korvo_pch_warnings(brelmfilters)

# korvo_pch_host(NAME LIBS ... HEADERS ...) makes host NAME, linking LIBS
# for their include folders and macros.
function(korvo_pch_host name)
    cmake_parse_arguments(HOST "" "" "LIBS;HEADERS" ${ARGN})
    set(source ${CMAKE_BINARY_DIR}/pch/${name}.cpp)
    file(CONFIGURE OUTPUT ${source} CONTENT "// Only the precompiled headers.\n")
    add_library(${name} STATIC EXCLUDE_FROM_ALL ${source})
    set_target_properties(${name} PROPERTIES AUTOMOC OFF)
    target_link_libraries(${name} PRIVATE PkgConfig::GST ${HOST_LIBS})
    target_precompile_headers(${name} PRIVATE ${HOST_HEADERS})
    korvo_warnings(${name})
endfunction()

# Test code is compiled unoptimized, with line tables for the stack traces
# of failures and sanitizer reports: it only drives the code under test,
# which keeps its build's flags, and half of the compile time of a test
# program goes otherwise into optimizing its expanded assertions. The hosts
# of the test programs' headers are compiled alike, since a precompiled
# header holds the optimization level it was made at (__OPTIMIZE__).
set(korvo_test_compile_options -O0 -g1)
# In a batch a test source is an included file, and GCC takes a fixture of
# its unnamed namespace, which its tests derive from, for one of a header's.
if(KORVO_UNITY_BUILD AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    list(APPEND korvo_test_compile_options -Wno-subobject-linkage)
endif()

korvo_pch_host(korvo_pch HEADERS ${korvo_pch_headers})
korvo_pch_host(korvo_pch_qt LIBS Qt6::Widgets HEADERS ${korvo_pch_headers} ${korvo_pch_qt_headers})
if(KORVO_BUILD_TESTS)
    find_package(GTest REQUIRED)
    korvo_pch_host(korvo_pch_gtest LIBS GTest::gtest HEADERS ${korvo_pch_headers} <gtest/gtest.h>)
    korvo_pch_host(korvo_pch_qt_gtest LIBS Qt6::Widgets GTest::gtest
                   HEADERS ${korvo_pch_headers} ${korvo_pch_qt_headers} <gtest/gtest.h>)
    target_compile_options(korvo_pch_gtest PRIVATE ${korvo_test_compile_options})
    target_compile_options(korvo_pch_qt_gtest PRIVATE ${korvo_test_compile_options})
endif()

# Adds to `out` the names of everything `target` links, through the
# project's own libraries (whose private links of static libraries,
# $<LINK_ONLY:...>, carry no macros and are left out).
function(korvo_link_closure target out)
    set(closure ${${out}})
    get_target_property(imported ${target} IMPORTED)
    set(links)
    if(NOT imported)
        get_target_property(direct ${target} LINK_LIBRARIES)
        if(direct)
            list(APPEND links ${direct})
        endif()
    endif()
    get_target_property(interface ${target} INTERFACE_LINK_LIBRARIES)
    if(interface)
        list(APPEND links ${interface})
    endif()
    foreach(link IN LISTS links)
        if(link MATCHES "^\\$<" OR link IN_LIST closure)
            continue()
        endif()
        list(APPEND closure ${link})
        if(TARGET ${link} AND NOT link MATCHES "::")
            korvo_link_closure(${link} closure)
        endif()
    endforeach()
    set(${out} ${closure} PARENT_SCOPE)
endfunction()

# The host whose macros match what `target` links, or nothing.
function(korvo_pch_host_for target out)
    set(closure)
    korvo_link_closure(${target} closure)
    set(host korvo_pch)
    if(Qt6::Widgets IN_LIST closure)
        set(host korvo_pch_qt)
    elseif(closure MATCHES "Qt6::")
        set(host "")
    endif()
    if(host AND closure MATCHES "GTest::")
        set(host ${host}_gtest)
    endif()
    set(${out} ${host} PARENT_SCOPE)
endfunction()

# Every C++ target of the directory `dir` and those below it that is
# compiled with the project's warnings (-Wpedantic changes the compiler's
# predefined macros), but the filter library's own, reuses its host's
# headers.
function(korvo_reuse_precompiled_headers dir)
    get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    foreach(target IN LISTS targets)
        get_target_property(type ${target} TYPE)
        if(NOT type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|SHARED_LIBRARY|OBJECT_LIBRARY)$" OR target MATCHES "^(brelmfilters|BrelmSource)$")
            continue()
        endif()
        get_target_property(options ${target} COMPILE_OPTIONS)
        # A libFuzzer program is compiled for coverage of its own, which
        # clang refuses to mix with headers compiled without it.
        if(NOT "-Wpedantic" IN_LIST options OR "-fsanitize=fuzzer" IN_LIST options)
            continue()
        endif()
        korvo_pch_host_for(${target} host)
        if(host)
            target_precompile_headers(${target} REUSE_FROM ${host})
            korvo_pch_warnings(${target})
            # The file compiling a target's moc output is empty for most
            # targets, and loading the headers would be all its work.
            get_target_property(automoc ${target} AUTOMOC)
            if(automoc)
                get_target_property(binary ${target} BINARY_DIR)
                set_source_files_properties(${binary}/${target}_autogen/mocs_compilation.cpp DIRECTORY ${dir}
                                            PROPERTIES SKIP_PRECOMPILE_HEADERS ON)
            endif()
            if(host MATCHES "_gtest$")
                target_compile_options(${target} PRIVATE ${korvo_test_compile_options})
            endif()
        endif()
    endforeach()
    foreach(subdir IN LISTS subdirs)
        korvo_reuse_precompiled_headers(${subdir})
    endforeach()
endfunction()

get_property(korvo_source_dirs DIRECTORY ${CMAKE_SOURCE_DIR} PROPERTY SUBDIRECTORIES)
foreach(dir IN LISTS korvo_source_dirs)
    korvo_reuse_precompiled_headers(${dir})
endforeach()
