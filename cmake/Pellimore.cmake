# Shared build helpers.

# Adds every direct subfolder that holds a CMakeLists.txt, so a new folder
# joins the build without editing its parent.
function(pellimore_add_subdirectories)
    file(GLOB children LIST_DIRECTORIES true RELATIVE "${CMAKE_CURRENT_SOURCE_DIR}" "${CMAKE_CURRENT_SOURCE_DIR}/*")
    list(SORT children)
    foreach(child IN LISTS children)
        if(IS_DIRECTORY "${CMAKE_CURRENT_SOURCE_DIR}/${child}" AND EXISTS "${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt")
            add_subdirectory(${child})
        endif()
    endforeach()
endfunction()

# pellimore_add_test(NAME name SOURCES a.cpp b.cpp LIBS lib1 lib2 [LABELS l1 l2] [TIMEOUT s])
# One GoogleTest executable, registered with CTest as one test. Tests run with the
# offscreen Qt platform, a private temporary HOME set up by the test support
# library, and know where the source tree and the shared test data lie.
function(pellimore_add_test)
    cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS;ENVIRONMENT" ${ARGN})
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE test_support ${T_LIBS} GTest::gtest GTest::gmock)
    add_test(NAME ${T_NAME} COMMAND ${T_NAME})
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 300)
    endif()
    set_tests_properties(${T_NAME} PROPERTIES
        TIMEOUT ${T_TIMEOUT}
        LABELS "${T_LABELS}"
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;PELLIMORE_SOURCE_DIR=${PROJECT_SOURCE_DIR};PELLIMORE_BINARY_DIR=${PROJECT_BINARY_DIR};PELLIMORE_TESTDATA=${PELLIMORE_TESTDATA_DIR};ASAN_OPTIONS=detect_leaks=0;UBSAN_OPTIONS=print_stacktrace=1;${T_ENVIRONMENT}")
endfunction()
