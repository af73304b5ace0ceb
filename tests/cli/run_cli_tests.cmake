# End-to-end runs of zellora-cli: each case feeds a request on standard input
# and checks the exit status and parts of what is printed.
# Called with -DCLI=<zellora-cli> -DDATA=<this folder>.

# The runs see only the locales made here with localedef (en_US, es_US, it_IT, in a
# folder shared with the unit tests, found through LOCPATH), never those
# installed on the machine, and no locale from the caller's environment.
unset(ENV{LC_ALL})
unset(ENV{LC_NUMERIC})
unset(ENV{LANG})
# No rule set files of the user's but those the runs below make.
set(DATI_UTENTE "${CMAKE_CURRENT_BINARY_DIR}/cli_dati_utente")
file(REMOVE_RECURSE "${DATI_UTENTE}")
set(ENV{XDG_DATA_HOME} "${DATI_UTENTE}")
set(ENV{XDG_DATA_DIRS} "${DATI_UTENTE}/sistema")
set(LOCALI "${CMAKE_CURRENT_BINARY_DIR}/locali-di-prova")
set(ENV{LOCPATH} "${LOCALI}")
find_program(LOCALEDEF localedef)
set(LOCALI_PRONTI FALSE)
if(LOCALEDEF)
  set(LOCALI_PRONTI TRUE)
  foreach(origine IN ITEMS en_US es_US it_IT)
    set(definitivo "${LOCALI}/${origine}.utf8")
    if(NOT EXISTS "${definitivo}/LC_NUMERIC")
      string(RANDOM LENGTH 8 caso)
      set(provvisorio "${definitivo}.tmp${caso}")
      file(MAKE_DIRECTORY "${LOCALI}")
      execute_process(COMMAND "${LOCALEDEF}" -i ${origine} -f UTF-8 "${provvisorio}"
        OUTPUT_QUIET ERROR_QUIET)
      if(EXISTS "${provvisorio}/LC_NUMERIC")
        # Made by another run meanwhile: theirs stays.
        file(RENAME "${provvisorio}" "${definitivo}" RESULT spostato NO_REPLACE)
      endif()
      file(REMOVE_RECURSE "${provvisorio}")
      if(NOT EXISTS "${definitivo}/LC_NUMERIC")
        set(LOCALI_PRONTI FALSE)
      endif()
    endif()
  endforeach()
endif()
if(NOT LOCALI_PRONTI)
  message(WARNING "localedef (Debian package locales) cannot make en_US, es_US and it_IT: "
                  "the runs under those locales are skipped")
endif()

function(check name input expected_exit)
  file(WRITE "${CMAKE_CURRENT_BINARY_DIR}/cli_${name}.json" "${input}")
  execute_process(
    COMMAND "${CLI}" --input "${CMAKE_CURRENT_BINARY_DIR}/cli_${name}.json" ${EXTRA_ARGS}
    RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 60)
  if(NOT code STREQUAL "${expected_exit}")
    message(SEND_ERROR "${name}: exit ${code}, expected ${expected_exit}\n${out}\n${err}")
    return()
  endif()
  foreach(part IN LISTS ARGN)
    string(FIND "${out}${err}" "${part}" at)
    if(at EQUAL -1)
      message(SEND_ERROR "${name}: output lacks '${part}'\n${out}\n${err}")
    endif()
  endforeach()
endfunction()

set(TIPICA [=[{"List1":"Impiegato","List2":"Settore previdenziale Commercio -50dip","Text1":"30000"}]=])

check(typical "${TIPICA}" 0
  [=["status": "ok"]=] [=["imponibile_fiscale": 27243]=] [=["irpef_lorda": 6755.610000000001]=]
  [=["Text10": "21.455,00"]=] [=["Text16": "40.766,22"]=])

set(EXTRA_ARGS --format text)
check(typical_text "${TIPICA}" 0 "Netto in busta" "21.455,00" "Costo del Lavoro" "40.766,22")
if(LOCALI_PRONTI)
  set(EXTRA_ARGS --locale en_US)
  check(english "${TIPICA}" 0 [=["Text10": "21,455.00"]=])
  # The locale of the environment, with its own decimal sign: Spanish with a
  # decimal point.
  set(EXTRA_ARGS)
  set(ENV{LANG} "es_US.UTF-8")
  check(lang_decimal_point [=[{"List1":"Impiegato","List2":"Settore previdenziale Commercio -50dip","Text1":"1500.50","Text19":"+1,250.5"}]=] 0
    [=["Text1": "1,500.00"]=] [=["Text20": "1,250.00"]=])
  unset(ENV{LANG})
endif()
set(EXTRA_ARGS)
# A locale that is not installed: Italian, and the user is told so once.
set(ENV{LANG} "xx_YY.UTF-8")
check(lang_not_installed [=[{"List1":"Impiegato","List2":"Settore previdenziale Commercio -50dip","Text1":"1.500,50"}]=] 0 [=["Text1": "1.500,00"]=]
  [=[zellora-cli: the locale "xx_YY.UTF-8" of LANG is not installed here; numbers are read and written the Italian way]=])
unset(ENV{LANG})
check(grouping_in_threes [=[{"Text1":"1500.50"}]=] 1 "Retribuzione / Compenso")

check(monthly [=[{"List1":"Impiegato","List2":"Settore previdenziale Commercio -50dip",
  "Text1":"2500","Option2":true}]=] 0 [=["imponibile_annuo": 31783.5]=] [=["Text11": "2.916,67"]=])

check(net_to_gross [=[{"List1":"Impiegato","List2":"Settore previdenziale Commercio -50dip",
  "Text1":"20000","Option3":true}]=] 0 [=["search": {"passes":]=] [=["exact": true]=])

check(unreachable [=[{"List1":"Impiegato","List2":"Settore previdenziale Commercio -50dip","Text1":"1500","Option3":true,"Text14":"100"}]=] 0
  [=["status": "unreachable"]=] [=["exact": false]=])

check(empty_field [=[{"Text5":""}]=] 1 [=["status": "refused"]=] "Attenzione ci sono dei campi")
# No figures without a worker: a category and a sector, or the rates given.
check(no_worker [=[{"Text1":"30000"}]=] 1 [=["status": "refused"]=]
  [=[Scegliere la categoria del lavoratore e il settore previdenziale in \"Caratteristiche previdenziali\"]=])
check(no_sector [=[{"List1":"Impiegato","Text1":"30000"}]=] 1
  [=[Scegliere il settore previdenziale di \"Impiegato\"]=])
check(rates_only [=[{"Text1":"30000","profile":{"aliquota_inps_dip":0.0919,"aliquota_inps_az":0.2898}}]=] 1
  [=[Scegliere la categoria del lavoratore]=])
check(profile_given [=[{"Text1":"30000","profile":{"aliquota_inps_dip":0.0919,"aliquota_inps_az":0.2898,
  "massimale_inps":99999999,"soglia_contributo_aggiuntivo":42111,"minimale_inail":0,
  "massimale_inail":99999999,"aliquota_tfr":0.069074,"aliquota_irap":0.039,"quota_inail_dip":0,
  "quota_inail_az":3}}]=] 0 [=["status": "ok"]=] [=["Text2": "2.757,00"]=] [=["Text10": "21.455,00"]=])
check(not_a_number [=[{"Text19":"dieci"}]=] 1 "Trattenuta non deducibile")
check(children_share [=[{"Text4":"2"}]=] 1 "Figli a carico")
check(children_count [=[{"Text4":"-1","Combo1":"50"}]=] 1 "Figli a carico")
check(children_fraction [=[{"Text4":"2,5","Combo1":"50"}]=] 1 "numero intero")
check(negative_net [=[{"Text1":"-5","Option3":true}]=] 1 "negativo")

check(bad_json "{" 2 "invalid JSON")
check(unknown_key [=[{"Txt1":"1"}]=] 2 "unknown key")
check(bad_category [=[{"List1":"Dirigente"}]=] 2 "List1")
set(EXTRA_ARGS --locale xx_YY)
check(bad_locale "{}" 2 [=[unknown locale "xx_YY": it is not installed here (`locale -a`]=])
set(EXTRA_ARGS --format yaml)
check(bad_format "{}" 2 "format")
set(EXTRA_ARGS)

# zellora-cli curve: the net, the marginal rate and the cost of labour against
# the gross, as CSV with machine numbers; the typical worker's own row is the
# one-worker run's net and cost.
set(EXTRA_ARGS curve --from 29000 --to 31000 --step 1000)
check(curve "${TIPICA}" 0 "gross,net,marginal_rate,cost_of_labour
29000,20823,0.367470,39407.35
30000,21455,0.424080,40766.22
31000,22031,0.467360,42125.09")
if(LOCALI_PRONTI)
  set(EXTRA_ARGS curve --locale en_US --from 30000 --to 30001 --step 1)
  check(curve_english "${TIPICA}" 0 "30000,21455,0.370000,40766.22\n30001,21456,")
endif()
# By default from 0 to 8000 a month (at least), in steps of 8 euros.
set(EXTRA_ARGS curve)
check(curve_monthly [=[{"List1":"Impiegato","List2":"Settore previdenziale Commercio -50dip",
  "Text1":"2500","Option2":true}]=] 0 "\n0,0,0.092500,0\n8,7," "\n8000,")
check(curve_refused [=[{"Text4":"2"}]=] 1 "Figli a carico")
set(EXTRA_ARGS curve --step 0)
check(curve_step "${TIPICA}" 2 "the step must be above 0")
set(EXTRA_ARGS curve --from 0 --to 1e9 --step 1)
check(curve_too_long "${TIPICA}" 2 "more than 1000000 points")
set(EXTRA_ARGS --format text curve)
check(curve_format "${TIPICA}" 2 "--format does not go with `curve`")
set(EXTRA_ARGS)

# zellora-cli batch: a file in, a file out, the summary on standard error.
function(check_batch name csv expected_exit)
  set(dir "${CMAKE_CURRENT_BINARY_DIR}/batch_${name}")
  file(REMOVE_RECURSE "${dir}")
  file(MAKE_DIRECTORY "${dir}")
  file(WRITE "${dir}/in.csv" "${csv}")
  execute_process(COMMAND "${CLI}" ${PRE_ARGS} batch "${dir}/in.csv" -o "${dir}/out.csv" ${BATCH_ARGS}
    RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 60)
  if(NOT code STREQUAL "${expected_exit}")
    message(SEND_ERROR "batch ${name}: exit ${code}, expected ${expected_exit}\n${out}\n${err}")
  endif()
  file(GLOB left "${dir}/.*tmp*")
  if(left)
    message(SEND_ERROR "batch ${name}: temporary file left: ${left}")
  endif()
  foreach(part IN LISTS ARGN)
    set(text "${err}")
    if(EXISTS "${dir}/out.csv")
      file(READ "${dir}/out.csv" written)
      string(APPEND text "${written}")
    endif()
    string(FIND "${text}" "${part}" at)
    if(at EQUAL -1)
      message(SEND_ERROR "batch ${name}: lacks '${part}'\n${text}")
    endif()
  endforeach()
endfunction()

check_batch(staff "List1;List2;Text1\nImpiegato;Settore previdenziale Commercio -50dip;30000\nImpiegato;Settore previdenziale Commercio -50dip;30000\n" 0
  "workers: 2, refused: 0" [=[total "Netto in busta": 42.910,00]=] "3;ok;;30.000,00")
check_batch(bad_rows "List1,List2,Text1,Text4\nImpiegato,Settore previdenziale Commercio -50dip,30000,0\nImpiegato,Settore previdenziale Commercio -50dip,abc,0\nImpiegato,Settore previdenziale Commercio -50dip,30000,1\n" 1
  "workers: 3, refused: 2" "row 3: refused" "row 4: refused" "2,ok,")
check_batch(bad_header "Text1;Salary\n1;2\n" 2 "unknown column")
# Each worker's year of payslips: the choices in their columns, a row per line.
set(BATCH_ARGS --payslips)
check_batch(payslips "Combo4;List1;List2;Text1;payslips.to_month\n2026;Impiegato;Terziario e commercio fino a 5 dipendenti;30000;9\n" 0
  "workers: 1, refused: 0, lines of the year: 11" "\n2;ok;;9;conguaglio;")
set(BATCH_ARGS)
execute_process(COMMAND "${CLI}" batch "${CMAKE_CURRENT_BINARY_DIR}/no-such-file.csv"
  RESULT_VARIABLE code ERROR_VARIABLE err)
if(NOT code EQUAL 2)
  message(SEND_ERROR "batch of a missing file: exit ${code}\n${err}")
endif()

# The shared options on either side of `batch`; the last --locale counts.
set(STAFF "List1;List2;Text1\nImpiegato;Settore previdenziale Commercio -50dip;30000\nImpiegato;Settore previdenziale Commercio -50dip;30000\n")
if(LOCALI_PRONTI)
  set(BATCH_ARGS --locale en_US)
  check_batch(locale_after "${STAFF}" 0 [=[total "Netto in busta": 42,910.00]=])
  set(PRE_ARGS --locale it_IT)
  check_batch(locale_both "${STAFF}" 0 [=[total "Netto in busta": 42,910.00]=])
  set(BATCH_ARGS)
  check_batch(locale_before "${STAFF}" 0 [=[total "Netto in busta": 42.910,00]=])
  set(PRE_ARGS --locale en_US --locale it_IT)
  check_batch(locale_twice "${STAFF}" 0 [=[total "Netto in busta": 42.910,00]=])
endif()
set(PRE_ARGS --export x.docx)
check_batch(one_worker_option "${STAFF}" 2 "--export before `batch`")
set(PRE_ARGS)

# fails(<name> <expected exit> <text expected on stderr> <command...>)
function(fails name expected_exit part)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err
    TIMEOUT 60)
  if(NOT code STREQUAL "${expected_exit}")
    message(SEND_ERROR "${name}: exit ${code}, expected ${expected_exit}\n${out}\n${err}")
  endif()
  string(FIND "${err}" "${part}" at)
  if(at EQUAL -1)
    message(SEND_ERROR "${name}: stderr lacks '${part}'\n${err}")
  endif()
endfunction()

# A folder, an unreadable file or a read error: a message naming it, exit 2.
set(dir "${CMAKE_CURRENT_BINARY_DIR}/inputs")
file(REMOVE_RECURSE "${dir}")
file(MAKE_DIRECTORY "${dir}/folder.csv")
fails(input_folder 2 "\"${dir}\": it is a folder" "${CLI}" --input "${dir}")
fails(batch_folder 2 "folder.csv\": it is a folder" "${CLI}" batch "${dir}/folder.csv" --format jsonl)
if(EXISTS /proc/self/mem)  # reading it from offset 0 fails with EIO
  fails(input_read_error 2 "Input/output error" "${CLI}" --input /proc/self/mem)
  fails(batch_read_error 2 "Input/output error" "${CLI}" batch /proc/self/mem)
endif()

# The output is the input file, by any name: refused before anything is read
# or written, and the input stays as it was.
file(WRITE "${dir}/staff.csv" "${STAFF}")
file(CREATE_LINK "${dir}/staff.csv" "${dir}/link.csv" SYMBOLIC)
file(CREATE_LINK "${dir}/staff.csv" "${dir}/hard.csv" RESULT linked)
foreach(uscita staff.csv link.csv hard.csv ./staff.csv)
  if(uscita STREQUAL "hard.csv" AND NOT linked STREQUAL "0")
    continue()
  endif()
  fails(same_file_${uscita} 2 "is the input file" "${CLI}" batch "${dir}/staff.csv" -o "${dir}/${uscita}")
  file(READ "${dir}/staff.csv" kept)
  if(NOT kept STREQUAL "${STAFF}")
    message(SEND_ERROR "same_file_${uscita}: the input was changed")
  endif()
endforeach()
fails(same_file_through_link 2 "is the input file" "${CLI}" batch "${dir}/link.csv" -o "${dir}/staff.csv")
# Standard input is the file the shell opened for it.
fails(same_file_stdin 2 "is the input file" sh -c "\"$0\" batch - -o \"$1\" < \"$1\"" "${CLI}"
  "${dir}/staff.csv")
file(READ "${dir}/staff.csv" kept)
if(NOT kept STREQUAL "${STAFF}")
  message(SEND_ERROR "same_file_stdin: the input was changed")
endif()
file(COPY_FILE "${CMAKE_CURRENT_BINARY_DIR}/cli_typical.json" "${dir}/request.docx")
fails(same_file_stdin_export 2 "it is the request file on standard input" sh -c
  "\"$0\" --export \"$1\" < \"$1\"" "${CLI}" "${dir}/request.docx")
file(READ "${dir}/request.docx" kept)
if(NOT kept STREQUAL "${TIPICA}")
  message(SEND_ERROR "same_file_stdin_export: the request was changed")
endif()
file(GLOB left "${dir}/.*")
if(left)
  message(SEND_ERROR "same_file: files left: ${left}")
endif()

# Rule sets: the built-in list and table, a file of the user's checked before
# anything is calculated, and used by one calculation and by the batch.
execute_process(COMMAND "${CLI}" rules OUTPUT_VARIABLE out RESULT_VARIABLE code)
if(NOT code EQUAL 0 OR NOT out MATCHES "^2007  ")
  message(SEND_ERROR "rules: exit ${code}\n${out}")
endif()
execute_process(COMMAND "${CLI}" rules 2007 OUTPUT_VARIABLE out RESULT_VARIABLE code)
foreach(part "TUIR art. 11 c. 1" "L. 296/2006" "! non aggiornato" "Settore previdenziale Artigianato")
  string(FIND "${out}" "${part}" at)
  if(NOT code EQUAL 0 OR at EQUAL -1)
    message(SEND_ERROR "rules 2007: exit ${code}, lacks '${part}'\n${out}")
  endif()
endforeach()
fails(rules_unknown 2 "no rule set of this name" "${CLI}" rules 1999)
string(ASCII 27 ESC)
fails(rules_unknown_escaped 2 [=["19\u001b[2J99": no rule set of this name]=] "${CLI}" rules "19${ESC}[2J99")
# The option parser's messages name the argument as given: escaped too.
fails(option_value_escaped 2 [=[x\u001b]0;X]=] "${CLI}" --format "x${ESC}]0;X")
fails(argument_escaped 2 [=[\u001b[2J]=] "${CLI}" "${ESC}[2J")
file(READ "${DATA}/../../src/rules/data/2007.toml" REGOLE)
string(REPLACE "aliquote = [0.23, 0.27," "aliquote = [0.23, -0.27," ROTTE "${REGOLE}")
file(WRITE "${dir}/rotte.toml" "${ROTTE}")
fails(rules_broken 2 "rotte.toml\": irpef.aliquote[1]: negative rate" "${CLI}" --rules "${dir}/rotte.toml"
  --input "${CMAKE_CURRENT_BINARY_DIR}/cli_typical.json")
fails(rules_missing 2 "cannot read the rule set" "${CLI}" --rules "${dir}/none.toml" rules)
string(REPLACE "aliquote = [0.23, 0.27," "aliquote = [0.23, 0.28," ALTRE "${REGOLE}")
file(WRITE "${dir}/altre.toml" "${ALTRE}")
set(EXTRA_ARGS --rules "${dir}/altre.toml")
check(rules_file "${TIPICA}" 0 [=["Text4": "6.878,04"]=] [=["Text10": "21.333,00"]=])
set(EXTRA_ARGS)
set(PRE_ARGS)
set(BATCH_ARGS --rules "${dir}/altre.toml")
check_batch(rules_batch "${STAFF}" 0 [=[total "Netto in busta": 42.666,00]=])
set(BATCH_ARGS)

# "Normativa" (Combo4) chooses the rule set of each request and each row;
# --rules overrides it.
set(EXTRA_ARGS)
check(normativa_2025 [=[{"List1":"Impiegato","List2":"Settore previdenziale Commercio -50dip",
  "Text1":"30000","Combo4":"2025"}]=] 0 [=["rules": "2025"]=] [=["Text23": "1.000,00"]=]
  [=["Text10": "23.986,00"]=]
  [=[non è più tra quelli della normativa 2025: il calcolo segue \"Terziario e commercio fino a 5 dipendenti\"]=])
check(normativa_unknown [=[{"Combo4":"2024"}]=] 2 [=[Combo4 must be one of "2007", "2025", "2026"]=])
check_batch(normativa_rows "List1;List2;Text1;Combo4\nImpiegato;Settore previdenziale Commercio -50dip;30000;2025\nImpiegato;Settore previdenziale Commercio -50dip;30000;2007\nImpiegato;Settore previdenziale Commercio -50dip;30000;2024\n" 1
  [=[total "Netto in busta": 45.441,00]=] "row 4: invalid")
# Each row names its rule set (the last column); with --rules, a Combo4 that
# names another rule set is refused, naming both, in a row and in a request.
check_batch(normativa_named "List1;List2;Text1;Combo4\nImpiegato;Settore previdenziale Commercio -50dip;30000;2025\n" 0
  ";2025\n")
set(BATCH_ARGS --rules "${dir}/altre.toml")
check_batch(normativa_other_rules "List1;List2;Text1;Combo4\nImpiegato;Settore previdenziale Commercio -50dip;30000;2026\nImpiegato;Settore previdenziale Commercio -50dip;30000;2007\n" 1
  [=[row 2: invalid: Combo4 names the rule set "2026", but the rules in force are "2007" of --rules "]=]
  [=[altre.toml"]=] ";2007\n" "\n2;invalid;")
set(BATCH_ARGS)
set(EXTRA_ARGS --rules "${dir}/altre.toml")
check(normativa_other_rules [=[{"Combo4":"2026"}]=] 2 [=[Combo4 names the rule set "2026", but the rules in force are "2007"]=])
set(EXTRA_ARGS --format text)
check(normativa_text [=[{"List1":"Impiegato","List2":"Settore previdenziale Commercio -50dip",
  "Text1":"30000","Combo4":"2025"}]=] 0 "Risultato Calcolo (Annuo) - Normativa 2025")

# Rule set files of the user's in the data folders: offered by name after the
# built-in ones, to a request, a row and `rules`; one named like a built-in
# rule set, or one that cannot be used, is reported and stops nothing.
file(MAKE_DIRECTORY "${DATI_UTENTE}/zellora/regole" "${DATI_UTENTE}/sistema/zellora/regole")
file(READ "${DATA}/../../src/rules/data/2026.toml" testo_2026)
string(REPLACE "nome = \"2026\"" "nome = \"2027\"" testo_2027 "${testo_2026}")
file(WRITE "${DATI_UTENTE}/zellora/regole/2027.toml" "${testo_2027}")
file(WRITE "${DATI_UTENTE}/zellora/regole/2026.toml" "${testo_2026}")
file(WRITE "${DATI_UTENTE}/sistema/zellora/regole/rotta.toml" "nome = \"rotta\"\n")
set(EXTRA_ARGS)
check(normativa_user [=[{"List1":"Impiegato","List2":"Settore previdenziale Commercio -50dip",
  "Text1":"30000","Combo4":"2027"}]=] 0 [=["rules": "2027"]=] [=["Text10": "]=])
check(normativa_user_broken [=[{"Combo4":"rotta"}]=] 2
  [=[Combo4 names the rule set "rotta", which cannot be used: "]=] "rotta.toml")
check(normativa_user_builtin [=[{"List1":"Impiegato","List2":"Settore previdenziale Commercio -50dip","Combo4":"2026","Text1":"30000"}]=] 0 [=["rules": "2026"]=])
check(normativa_user_unknown [=[{"Combo4":"2028"}]=] 2
  [=[Combo4 must be one of "2007", "2025", "2026", "2027"]=])
fails(rules_user_warns 0 [=[2026.toml": named like the built-in rule set "2026"]=] "${CLI}" rules)
fails(rules_user_broken 0 [=[rotta.toml": descrizione: missing key]=] "${CLI}" rules)
fails(rules_user_named 2 "rotta.toml" "${CLI}" rules rotta)
check_batch(normativa_user_rows "List1;List2;Text1;Combo4\nImpiegato;Settore previdenziale Commercio -50dip;30000;2027\n" 0
  ";2027\n")
# A copy of 2026 under a name of one's own keeps the comuni of its list
# (`elenco_comuni`); without the key "Comune" says that the rule set names
# no list, and the rate typed in "Addizionale comunale %" still counts.
string(REPLACE "nome = \"2026\"" "nome = \"mia\"" testo_mia "${testo_2026}")
file(WRITE "${DATI_UTENTE}/zellora/regole/mia.toml" "${testo_mia}")
string(REPLACE "nome = \"mia\"" "nome = \"senza_comuni\"" testo_senza "${testo_mia}")
string(REGEX REPLACE "\nelenco_comuni = [0-9]+" "\n" testo_senza "${testo_senza}")
file(WRITE "${DATI_UTENTE}/zellora/regole/senza_comuni.toml" "${testo_senza}")
set(LOMBARDIA [=["List1":"Impiegato","List2":"Terziario e commercio oltre 15 dipendenti","Text1":"30000","Combo5":"Lombardia"]=])
check(normativa_user_comuni "{${LOMBARDIA},\"Combo4\":\"mia\",\"Text22\":\"Milano\"}" 0
  [=["status": "ok"]=] [=["Text26": "216,58"]=])
check(normativa_user_senza_comuni "{${LOMBARDIA},\"Combo4\":\"senza_comuni\",\"Text22\":\"MILANO (MI)\"}" 1
  [=["status": "refused"]=]
  [=[Il campo \"Comune\" non contiene un comune dell'elenco della normativa \"senza_comuni\": \"MILANO (MI)\". La normativa non indica l'anno del suo elenco dei comuni (la chiave elenco_comuni del suo file)]=])
check(normativa_user_senza_comuni_aliquota "{${LOMBARDIA},\"Combo4\":\"senza_comuni\",\"Text23\":\"0,8\"}" 0
  [=["Text26": "216,58"]=])
# "Nessuna" as every item of the list: case and blanks aside, in a request
# and in a sheet's row.
check(nessuna_minuscola [=[{"List1":"Impiegato","List2":"Terziario e commercio oltre 15 dipendenti","Text1":"30000","Combo4":"2026","Combo5":" nessuna ","Text22":"Milano"}]=] 0
  [=["status": "ok"]=] [=["Text26": "216,58"]=])
check_batch(nessuna_righe "List1;List2;Text1;Combo4;Combo5;Text22\nImpiegato;Settore previdenziale Commercio -50dip;30000;2026;NESSUNA ;Milano\nImpiegato;Settore previdenziale Commercio -50dip;30000;2026;nessuna;\n" 0
  "\n2;ok;" "\n3;ok;")
file(REMOVE_RECURSE "${DATI_UTENTE}")
set(EXTRA_ARGS)

# produces(<name> <expected exit> <file> <text expected in it> <command...>):
# the file written holds the text.
function(produces name expected_exit target part)
  file(REMOVE "${target}")
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err
    TIMEOUT 120)
  if(NOT code STREQUAL "${expected_exit}")
    message(SEND_ERROR "${name}: exit ${code}, expected ${expected_exit}\n${out}\n${err}")
  elseif(NOT EXISTS "${target}")
    message(SEND_ERROR "${name}: ${target} not written\n${err}")
  else()
    file(READ "${target}" written)
    string(FIND "${written}" "${part}" at)
    if(at EQUAL -1)
      message(SEND_ERROR "${name}: ${target} lacks '${part}'\n${written}")
    endif()
  endif()
endfunction()

# The batch reads its input's format from the extension or the first
# character, and writes the results' from -o or --format: a CSV sheet gives
# JSON Lines, JSON Lines without its extension is still read as such.
produces(batch_csv_to_jsonl 0 "${dir}/out.jsonl" [=[{"row":2,"status":"ok"]=]
  "${CLI}" batch "${dir}/staff.csv" -o "${dir}/out.jsonl")
produces(batch_csv_to_jsonl_format 0 "${dir}/out.jsonl" [=["rules":"2007"}]=]
  "${CLI}" batch "${dir}/staff.csv" -o "${dir}/out.jsonl" --format jsonl)
file(WRITE "${dir}/staff.txt"
  "\n{\"List1\":\"Impiegato\",\"List2\":\"Settore previdenziale Commercio -50dip\",\"Text1\":\"30000\"}\n")
produces(batch_jsonl_detected 0 "${dir}/out.csv" "\n2;ok;;30.000,00;"
  "${CLI}" batch "${dir}/staff.txt" -o "${dir}/out.csv")
fails(batch_format_clash 2 "--format jsonl does not go with the extension of the output"
  "${CLI}" batch "${dir}/staff.csv" -o "${dir}/clash.csv" --format jsonl)

# Plain decimals in every CSV number, never exponents.
set(EXTRA_ARGS curve --from 0 --to 200000 --step 100000)
check(curve_plain "${TIPICA}" 0 "\n100000,58261," "\n200000,109453,")
check_batch(batch_plain "List1;List2;Text1\nImpiegato;Settore previdenziale Commercio -50dip;100000\n" 0 ";100000;")
# A range the calculation cannot serve is refused before a row is printed.
set(EXTRA_ARGS curve --from 1e15 --to 2e15 --step 1e14)
check(curve_beyond "${TIPICA}" 2 "the calculation cannot serve a gross of 1e+15")
set(EXTRA_ARGS curve --to 1e308 --step 1e302)
check(curve_far_beyond "${TIPICA}" 2 "the calculation cannot serve a gross of 1e+302")
set(EXTRA_ARGS)

# No input of the run may be one of its outputs, the rule set included, by
# any name; standard input is read once.
file(WRITE "${dir}/mine.toml" "${ALTRE}")
file(CREATE_LINK "${dir}/mine.toml" "${dir}/mine-link.docx" SYMBOLIC)
fails(rules_as_batch_output 2 "it is the rule set" "${CLI}" batch "${dir}/staff.csv"
  --rules "${dir}/mine.toml" -o "${dir}/mine.toml")
fails(rules_as_export 2 "it is the rule set" "${CLI}" --rules "${dir}/mine.toml"
  --input "${CMAKE_CURRENT_BINARY_DIR}/cli_typical.json" --export "${dir}/mine-link.docx")
fails(rules_and_request_from_stdin 2 "cannot both be read from standard input" "${CLI}"
  --rules - --input -)
file(READ "${dir}/mine.toml" kept)
if(NOT kept STREQUAL "${ALTRE}")
  message(SEND_ERROR "rules as output: the rule set was changed")
endif()

# Every input is bounded while it is read: a device without end, a rule set
# padded past its limit, a sheet whose header or row never ends.
fails(input_endless 2 [=[cannot read "/dev/zero": it holds more than 1 MiB (1048576 bytes), more than any request]=]
  "${CLI}" --input /dev/zero)
fails(rules_endless 2 "more than any rule set" "${CLI}" --rules /dev/zero rules)
string(REPEAT "\n" 1048576 righe_vuote)
file(WRITE "${dir}/padded.toml" "${REGOLE}${righe_vuote}")
fails(rules_padded 2 "more than any rule set" "${CLI}" --rules "${dir}/padded.toml" rules)
fails(batch_endless 2 "more than 1 MiB without the end of the header row" "${CLI}" batch /dev/zero)
file(CREATE_LINK /dev/zero "${dir}/zero.jsonl" SYMBOLIC)
fails(batch_endless_line 2 "row 1: more than 64 MiB without the end of a line" "${CLI}" batch
  "${dir}/zero.jsonl" -o "${dir}/zero-out.csv")

# A rule set file: a BOM is taken; what it says is never echoed raw; a
# figure that would make the calculation overflow is refused, naming it.
string(ASCII 239 187 191 BOM)
file(WRITE "${dir}/bom.toml" "${BOM}${ALTRE}")
set(EXTRA_ARGS --rules "${dir}/bom.toml")
check(rules_bom "${TIPICA}" 0 [=["Text10": "21.333,00"]=])
string(REPLACE [=[nome = "2007"]=] [=[nome = "20\u001b[5m26\r\nFAKE"]=] FINTE "${REGOLE}")
file(WRITE "${dir}/finte.toml" "${FINTE}")
set(EXTRA_ARGS --rules "${dir}/finte.toml" --format text)
check(rules_escapes "${TIPICA}" 2 [=[nome: a control character in the text "20\u001b[5m26\r\nFAKE"]=])
string(REPLACE "limite = 95000" "limite = 1e308" ENORMI "${REGOLE}")
file(WRITE "${dir}/enormi.toml" "${ENORMI}")
set(EXTRA_ARGS --rules "${dir}/enormi.toml")
check(rules_overflow "${TIPICA}" 2 [=[enormi.toml": detrazione_figli.limite: amount 1e308 above]=])
set(EXTRA_ARGS)

# An empty name is never standard input, standard output or the built-in
# rules; a table asks for one rule set.
# (through the shell: CMake drops empty arguments)
fails(rules_empty 2 "--rules was given an empty name" sh -c "\"$0\" --rules '' --input \"$1\""
  "${CLI}" "${CMAKE_CURRENT_BINARY_DIR}/cli_typical.json")
fails(input_empty 2 "--input was given an empty name" sh -c "\"$0\" --input ''" "${CLI}")
fails(batch_in_empty 2 "IN was given an empty name" sh -c "\"$0\" batch ''" "${CLI}")
fails(batch_out_empty 2 "--output was given an empty name" sh -c "\"$0\" batch \"$1\" -o ''"
  "${CLI}" "${dir}/staff.csv")
fails(rules_name_and_file 2 "give a built-in NAME or --rules FILE, not both" "${CLI}" rules 2007
  --rules "${dir}/mine.toml")
