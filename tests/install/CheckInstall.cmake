# Installs the build tree into a fresh prefix and checks what a host gets: the header, the library
# with its links, the CMake package and tavelin.pc. The installed headers hold together on their own
# (PublicHeaders.cmake), each compiles alone under a strict host's warnings as errors with both g++
# and clang++ (headers/), every member function they declare links, and below C++20 each stops a
# host with one error that names the standard. Two hosts build against the installed tree alone,
# once through each of the package and pkg-config: one calls a flat function, the other drives the
# classes against the simulated serial reader; and the README's host builds with the README's own
# line, runs against the simulated reader, and fails on a port that does not exist.
# Arguments: BUILD_DIR, WORK_DIR, SOURCE_DIR (of the consumer), CXX, GXX and CLANGXX (the strict
# hosts' compilers), GENERATOR, SIMULATOR (the serial_reader_sim program), README.
cmake_policy(VERSION 3.25)
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed: ${ARGN}\n${out}\n${err}")
  endif()
  set(run_output "${out}" PARENT_SCOPE)
  set(run_error "${err}" PARENT_SCOPE)
endfunction()

# A host that exits 0 yet prints the wrong thing shows its standard error too: the failure it caught,
# the simulator's late count.
function(expect_output expected what)
  if(NOT run_output STREQUAL expected)
    message(FATAL_ERROR "${what} printed '${run_output}', and on standard error:\n${run_error}")
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
check_public_headers(${prefix}/include ${link} ${CXX} ${WORK_DIR}/calls)

if(NOT EXISTS "${GXX}" OR NOT EXISTS "${CLANGXX}")
  message(FATAL_ERROR "the headers are checked with g++ and clang++ (scripts/install-deps.sh installs both); "
                      "found: ${GXX}, ${CLANGXX}")
endif()
foreach(compiler ${GXX} ${CLANGXX})
  get_filename_component(name ${compiler} NAME)
  run(${CMAKE_COMMAND} -S ${CMAKE_CURRENT_LIST_DIR}/headers -B ${WORK_DIR}/headers-${name} -G ${GENERATOR}
      -DCMAKE_CXX_COMPILER=${compiler} -DCMAKE_PREFIX_PATH=${prefix})
  run(${CMAKE_COMMAND} --build ${WORK_DIR}/headers-${name})
endforeach()

# expect_cxx20_stop(<what> <command>...): the command, a compile below C++20, fails with one error
# only, and that error names C++20.
function(expect_cxx20_stop what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  string(REGEX MATCHALL "error:" errors "${out}${err}")
  list(LENGTH errors count)
  if(rc EQUAL 0 OR NOT count EQUAL 1 OR NOT err MATCHES "error:[^\n]*C\\+\\+20")
    message(FATAL_ERROR "${what} below C++20 did not stop with one error naming C++20:\n${out}${err}")
  endif()
endfunction()
file(GLOB_RECURSE headers RELATIVE ${prefix}/include LIST_DIRECTORIES false ${prefix}/include/*)
foreach(header ${headers})
  file(WRITE ${WORK_DIR}/cxx17/unit.cpp "#include <${header}>\n")
  expect_cxx20_stop(${header} ${CXX} -std=c++17 -fsyntax-only -I${prefix}/include ${WORK_DIR}/cxx17/unit.cpp)
endforeach()

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

# The README's host, built with the README's own line, then run against the simulated serial reader
# without LD_LIBRARY_PATH: the run path that the line sets finds the library; afterwards the script
# says on standard error when the simulator answered late (its answer to "late", its second line).
# The same line at C++17 stops at the first include; given a port that does not exist, the host
# says so and exits non-zero. (The script has no semicolon: run() would split it there.)
file(READ ${README} readme)
if(NOT readme MATCHES "```cpp\n([^`]*)```")
  message(FATAL_ERROR "${README} holds no C++ example")
endif()
file(WRITE ${WORK_DIR}/readme/host.cpp "${CMAKE_MATCH_1}")
string(REGEX MATCHALL "\ng\\+\\+ [^\n]*pkg-config[^\n]*" line "${readme}")
list(LENGTH line count)
if(NOT count EQUAL 1 OR NOT line MATCHES "-std=c\\+\\+20")
  message(FATAL_ERROR "${README} should give one g++ line through pkg-config, with -std=c++20: ${line}")
endif()
string(STRIP "${line}" line)
string(REPLACE "-std=c++20" "-std=c++17" line17 "${line}")
expect_cxx20_stop("the README's host" sh -c "cd ${WORK_DIR}/readme && ${line17}")
run(sh -c "cd ${WORK_DIR}/readme && ${line}")
set(port ${WORK_DIR}/readme/no-such-port)
execute_process(COMMAND ${WORK_DIR}/readme/host ${port} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
string(FIND "${err}" "Could not open device \"${port}\"" said)
if(rc EQUAL 0 OR said EQUAL -1)
  message(FATAL_ERROR "the README's host, given a port that does not exist, exited ${rc}; it printed '${out}', "
                      "and on standard error '${err}'")
endif()
run(bash -c [=[
  unset LD_LIBRARY_PATH
  cd "$1" || exit 1
  mkfifo commands
  "$0" <commands >simulator.out &
  simulator=$!
  trap 'kill $simulator && wait $simulator' EXIT
  exec 3>commands
  for _ in $(seq 100)
  do
    [[ -s simulator.out ]] && break
    sleep 0.1
  done
  ./host "$(head -n1 simulator.out)"
  status=$?
  echo late >&3
  for _ in $(seq 100)
  do
    [[ $(wc -l <simulator.out) -ge 2 ]] && break
    sleep 0.1
  done
  late=$(sed -n 2p simulator.out)
  if [[ $late != 0 ]]
  then
    echo "the README's host: the simulator answered late (${late:-no count given} replies written after the host stopped waiting)" >&2
  fi
  exit $status
]=] ${SIMULATOR} ${WORK_DIR}/readme)
expect_output("TAV-SIM-0001, ESN ESN0000000000001\n" "the README's host")

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
