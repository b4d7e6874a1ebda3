# SPDX-License-Identifier: GPL-3.0-or-later
# Debian's hardening flags for every program built here: position-independent
# executables, stack protector, format-string checks, fortified C library
# calls, and relocations that are read-only and bound at start (relro, now),
# with stack-clash protection where the compiler has it.
#
# The fuzzing build (VELDRA_INPUT_ONLY) ships nothing and runs under the
# sanitizers, which check the same calls themselves: it goes without.
if(VELDRA_INPUT_ONLY)
  return()
endif()
include(CheckCXXCompilerFlag)
include(CheckPIESupported)

set(CMAKE_POSITION_INDEPENDENT_CODE ON)
check_pie_supported(LANGUAGES CXX)

add_compile_options(-fstack-protector-strong -Wformat -Werror=format-security)
check_cxx_compiler_flag(-fstack-clash-protection VELDRA_HAVE_STACK_CLASH_PROTECTION)
if(VELDRA_HAVE_STACK_CLASH_PROTECTION)
  add_compile_options(-fstack-clash-protection)
endif()

# Fortified calls need an optimised build; the sanitizers check the same
# calls themselves and are not used with it.
add_compile_options("$<$<NOT:$<CONFIG:Debug,Sanitize>>:-U_FORTIFY_SOURCE>"
                    "$<$<NOT:$<CONFIG:Debug,Sanitize>>:-D_FORTIFY_SOURCE=2>")

add_link_options("LINKER:-z,relro" "LINKER:-z,now")
