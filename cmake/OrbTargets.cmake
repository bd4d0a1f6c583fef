# Shared helpers for the project's targets.

# Warnings as errors on our own code only.
function(orb_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()

# orb_library(name [QT] [DEPS ...]): one library per folder. Sources are the folder's
# .cpp files; headers are included as "folder/file.h" from the repository root.
function(orb_library name)
    cmake_parse_arguments(ARG "QT" "" "DEPS;SOURCES" ${ARGN})
    if(ARG_SOURCES)
        set(sources ${ARG_SOURCES})
    else()
        file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    endif()
    if(NOT sources)
        add_library(${name} INTERFACE)
        target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
        target_link_libraries(${name} INTERFACE ${ARG_DEPS})
        return()
    endif()
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
    orb_warnings(${name})
endfunction()

# orb_test(name LABEL label [QT_MAIN] DEPS ... [SOURCES ...]): one GoogleTest executable per layer;
# widget tests run on Qt's offscreen platform so no display is needed. QT_MAIN runs the tests
# inside one QApplication (tests/support/qt_test_main.cpp) instead of GoogleTest's own main.
function(orb_test name)
    cmake_parse_arguments(ARG "QT_MAIN" "LABEL" "DEPS;SOURCES" ${ARGN})
    if(ARG_SOURCES OR "SOURCES" IN_LIST ARG_KEYWORDS_MISSING_VALUES)
        set(sources ${ARG_SOURCES})
    else()
        file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    endif()
    if(NOT sources)
        return()
    endif()
    add_executable(${name} ${sources})
    if(ARG_QT_MAIN)
        target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gmock orb_qt_test_main)
    else()
        target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gmock GTest::gtest_main)
    endif()
    orb_warnings(${name})
    gtest_discover_tests(${name}
        DISCOVERY_TIMEOUT 60
        PROPERTIES LABELS ${ARG_LABEL}
                   ENVIRONMENT "QT_QPA_PLATFORM=offscreen\\;QTWEBENGINE_DISABLE_SANDBOX=1"
                   TIMEOUT 120)
endfunction()

# orb_benchmark(name DEPS ...): a program that prints figures; never part of the tests.
function(orb_benchmark name)
    cmake_parse_arguments(ARG "" "" "DEPS;SOURCES" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_DEPS})
    orb_warnings(${name})
endfunction()
