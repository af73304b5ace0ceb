# The check of the municipal surcharge lists on rows made to fail it, one
# fault each (prova-*.csv): the comuni refused, and why, must be those of
# atteso.txt; the rows worded otherwise must be read as lette.txt says.
#   cmake -DSCRIPT=<comunali.cmake> -DDATI=<this folder> -DOUT=<folder> -P verifica.cmake
file(MAKE_DIRECTORY "${OUT}")
execute_process(
  COMMAND "${CMAKE_COMMAND}" "-DDATI=${DATI}" "-DCPP=${OUT}/comunali_dati.cpp"
          "-DSCARTI=${OUT}/comunali-scartate.txt" -P "${SCRIPT}"
  RESULT_VARIABLE esito)
if(NOT esito EQUAL 0)
  message(FATAL_ERROR "the conversion failed: ${esito}")
endif()
file(READ "${OUT}/comunali-scartate.txt" ottenuto)
file(READ "${DATI}/atteso.txt" atteso)
if(NOT ottenuto STREQUAL atteso)
  message(FATAL_ERROR "the refused comuni differ from atteso.txt:\n${ottenuto}")
endif()
# The exemptions, amounts and bands read in other words, and how.
file(READ "${OUT}/comunali-lette.txt" ottenuto)
file(READ "${DATI}/lette.txt" atteso)
if(NOT ottenuto STREQUAL atteso)
  message(FATAL_ERROR "the readings differ from lette.txt:\n${ottenuto}")
endif()

# A list that is not the Ministry's must stop the build, not be read.
file(WRITE "${OUT}/rotto/elenchi.csv" "ANNO;FILE;STATO_AL\n2025;rotto.csv;07/02/2026\n")
file(WRITE "${OUT}/rotto/deroghe.csv" "CODICE_CATASTALE;COMUNE;ALIQUOTA_MASSIMA;RIFERIMENTO\n")
file(WRITE "${OUT}/rotto/province.csv" "SIGLA;PROVINCIA;REGIONE\nZZ;Prova;Lazio\n")
file(WRITE "${OUT}/rotto/rotto.csv" "CODICE;COMUNE\nZ001;UNO\n")
execute_process(
  COMMAND "${CMAKE_COMMAND}" "-DDATI=${OUT}/rotto" "-DCPP=${OUT}/rotto/c.cpp"
          "-DSCARTI=${OUT}/rotto/s.txt" -P "${SCRIPT}"
  RESULT_VARIABLE esito OUTPUT_QUIET ERROR_VARIABLE errore)
if(esito EQUAL 0 OR NOT errore MATCHES "the header is not the Ministry's")
  message(FATAL_ERROR "a list with another header was read: ${esito} ${errore}")
endif()

# A comune of a province that the table of provinces does not hold: the
# region it is in is not known, and the build stops.
file(READ "${DATI}/prova-2025.csv" prova)
string(REGEX REPLACE "\n.*" "\n" testa "${prova}")
file(WRITE "${OUT}/rotto/rotto.csv" "${testa}Z001;UNO;XX;;;;;NO;0*;;;;;;;;;;;;;;;;;;;;;;;;;0\n")
execute_process(
  COMMAND "${CMAKE_COMMAND}" "-DDATI=${OUT}/rotto" "-DCPP=${OUT}/rotto/c.cpp"
          "-DSCARTI=${OUT}/rotto/s.txt" -P "${SCRIPT}"
  RESULT_VARIABLE esito OUTPUT_QUIET ERROR_VARIABLE errore)
if(esito EQUAL 0 OR NOT errore MATCHES "the province XX is not in province.csv")
  message(FATAL_ERROR "a comune of a province not in the table was read: ${esito} ${errore}")
endif()
