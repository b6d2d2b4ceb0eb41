# libresample, built here from Debian's source with the project's patch
# (tools/libresample/) and linked statically, so its filter loops can be laid
# out for today's caches without touching the system's copy. Its output is
# the same as Debian's libresample1, sample for sample.
set(ZUVO_LIBRESAMPLE_DIR "${CMAKE_SOURCE_DIR}/build/libresample" CACHE PATH
    "Where tools/libresample/build.sh unpacks the patched libresample source")
execute_process(COMMAND "${CMAKE_SOURCE_DIR}/tools/libresample/build.sh" "${ZUVO_LIBRESAMPLE_DIR}"
                RESULT_VARIABLE libresample_status)
if(NOT libresample_status EQUAL 0)
    message(FATAL_ERROR "tools/libresample/build.sh failed (${libresample_status})")
endif()
set_property(DIRECTORY "${CMAKE_SOURCE_DIR}" APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             "${CMAKE_SOURCE_DIR}/tools/libresample/build.sh"
             "${CMAKE_SOURCE_DIR}/tools/libresample/filter-layout.patch")

set(libresample_src "${ZUVO_LIBRESAMPLE_DIR}/src")
# What its configure script would find on this system.
file(CONFIGURE OUTPUT "${CMAKE_BINARY_DIR}/libresample/config.h"
     CONTENT "#define HAVE_INTTYPES_H 1\n")
add_library(libresample STATIC
    "${libresample_src}/src/filterkit.c"
    "${libresample_src}/src/resample.c"
    "${libresample_src}/src/resamplesubs.c")
set_target_properties(libresample PROPERTIES OUTPUT_NAME resample AUTOMOC OFF)
target_include_directories(libresample PUBLIC "${libresample_src}/include"
                           PRIVATE "${CMAKE_BINARY_DIR}/libresample")
# -O2 with its short loops unrolled measured fastest. No contraction into
# fused multiply-adds and no fast-math: either would change the last bit of
# the output. Hidden symbols, so a test can load Debian's library beside it
# without the two meeting. Its own warnings are upstream's.
target_compile_options(libresample PRIVATE -O2 -funroll-loops -ffp-contract=off -fvisibility=hidden -w)
target_link_libraries(libresample PUBLIC m)
