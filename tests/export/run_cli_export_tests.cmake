# End-to-end runs of zellora-cli --export: each case feeds a request and
# checks the exit status, what is printed and the file left behind.
# Called with -DCLI=<zellora-cli> -DWORK=<scratch folder>.

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
set(TIPICA [=[{"List1":"Impiegato","List2":"Settore previdenziale Commercio -50dip","Text1":"30000"}]=])
set(MENSILE [=[{"List1":"Impiegato","List2":"Settore previdenziale Commercio -50dip","Text1":"2500","Option2":true}]=])

# run(<name> <request> <export file> <expected exit> <text expected in stdout+stderr>...)
function(run name input target expected_exit)
  file(WRITE "${WORK}/${name}.json" "${input}")
  execute_process(
    COMMAND "${CLI}" --input "${WORK}/${name}.json" --export "${target}"
    RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 120)
  set(out "${out}" PARENT_SCOPE)
  if(NOT code STREQUAL "${expected_exit}")
    message(SEND_ERROR "${name}: exit ${code}, expected ${expected_exit}\n${out}\n${err}")
  endif()
  foreach(part IN LISTS ARGN)
    string(FIND "${out}${err}" "${part}" at)
    if(at EQUAL -1)
      message(SEND_ERROR "${name}: output lacks '${part}'\n${out}\n${err}")
    endif()
  endforeach()
endfunction()

# contains(<name> <zip file> <member> <text>...): the member holds every text.
function(contains name archive member)
  file(REMOVE_RECURSE "${WORK}/x")
  file(ARCHIVE_EXTRACT INPUT "${archive}" DESTINATION "${WORK}/x" PATTERNS "${member}")
  file(READ "${WORK}/x/${member}" xml)
  foreach(part IN LISTS ARGN)
    string(FIND "${xml}" "${part}" at)
    if(at EQUAL -1)
      message(SEND_ERROR "${name}: ${member} lacks '${part}'")
    endif()
  endforeach()
endfunction()

function(absent name path)
  if(EXISTS "${path}")
    message(SEND_ERROR "${name}: ${path} should not exist")
  endif()
endfunction()

run(docx "${TIPICA}" "${WORK}/typical.docx" 0 [=["Text16": "40.766,22"]=])
contains(docx "${WORK}/typical.docx" word/document.xml "PROSPETTO ZELLORA"
  "Retribuzione Netta : 21.455,00" ">Costo del Lavoro : 40.766,22<" "Normativa 2007"
  "Lavoratore : Impiegato, Settore previdenziale" "Periodo : Annuo" ">Irpef netta : ")

run(monthly "${MENSILE}" "${WORK}/monthly.DOCX" 0)
contains(monthly "${WORK}/monthly.DOCX" word/document.xml "(=annui euro ")

run(odt "${TIPICA}" "${WORK}/typical.Odt" 0)
contains(odt "${WORK}/typical.Odt" content.xml "Costo del Lavoro : 40.766,22")

run(pdf "${TIPICA}" "${WORK}/typical.pdf" 0)
file(READ "${WORK}/typical.pdf" head LIMIT 5 HEX)
if(NOT head STREQUAL "255044462d")  # %PDF-
  message(SEND_ERROR "pdf: not a PDF")
endif()

# payslips --export: the statement of the calculation with the year on a
# page of its own; a year refused (net to gross) writes none.
function(payslips name input target expected_exit)
  file(WRITE "${WORK}/${name}.json" "${input}")
  execute_process(
    COMMAND "${CLI}" payslips --format json --input "${WORK}/${name}.json" --export "${target}"
    RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 120)
  if(NOT code STREQUAL "${expected_exit}")
    message(SEND_ERROR "${name}: exit ${code}, expected ${expected_exit}\n${out}\n${err}")
  endif()
endfunction()
set(MILANO [=[{"Combo4":"2026","Text1":"30000","List1":"Impiegato","List2":"Terziario e commercio fino a 5 dipendenti","Combo5":"Lombardia","Text22":"MILANO (MI)"}]=])
payslips(payslips_docx "${MILANO}" "${WORK}/year.docx" 0)
contains(payslips_docx "${WORK}/year.docx" word/document.xml "PROSPETTO ZELLORA"
  "Retribuzione Netta : 23.392,00" "<w:pageBreakBefore/>" ">Buste paga dell&apos;anno<"
  ">Tredicesima (dicembre)<" ">Totale<" ">23.392,05<" ">Riconciliazione<" ">L&apos;anno prossimo<")
payslips(payslips_odt "${MILANO}" "${WORK}/year.odt" 0)
contains(payslips_odt "${WORK}/year.odt" content.xml "fo:break-before=\"page\"" ">Totale<"
  ">23.392,05<")
string(REPLACE [=["Text1":"30000"]=] [=["Text1":"23392","Option3":true]=] NETTO "${MILANO}")
payslips(payslips_net "${NETTO}" "${WORK}/net-year.docx" 1)
absent(payslips_net "${WORK}/net-year.docx")

# --chart: the three charts as one image, read back. Given -DGRAFICI=ON when
# the program is built with Qt Charts.
if(GRAFICI)
  function(chart name input target expected_exit)
    file(WRITE "${WORK}/${name}.json" "${input}")
    execute_process(
      COMMAND "${CLI}" --input "${WORK}/${name}.json" --chart "${target}" ${ARGN}
      RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 120)
    set(err "${err}" PARENT_SCOPE)
    if(NOT code STREQUAL "${expected_exit}")
      message(SEND_ERROR "${name}: exit ${code}, expected ${expected_exit}\n${out}\n${err}")
    endif()
  endfunction()
  chart(chart_svg "${TIPICA}" "${WORK}/charts.svg" 0)
  file(READ "${WORK}/charts.svg" svg)
  string(FIND "${svg}" "<?xml" xml)
  string(FIND "${svg}" "<svg" radice)
  string(FIND "${svg}" "</svg>" fine)
  if(NOT xml EQUAL 0 OR radice EQUAL -1 OR fine EQUAL -1)
    message(SEND_ERROR "chart_svg: not an SVG document")
  endif()
  # The amounts of the splits and the worker on the curve, as text.
  foreach(part IN ITEMS "Dove va il lordo - Normativa 2007, Annuo" "Retribuzione: 30.000,00"
                        "Netto in busta: 21.455,00 (71,52%)" "Costo del Lavoro: 40.766,22"
                        "Inps c/azienda: 8.694,00 (21,33%)" "Aliquota marginale")
    string(FIND "${svg}" "${part}" at)
    if(at EQUAL -1)
      message(SEND_ERROR "chart_svg: lacks '${part}'")
    endif()
  endforeach()
  # From net to gross: the gross found and the net wanted are marked.
  chart(chart_net [=[{"List1":"Impiegato","List2":"Settore previdenziale Commercio -50dip","Text1":"1500","Option3":true}]=]
        "${WORK}/net.svg" 0)
  file(READ "${WORK}/net.svg" svg)
  foreach(part IN ITEMS "Lordo trovato: 1.652,00" "Netto voluto: 1.500,00")
    string(FIND "${svg}" "${part}" at)
    if(at EQUAL -1)
      message(SEND_ERROR "chart_net: lacks '${part}'")
    endif()
  endforeach()
  chart(chart_png "${TIPICA}" "${WORK}/charts.PNG" 0)
  # The signature, then the header chunk with the width and height.
  file(READ "${WORK}/charts.PNG" png LIMIT 24 HEX)
  if(NOT png STREQUAL "89504e470d0a1a0a0000000d49484452000003e800000578")  # 1000 x 1400
    message(SEND_ERROR "chart_png: not a PNG of 1000 x 1400: ${png}")
  endif()
  file(SIZE "${WORK}/charts.PNG" dimensione)
  if(dimensione LESS 20000)
    message(SEND_ERROR "chart_png: ${dimensione} bytes, too small for the charts")
  endif()
  chart(chart_extension "${TIPICA}" "${WORK}/charts.jpg" 2)
  if(NOT err MATCHES "must end in .svg or .png" OR EXISTS "${WORK}/charts.jpg")
    message(SEND_ERROR "chart_extension: ${err}")
  endif()
  chart(chart_refused [=[{"Text4":"2"}]=] "${WORK}/refused.svg" 1)
  if(EXISTS "${WORK}/refused.svg")
    message(SEND_ERROR "chart_refused: an image of a refused calculation")
  endif()
  # The rule set is an input too: never replaced by the image.
  file(READ "${CMAKE_CURRENT_LIST_DIR}/../../src/rules/data/2007.toml" regole)
  file(WRITE "${WORK}/rules.svg" "${regole}")
  chart(chart_rules "${TIPICA}" "${WORK}/rules.svg" 2 --rules "${WORK}/rules.svg")
  file(READ "${WORK}/rules.svg" kept)
  if(NOT err MATCHES "it is the rule set" OR NOT kept STREQUAL regole)
    message(SEND_ERROR "chart_rules: ${err}")
  endif()
  # A platform that cannot start (xcb without a display): status 3 and one
  # line, not Qt's abort.
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb
            "${CLI}" --input "${WORK}/chart_svg.json" --chart "${WORK}/xcb.svg"
    RESULT_VARIABLE code OUTPUT_QUIET ERROR_VARIABLE err TIMEOUT 120)
  if(NOT code STREQUAL "3" OR NOT err MATCHES "nothing was drawn" OR EXISTS "${WORK}/xcb.svg")
    message(SEND_ERROR "chart_platform: exit ${code}\n${err}")
  endif()
  chart(chart_no_folder "${TIPICA}" "${WORK}/missing/c.svg" 3)
  if(NOT err MATCHES "missing/c.svg")
    message(SEND_ERROR "chart_no_folder: ${err}")
  endif()
endif()

# A net that no whole gross reaches exactly still has a statement.
run(unreachable [=[{"List1":"Impiegato","List2":"Settore previdenziale Commercio -50dip","Text1":"1500","Option3":true,"Text14":"100"}]=] "${WORK}/unreachable.docx" 0
  [=["status": "unreachable"]=])
contains(unreachable "${WORK}/unreachable.docx" word/document.xml "Retribuzione Netta : ")

# Unknown extension: a usage error, found before anything is calculated.
run(extension "${TIPICA}" "${WORK}/statement.txt" 2 ".docx, .odt or .pdf")
if(NOT out STREQUAL "")
  message(SEND_ERROR "extension: calculated anyway\n${out}")
endif()
absent(extension "${WORK}/statement.txt")
run(no_extension "${TIPICA}" "${WORK}/statement" 2)
# A name that is only the extension has no name, whatever it ends in.
run(only_extension "${TIPICA}" "${WORK}/.docx" 2 "nothing before the extension")
absent(only_extension "${WORK}/.docx")

# The statement may not replace the request it was calculated from.
file(WRITE "${WORK}/request.docx" "${TIPICA}")
execute_process(COMMAND "${CLI}" --input "${WORK}/request.docx" --export "${WORK}/request.docx"
  RESULT_VARIABLE code ERROR_VARIABLE err TIMEOUT 120)
file(READ "${WORK}/request.docx" kept)
if(NOT code EQUAL 2 OR NOT kept STREQUAL "${TIPICA}")
  message(SEND_ERROR "same_file: exit ${code}, request kept: ${kept}\n${err}")
endif()

# A refused calculation writes nothing.
run(refused [=[{"Text5":""}]=] "${WORK}/refused.docx" 1 [=["status": "refused"]=])
absent(refused "${WORK}/refused.docx")

# Failures name the file and exit with 3, leaving nothing.
run(no_folder "${TIPICA}" "${WORK}/missing/s.pdf" 3 "missing/s.pdf" "No such file")
absent(no_folder "${WORK}/missing")
file(MAKE_DIRECTORY "${WORK}/folder.docx")
run(is_folder "${TIPICA}" "${WORK}/folder.docx" 3 "folder.docx")
if(NOT IS_DIRECTORY "${WORK}/folder.docx")
  message(SEND_ERROR "is_folder: the folder was replaced")
endif()

file(GLOB left "${WORK}/.zellora-*")
if(left)
  message(SEND_ERROR "temporary files left: ${left}")
endif()
