# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when the program can no longer be configured without its tests: with BUILD_TESTING off, nothing
# may ask for Qt Test, Google Benchmark or umockdev, which a packager's build machine need not have.
#   cmake -DSOURCE_DIR=<repo> -DBINARY_DIR=<scratch folder> -DGENERATOR=<generator> -P CheckBuildWithoutTests.cmake

file(REMOVE_RECURSE ${BINARY_DIR})
execute_process(
    COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${BINARY_DIR} -G ${GENERATOR}
        -DBUILD_TESTING=OFF
        -DCMAKE_DISABLE_FIND_PACKAGE_Qt6Test=ON
        -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON
    RESULT_VARIABLE result
    OUTPUT_VARIABLE output
    ERROR_VARIABLE output)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "configuring without tests failed:\n${output}")
endif()

file(STRINGS ${BINARY_DIR}/CMakeCache.txt umockdev REGEX "^UMOCKDEV_")
if(umockdev)
    message(FATAL_ERROR "configuring without tests still looked for umockdev:\n${umockdev}")
endif()
if(EXISTS ${BINARY_DIR}/CTestTestfile.cmake)
    message(FATAL_ERROR "configuring without tests still registered tests")
endif()
