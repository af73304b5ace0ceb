# docs/normativa.md lists the comuni the build does not offer: the list must
# be the one the build wrote.
#   cmake -DDOC=<normativa.md> -DSCARTI=<comunali-scartate.txt> -P documentati.cmake
file(READ "${DOC}" doc)
string(FIND "${doc}" "<!-- comunali-scartate -->\n```\n" inizio)
string(FIND "${doc}" "```\n<!-- /comunali-scartate -->" fine)
if(inizio EQUAL -1 OR fine EQUAL -1)
  message(FATAL_ERROR "${DOC}: the list of the comuni not offered is missing")
endif()
math(EXPR inizio "${inizio} + 31")
math(EXPR n "${fine} - ${inizio}")
string(SUBSTRING "${doc}" ${inizio} ${n} elenco)
file(READ "${SCARTI}" scarti)
string(REGEX REPLACE "^(#[^\n]*\n)+" "" scarti "${scarti}")
if(NOT elenco STREQUAL scarti)
  message(FATAL_ERROR "${DOC}: the list of the comuni not offered is not the build's (${SCARTI})")
endif()
