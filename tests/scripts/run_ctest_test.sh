#!/usr/bin/env bash
# scripts/test's count of one ctest run: passes, failures and skips apart,
# a disabled test skipped, one that cannot start failed, as ctest has them.
. "$(dirname "$0")/../e2e/common.sh"
cat >"$work/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.25)
project(counts NONE)
enable_testing()
add_test(NAME passes COMMAND true)
add_test(NAME fails COMMAND false)
add_test(NAME skips COMMAND sh -c "exit 77")
set_tests_properties(skips PROPERTIES SKIP_RETURN_CODE 77)
add_test(NAME disabled COMMAND false)
set_tests_properties(disabled PROPERTIES DISABLED TRUE)
add_test(NAME cannot_start COMMAND "${CMAKE_CURRENT_BINARY_DIR}/no-such-program")
CMAKE
cmake -S "$work" -B "$work/build" >/dev/null || die "cmake cannot configure the tests"

source "$(dirname "$0")/../../scripts/test"
run_ctest "$work/build" >/dev/null 2>&1
[ "$passed $failed $skipped" = "1 2 2" ] ||
    fail "counted $passed passed, $failed failed, ${skipped:-no} skipped; expected 1, 2 and 2"
finish "counts"
