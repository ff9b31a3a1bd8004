# Installs the build tree into a fresh prefix and checks what a host gets: the header, the library
# with its links, the CMake package and tavelin.pc. The installed headers hold together on their own
# (PublicHeaders.cmake; the consumer compiles each alone), and two hosts build against the installed
# tree alone, once through each: one calls a flat function, the other drives the classes against the
# simulated serial reader.
# Arguments: BUILD_DIR, WORK_DIR, SOURCE_DIR (of the consumer), CXX, GENERATOR, SIMULATOR (the
# serial_reader_sim program).
cmake_policy(VERSION 3.25)
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed: ${ARGN}\n${out}\n${err}")
  endif()
  set(run_output "${out}" PARENT_SCOPE)
endfunction()

function(expect_output expected what)
  if(NOT run_output STREQUAL expected)
    message(FATAL_ERROR "${what} printed '${run_output}'")
  endif()
endfunction()

set(prefix ${WORK_DIR}/prefix)
file(REMOVE_RECURSE ${WORK_DIR})
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

file(GLOB_RECURSE installed RELATIVE ${prefix} LIST_DIRECTORIES false ${prefix}/*)
foreach(pattern "^include/Tavelin\\.h$" "^include/Tavelin/TavResult\\.h$" "/libTavelin\\.so\\.1$"
                "/libTavelin\\.so$" "/cmake/Tavelin/TavelinConfig\\.cmake$" "/pkgconfig/tavelin\\.pc$")
  set(matching ${installed})
  list(FILTER matching INCLUDE REGEX "${pattern}")
  if(NOT matching)
    message(FATAL_ERROR "nothing matching ${pattern} was installed; installed: ${installed}")
  endif()
endforeach()
file(GLOB_RECURSE link LIST_DIRECTORIES false ${prefix}/*/libTavelin.so)
if(NOT IS_SYMLINK "${link}")
  message(FATAL_ERROR "libTavelin.so is not a link: ${link}")
endif()
file(READ_SYMLINK ${link} target)
if(NOT target STREQUAL "libTavelin.so.1")
  message(FATAL_ERROR "libTavelin.so links to ${target}, not libTavelin.so.1")
endif()

include(${CMAKE_CURRENT_LIST_DIR}/PublicHeaders.cmake)
check_public_headers(${prefix}/include ${link})

# find_package(Tavelin)
run(${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${WORK_DIR}/consumer -G ${GENERATOR} -DCMAKE_CXX_COMPILER=${CXX}
    -DCMAKE_PREFIX_PATH=${prefix})
run(${CMAKE_COMMAND} --build ${WORK_DIR}/consumer)
run(${WORK_DIR}/consumer/consumer)
expect_output("Tavelin Library\n" "the find_package consumer")
run(${WORK_DIR}/consumer/classes_host ${SIMULATOR})
expect_output("classes_host: passed (0 failed checks)\n" "the find_package classes host")

# pkg-config, from the installed file alone
file(GLOB_RECURSE pc ${prefix}/*/tavelin.pc)
get_filename_component(pcdir ${pc} DIRECTORY)
set(ENV{PKG_CONFIG_PATH} ${pcdir})
run(pkg-config --cflags --libs tavelin)
string(STRIP "${run_output}" flags)
separate_arguments(flags UNIX_COMMAND "${flags}")
run(${CXX} -std=c++20 ${SOURCE_DIR}/main.cpp ${flags} -o ${WORK_DIR}/pkgconfig-consumer)
run(${CXX} -std=c++20 ${SOURCE_DIR}/classes_host.cpp ${flags} -o ${WORK_DIR}/pkgconfig-classes-host)
set(libdir ${flags})
list(FILTER libdir INCLUDE REGEX "^-L")
string(REGEX REPLACE "^-L" "" libdir "${libdir}")
set(ENV{LD_LIBRARY_PATH} ${libdir})
run(${WORK_DIR}/pkgconfig-consumer)
expect_output("Tavelin Library\n" "the pkg-config consumer")
run(${WORK_DIR}/pkgconfig-classes-host ${SIMULATOR})
expect_output("classes_host: passed (0 failed checks)\n" "the pkg-config classes host")
file(REMOVE_RECURSE ${WORK_DIR})
