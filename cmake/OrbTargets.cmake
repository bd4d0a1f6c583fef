# Shared helpers for the project's targets.

# Qt's code generators only where they have work: moc for a target that asks for it, rcc
# for one that lists a .qrc. Switched on for every target, each would get an empty step.
function(orb_qt_steps target moc)
    if(moc)
        set_target_properties(${target} PROPERTIES AUTOMOC ON)
    endif()
    set(qrc ${ARGN})
    list(FILTER qrc INCLUDE REGEX "\\.qrc$")
    if(qrc)
        set_target_properties(${target} PROPERTIES AUTORCC ON)
    endif()
endfunction()

# Warnings as errors on our own code only.
function(orb_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()

# orb_library(name [MOC] SOURCES ... [DEPS ...]): one library per folder, its sources listed.
# Headers are included as "folder/file.h" from the repository root. MOC runs Qt's meta-object
# compiler, for the targets with Q_OBJECT classes only; a listed .qrc is compiled in.
function(orb_library name)
    cmake_parse_arguments(ARG "MOC" "" "DEPS;SOURCES" ${ARGN})
    if(NOT ARG_SOURCES)
        message(FATAL_ERROR "orb_library(${name}): list its sources after SOURCES")
    endif()
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
    orb_qt_steps(${name} ${ARG_MOC} ${ARG_SOURCES})
    orb_warnings(${name})
endfunction()

# orb_test(name LABEL label [QT_MAIN] DEPS ... SOURCES ...): one GoogleTest executable per layer;
# widget tests run on Qt's offscreen platform so no display is needed. QT_MAIN runs the tests
# inside one QApplication (tests/support/qt_test_main.cpp) instead of GoogleTest's own main.
function(orb_test name)
    cmake_parse_arguments(ARG "QT_MAIN" "LABEL" "DEPS;SOURCES" ${ARGN})
    if(NOT ARG_SOURCES)
        message(FATAL_ERROR "orb_test(${name}): list its sources after SOURCES")
    endif()
    add_executable(${name} ${ARG_SOURCES})
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
