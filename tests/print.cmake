# SPDX-License-Identifier: GPL-3.0-or-later
# Printing and the printer dialog (tst_print is built in CMakeLists.txt). The
# private print server runs as a test fixture: started before tst_print,
# stopped after it, by its process ids. Its folder lives under /tmp so that
# the socket path stays short.

string(MD5 _veldra_build_hash "${CMAKE_BINARY_DIR}")
string(SUBSTRING "${_veldra_build_hash}" 0 10 _veldra_build_hash)
set(VELDRA_CUPS_RUN "/tmp/veldra-cups-${_veldra_build_hash}")
# Listener ports of this build folder, so that two build folders can run
# their print tests at the same time.
string(SUBSTRING "${_veldra_build_hash}" 0 3 _veldra_port_hex)
math(EXPR _veldra_port1 "19100 + 2 * (0x${_veldra_port_hex} % 400)")
math(EXPR _veldra_port2 "${_veldra_port1} + 1")

add_test(NAME print_server_start
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/cups/start-cups.sh ${VELDRA_CUPS_RUN}
          ${_veldra_port1} ${_veldra_port2})
set_tests_properties(print_server_start PROPERTIES
  FIXTURES_SETUP print_server RESOURCE_LOCK print_server_ports)
add_test(NAME print_server_stop
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/cups/stop-cups.sh ${VELDRA_CUPS_RUN})
set_tests_properties(print_server_stop PROPERTIES
  FIXTURES_CLEANUP print_server RESOURCE_LOCK print_server_ports)

set_tests_properties(tst_print PROPERTIES
  FIXTURES_REQUIRED print_server
  RESOURCE_LOCK print_server_ports
  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;CUPS_SERVER=${VELDRA_CUPS_RUN}/cups.sock;VELDRA_PRINT_SPOOL=${VELDRA_CUPS_RUN}/spool")

# The same test with no print server at all: the no-printer cases.
add_test(NAME tst_print_noserver COMMAND tst_print)
set_tests_properties(tst_print_noserver PROPERTIES
  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;CUPS_SERVER=${VELDRA_CUPS_RUN}-absent/cups.sock")
