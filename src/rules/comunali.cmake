# Turns the Ministry of Finance's lists of the municipal IRPEF surcharge
# (data/comunali/comunali-YEAR.csv, one row per comune) into the data
# compiled into the rules library, checking every row on the way.
#
#   cmake -DDATI=<folder> -DCPP=<out.cpp> -DSCARTI=<out.txt> -P comunali.cmake
#
# <folder> holds elenchi.csv (year; file; the date of the list's state),
# deroghe.csv (the comuni allowed above 0,8 %), province.csv (the region of
# each province) and the lists. A CMake script
# rather than a program of ours: it runs wherever CMake runs, also when the
# library itself is cross-compiled (WebAssembly), and needs nothing more.
#
# For each year, in order, each comune gets one state:
#   deliberata     the row's deliberation, checked;
#   prorogata      no deliberation for the year ("0*" before 20 December,
#                  or a deliberation inapplicable for the year): the rules of
#                  the year before continue (L. 296/2006 art. 1 c. 169);
#   non_istituita  "0*" in a list of after 20 December: the Ministry marks so
#                  only the comuni that have not instituted the surcharge;
#   sconosciuta    the rules in force are not in the data;
#   scartata       the row fails a check: the reason goes to <out.txt>.
# A row is never repaired: a refused comune is not offered for that year.

cmake_minimum_required(VERSION 3.25)

foreach(v DATI CPP SCARTI)
  if(NOT DEFINED ${v})
    message(FATAL_ERROR "comunali.cmake: -D${v}=... is required")
  endif()
endforeach()

# ---------------------------------------------------------------------------
# Reading: a file becomes a list of lines, a line a list of fields. ";" is
# CMake's list separator, so the text must not hold the characters that
# change how CMake splits a list.

function(leggi_righe file out)
  file(READ "${file}" testo)
  if(testo MATCHES "[][\\\\\r]")
    message(FATAL_ERROR "${file}: holds a bracket, a backslash or a carriage return")
  endif()
  string(REPLACE ";" "\t" testo "${testo}")
  string(REGEX REPLACE "\n$" "" testo "${testo}")
  string(REPLACE "\n" ";" righe "${testo}")
  set(${out} "${righe}" PARENT_SCOPE)
endfunction()

macro(campi riga out)
  string(REPLACE "\t" ";" ${out} "${riga}")
endmacro()

# An amount as written in the lists ("15.000,01", "12000", "16999,99") in
# cents; "" when it is not one.
function(centesimi testo out)
  set(r "")
  if(testo MATCHES "^[0-9][0-9]?[0-9]?(\\.[0-9][0-9][0-9])+(,[0-9][0-9]?)?$"
     OR testo MATCHES "^[0-9]+(,[0-9][0-9]?)?$")
    string(REPLACE "." "" t "${testo}")
    if(t MATCHES "^([0-9]+),([0-9])$")
      set(t "${CMAKE_MATCH_1}${CMAKE_MATCH_2}0")
    elseif(t MATCHES "^([0-9]+),([0-9][0-9])$")
      set(t "${CMAKE_MATCH_1}${CMAKE_MATCH_2}")
    else()
      set(t "${t}00")
    endif()
    string(REGEX REPLACE "^0+([0-9])" "\\1" t "${t}")
    string(LENGTH "${t}" n)
    if(n LESS 11)
      math(EXPR r "${t}")
    endif()
  endif()
  set(${out} "${r}" PARENT_SCOPE)
endfunction()

# An amount the lists write otherwise than centesimi() reads, in cents, and
# how it was read: the decimals after a dot ("12.000.00", "7500.00"), a
# comma with no decimals ("15.000,"), a third decimal that is 0
# ("28.000,000"). "" when it is none of these.
function(centesimi_altrimenti testo out)
  set(r "")
  if(testo MATCHES "^([0-9]+(\\.[0-9][0-9][0-9])*)\\.([0-9][0-9])$")
    centesimi("${CMAKE_MATCH_1},${CMAKE_MATCH_3}" r)
  elseif(testo MATCHES "^(.*),$")
    centesimi("${CMAKE_MATCH_1}" r)
  elseif(testo MATCHES "^(.*,[0-9][0-9])0$")
    centesimi("${CMAKE_MATCH_1}" r)
  endif()
  set(${out} "${r}" PARENT_SCOPE)
endfunction()

# A rate in percent (",8", "0,8", "1,014", "0") in thousandths of a point;
# "" when it is not one.
function(millesimi testo out)
  set(r "")
  if(testo MATCHES "^([0-9]*),?([0-9]*)$" AND NOT testo STREQUAL "" AND NOT testo STREQUAL ",")
    set(intero "${CMAKE_MATCH_1}")
    set(dec "${CMAKE_MATCH_2}")
    string(LENGTH "${dec}" nd)
    string(LENGTH "${intero}" ni)
    if(nd LESS 4 AND ni LESS 4)
      string(APPEND dec "000")
      string(SUBSTRING "${dec}" 0 3 dec)
      if(intero STREQUAL "")
        set(intero 0)
      endif()
      string(REGEX REPLACE "^0+([0-9])" "\\1" intero "${intero}")
      string(REGEX REPLACE "^0+([0-9])" "\\1" dec "${dec}")
      math(EXPR r "${intero} * 1000 + ${dec}")
    endif()
  endif()
  set(${out} "${r}" PARENT_SCOPE)
endfunction()

# dd/mm/yyyy as yyyymmdd; "" when it is not a date.
function(data_numero testo out)
  set(r "")
  if(testo MATCHES "^([0-3][0-9])/([01][0-9])/([12][0-9][0-9][0-9])$")
    set(r "${CMAKE_MATCH_3}${CMAKE_MATCH_2}${CMAKE_MATCH_1}")
  endif()
  set(${out} "${r}" PARENT_SCOPE)
endfunction()

# The words of a band or an exemption, for reading: lower case, without the
# currency ("euro", "€", "€."), single spaces.
function(normalizza testo out)
  string(TOLOWER "${testo}" t)
  string(REPLACE "€." " " t "${t}")
  string(REPLACE "€" " " t "${t}")
  string(REPLACE "euro" " " t "${t}")
  string(REGEX REPLACE "[ \t]+" " " t "${t}")
  string(STRIP "${t}" t)
  set(${out} "${t}" PARENT_SCOPE)
endfunction()

# The shapes a band's words may take once the numbers are replaced by N, and
# what they say: "fino" (from 0 up to N), "da-a" (from N1 up to N2), "oltre"
# (above N, no upper limit). Anything else is not read.
set(forme_fino "fino a N" "fino al N" "fino a fino a N")
set(forme_da_a "da N a N" "da N fino a N" "da N e fino a N" "dal N a N" "dal N al N"
    "oltre N fino a N" "oltre N e fino a N" "tra N e N" "N - N" "N-N" "N a N" "da N fino a a N")
set(forme_oltre "oltre N" "oltre i N" "oltre a N" "da N" "dal N")
# Leading words of a band's text that say nothing of its limits.
set(parole_vuote "a" "scaglione" "scaglioni" "di" "reddito" "redditi" "imponibile" "imponibili"
    "complessivo")

# Reads the words after "Applicabile a": sets <out>_da (the lower figure, ""
# for none), <out>_a (the upper limit, "" for none), or <out>_errore.
function(leggi_fascia testo out)
  normalizza("${testo}" t)
  set(${out}_errore "" PARENT_SCOPE)
  set(${out}_letture "" PARENT_SCOPE)
  if(NOT t MATCHES "^applicabile a (.*)$")
    set(${out}_errore "testo dello scaglione non letto: \"${testo}\"" PARENT_SCOPE)
    return()
  endif()
  set(t "${CMAKE_MATCH_1}")
  string(REPLACE " ad " " a " t " ${t} ")
  string(STRIP "${t}" t)
  while(t MATCHES "^([a-z]+) (.*)$")
    list(FIND parole_vuote "${CMAKE_MATCH_1}" i)
    if(i EQUAL -1)
      break()
    endif()
    set(t "${CMAKE_MATCH_2}")
  endwhile()
  string(REGEX MATCHALL "[0-9][0-9.,]*" numeri "${t}")
  string(REGEX REPLACE "[0-9][0-9.,]*" "N" forma "${t}")
  set(valori "")
  set(letture "")
  foreach(n IN LISTS numeri)
    centesimi("${n}" c)
    if(c STREQUAL "")
      centesimi_altrimenti("${n}" c)
      if(c STREQUAL "")
        set(${out}_errore "testo dello scaglione non letto (importo \"${n}\"): \"${testo}\"" PARENT_SCOPE)
        return()
      endif()
      euro(${c} e)
      list(APPEND letture "l'importo \"${n}\" dello scaglione \"${testo}\" letto come ${e}")
    endif()
    list(APPEND valori ${c})
  endforeach()
  set(${out}_letture "${letture}" PARENT_SCOPE)
  if(forma IN_LIST forme_fino)
    set(${out}_da "" PARENT_SCOPE)
    set(${out}_a "${valori}" PARENT_SCOPE)
  elseif(forma IN_LIST forme_da_a)
    list(GET valori 0 da)
    list(GET valori 1 a)
    set(${out}_da "${da}" PARENT_SCOPE)
    set(${out}_a "${a}" PARENT_SCOPE)
  elseif(forma IN_LIST forme_oltre)
    set(${out}_da "${valori}" PARENT_SCOPE)
    set(${out}_a "" PARENT_SCOPE)
  else()
    set(${out}_errore "testo dello scaglione non letto: \"${testo}\"" PARENT_SCOPE)
  endif()
endfunction()

# Thousandths of a point as a rate in percent, "0,9".
function(percento m out)
  math(EXPR i "${m} / 1000")
  math(EXPR d "${m} % 1000 + 1000")
  string(SUBSTRING "${d}" 1 3 d)
  string(REGEX REPLACE "0+$" "" d "${d}")
  if(d STREQUAL "")
    set(${out} "${i} %" PARENT_SCOPE)
  else()
    set(${out} "${i},${d} %" PARENT_SCOPE)
  endif()
endfunction()

# Cents as an amount written the Italian way, "15.000,00": the reasons are
# shown to the user.
function(euro c out)
  math(EXPR e "${c} / 100")
  math(EXPR d "${c} % 100")
  if(d LESS 10)
    set(d "0${d}")
  endif()
  set(gruppi "")
  while(e GREATER 999)
    math(EXPR g "${e} % 1000 + 1000")
    string(SUBSTRING "${g}" 1 3 g)
    set(gruppi ".${g}${gruppi}")
    math(EXPR e "${e} / 1000")
  endwhile()
  set(${out} "${e}${gruppi},${d}" PARENT_SCOPE)
endfunction()

# How an exemption's words (normalised) are read. The Ministry's own form
# is "Esenzione per redditi imponibili fino a euro N"; the deliberations
# word many others, read here by what they name:
#   soglia      the Ministry's form;
#   reddito     a threshold of the income whatever its kind ("redditi fino
#               a 28.000,00", "reddito imponibile ... < o = euro 15.000,00");
#   lavoro      a threshold of the incomes of work: <out>_dipendenti when it
#               names employees (TUIR art. 49), <out>_assimilati when it names
#               the incomes assimilated to theirs (art. 50, the collaborators);
#   altri       incomes that a worker's pay is not (pensions alone, self-
#               employment, unemployment benefits, "altri redditi", ...);
#   condizione  a condition the calculation does not know (ISEE, household,
#               children, disability, age, property, a gross income, ...);
#   non_letta   a threshold of one of the first two kinds whose amount does
#               not read as one amount.
# Sets <out>_tipo, <out>_dipendenti, <out>_assimilati (ON or OFF) and
# <out>_soglia (cents; "" when not read): "inferiore a N" is N less a cent.
set(parole_condizione "isee" "figli" "famil" "nucle" "handicap" "disabil" "invalid" "sessant"
    "settant" "anno di et" "vivono" "proprietar" "diritti reali" "intero anno" "lordo")
set(parole_altri "altri " "altre " "restanti" "diverso da" "diversi da" "diversa da" "indennit" "cassa integrazion" "mobilit"
    "disoccupaz")
set(parole_dipendenti "dipendent" "lavoratori" "cud" "lavoro o ")
set(parole_assimilati "assimilat" "parasubordinat" "cud")
set(parole_non_lavoro "pension" "autonom" "impres" "terreni" "abitazione" "immobil" "sportiv"
    "coniuge" "fabbricat")

function(contiene testo parole out)
  set(${out} OFF PARENT_SCOPE)
  foreach(p IN LISTS ${parole})
    string(FIND "${testo}" "${p}" i)
    if(NOT i EQUAL -1)
      set(${out} ON PARENT_SCOPE)
      return()
    endif()
  endforeach()
endfunction()

function(leggi_esenzione tn out)
  set(dipendenti OFF)
  set(assimilati OFF)
  set(soglia "")
  string(REGEX REPLACE "[0-9][0-9.,]*" "N" forma "${tn}")
  # The incomes assimilated to an employee's, by name: they are not an
  # employee's.
  string(REGEX REPLACE "assimilat[a-z]* a(l|llo|d)? (quell[a-z]* di )?lavoro dipendente" "assimilati"
                       t "${tn}")
  contiene("${t}" parole_condizione condizione)
  contiene("${t}" parole_altri altri)
  contiene("${t}" parole_dipendenti dipendenti)
  contiene("${t}" parole_assimilati assimilati)
  contiene("${t}" parole_non_lavoro non_lavoro)
  if(forma STREQUAL "esenzione per redditi imponibili fino a N")
    set(tipo soglia)
  elseif(condizione)
    set(tipo condizione)
  elseif(altri)
    set(tipo altri)
  elseif(dipendenti OR assimilati)
    set(tipo lavoro)
  elseif(non_lavoro)
    set(tipo altri)
  else()
    set(tipo reddito)
  endif()
  if(tipo STREQUAL "soglia")
    string(REGEX MATCHALL "[0-9][0-9.,]*" numeri "${tn}")
    centesimi("${numeri}" soglia)
  elseif(tipo STREQUAL "reddito" OR tipo STREQUAL "lavoro")
    # The amounts of the text, without the numbers of laws, articles, dates
    # and shares; those of a thousand euro or more are the threshold, which
    # must be one.
    string(REGEX REPLACE "[0-9]+/[0-9]+(/[0-9]+)?" " " a "${tn}")
    string(REGEX REPLACE "[0-9][0-9]?\\.[0-9][0-9]?\\.[0-9][0-9][0-9][0-9]" " " a "${a}")
    string(REGEX REPLACE "(^|[ (])(art|artt|n|comma|c|lett)\\.? ?[0-9]+" " " a "${a}")
    string(REGEX REPLACE "[0-9]+ ?(%|per cento|°)" " " a "${a}")
    string(REGEX MATCHALL "[0-9][0-9.,]*[0-9]" numeri "${a}")
    set(importi "")
    set(illeggibile OFF)
    foreach(n IN LISTS numeri)
      centesimi("${n}" c)
      if(c STREQUAL "")
        centesimi_altrimenti("${n}" c)
      endif()
      if(c STREQUAL "")
        set(illeggibile ON)
      elseif(NOT c LESS 100000)
        list(APPEND importi ${c})
      endif()
    endforeach()
    list(REMOVE_DUPLICATES importi)
    list(LENGTH importi n)
    if(n EQUAL 1 AND NOT illeggibile)
      set(soglia ${importi})
      if(tn MATCHES "inferior|al di sotto|< " AND NOT tn MATCHES "ugual|pari o inferior|inferior[a-z]* o pari|< o =")
        math(EXPR soglia "${soglia} - 1")
      endif()
    else()
      set(tipo non_letta)
    endif()
  endif()
  set(${out}_tipo ${tipo} PARENT_SCOPE)
  set(${out}_dipendenti ${dipendenti} PARENT_SCOPE)
  set(${out}_assimilati ${assimilati} PARENT_SCOPE)
  set(${out}_soglia "${soglia}" PARENT_SCOPE)
endfunction()

# ---------------------------------------------------------------------------
# The check of one row with a deliberation. Sets in the caller's scope
# `errore` (the reason, or "") and, for a good row, `fasce` (a list of
# "limit_in_cents:thousandths", the last limit -1 for none) and `esenzione`
# (cents, 0 for none).

function(verifica_riga f)
  set(errore "")
  set(fasce "")
  set(esenzione 0)
  set(altre_esenzioni "")
  set(testi_esenzioni "")
  set(soglie_altre "")
  set(letture "")
  list(GET f 0 codice)
  list(GET f 7 multialiq)
  list(GET f 32 flag)
  list(GET f 33 importo_esente)

  # The pairs in use: the last pair with a rate or a text ends them.
  list(SUBLIST f 8 24 coppie)
  list(JOIN coppie "\t" coppie)
  string(REGEX REPLACE "\t+$" "" coppie "${coppie}")
  string(REPLACE "\t" ";" coppie "${coppie}")
  list(LENGTH coppie n_campi)
  math(EXPR ultima "(${n_campi} + 1) / 2 - 1")
  if(ultima LESS 0)
    set(errore "nessuna aliquota")
    set(errore "${errore}" PARENT_SCOPE)
    return()
  endif()
  list(APPEND coppie "")

  set(n_unica 0)
  set(n_fasce 0)
  set(soglie "")
  set(aliquote "")
  set(prec_da "")
  set(prec_a "")
  set(prec_testo "")
  set(limite 0)
  set(aperta OFF)
  foreach(k RANGE 0 ${ultima})
    math(EXPR ia "2 * ${k}")
    math(EXPR if "2 * ${k} + 1")
    math(EXPR pos "${k} + 1")
    list(GET coppie ${ia} a)
    list(GET coppie ${if} t)
    if(a STREQUAL "" OR t STREQUAL "")
      set(errore "coppia ${pos}: un'aliquota senza il suo testo o un testo senza la sua aliquota")
      break()
    endif()
    if(a STREQUAL "0")
      set(m 0)
    elseif(a MATCHES "^0?,([1-9])$")
      set(m "${CMAKE_MATCH_1}00")
    else()
      millesimi("${a}" m)
    endif()
    if(m STREQUAL "")
      set(errore "coppia ${pos}: l'aliquota \"${a}\" non è un numero")
      break()
    endif()
    if(t STREQUAL "Aliquota unica")
      set(tn "aliquota unica")
    else()
      normalizza("${t}" tn)
    endif()
    if(tn STREQUAL "aliquota unica")
      math(EXPR n_unica "${n_unica} + 1")
      list(APPEND aliquote ${m})
      set(fasce "-1:${m}")
    elseif(tn MATCHES "^esenzione")
      if(NOT m EQUAL 0)
        set(errore "coppia ${pos}: un'esenzione con l'aliquota \"${a}\"")
        break()
      endif()
      leggi_esenzione("${tn}" e)
      if(e_tipo STREQUAL "soglia")
        if(e_soglia STREQUAL "")
          set(errore "coppia ${pos}: l'importo dell'esenzione non è leggibile: \"${t}\"")
          break()
        endif()
        list(APPEND soglie ${e_soglia})
      else()
        # Read in other words: kept with its reading and its text, which the
        # result quotes.
        if(e_soglia STREQUAL "")
          set(e_soglia -1)
        endif()
        list(APPEND altre_esenzioni "${e_tipo}:${e_dipendenti}:${e_assimilati}:${e_soglia}")
        list(APPEND testi_esenzioni "${t}")
        if(e_tipo STREQUAL "reddito" OR e_tipo STREQUAL "lavoro")
          list(APPEND soglie_altre ${e_soglia})
        endif()
      endif()
    elseif(tn MATCHES "^applicabile")
      if(aperta)
        set(errore "coppia ${pos}: uno scaglione dopo quello senza limite superiore")
        break()
      endif()
      leggi_fascia("${t}" b)
      if(NOT b_errore STREQUAL "")
        set(errore "coppia ${pos}: ${b_errore}")
        break()
      endif()
      list(APPEND letture ${b_letture})
      math(EXPR n_fasce "${n_fasce} + 1")
      list(APPEND aliquote ${m})
      # The lower figure must be the upper limit of the band before, or that
      # limit and one cent: the two ways the deliberations write bands that
      # follow each other.
      if(n_fasce EQUAL 1)
        if(NOT b_da STREQUAL "" AND NOT b_da EQUAL 0 AND NOT b_da EQUAL 1)
          set(errore "coppia ${pos}: il primo scaglione inizia da ${b_da} centesimi, non da 0")
          break()
        endif()
      else()
        if("${b_da}|${b_a}" STREQUAL "${prec_da}|${prec_a}")
          set(errore "coppia ${pos}: lo scaglione \"${t}\" ripete il precedente")
          break()
        endif()
        if(b_da STREQUAL "")
          # "fino a 15000", "fino a 28000", ...: each band from the limit of
          # the one before, as a table of brackets is written.
          if(b_a STREQUAL "" OR NOT b_a GREATER limite)
            set(errore "coppia ${pos}: lo scaglione \"${t}\" non ha un limite inferiore dopo un altro scaglione")
            break()
          endif()
          set(b_da ${limite})
          euro(${limite} le)
          list(APPEND letture "lo scaglione \"${t}\" letto come dal limite del precedente, ${le}")
        endif()
        math(EXPR dopo "${limite} + 1")
        math(EXPR vuoto "${b_da} - ${limite}")
        if(b_da GREATER dopo)
          euro(${limite} le)
          euro(${b_da} de)
          # "fino a 15.000" then "da 15.001" (or "da 15.000,10"): the bands
          # written in whole euros (or tenths) follow each other; what lies
          # between is in the next band, which starts where the one before
          # ends. A wider gap is not read.
          if(vuoto GREATER 100)
            set(errore "coppia ${pos}: un vuoto tra ${le} e ${de}")
            break()
          endif()
          list(APPEND letture "tra ${le} e ${de} nessuno scaglione: il reddito oltre ${le} è nello scaglione che inizia da ${de}")
        endif()
        if(b_da LESS limite)
          euro(${limite} le)
          set(errore "coppia ${pos}: lo scaglione \"${t}\" si sovrappone al precedente (fino a ${le})")
          break()
        endif()
      endif()
      if(b_a STREQUAL "")
        set(aperta ON)
        list(APPEND fasce "-1:${m}")
      else()
        set(base ${limite})
        if(NOT b_da STREQUAL "" AND b_da GREATER base)
          set(base ${b_da})
        endif()
        if(NOT b_a GREATER base)
          set(errore "coppia ${pos}: il limite superiore di \"${t}\" non cresce")
          break()
        endif()
        if(b_a GREATER 2000000000)
          set(errore "coppia ${pos}: il limite di \"${t}\" è fuori misura")
          break()
        endif()
        set(limite ${b_a})
        list(APPEND fasce "${b_a}:${m}")
      endif()
      set(prec_da "${b_da}")
      set(prec_a "${b_a}")
    else()
      set(errore "pair ${pos}: the text \"${t}\" is neither a rate, a band nor an exemption")
      break()
    endif()
  endforeach()

  list(LENGTH soglie n_soglie)
  if(errore STREQUAL "")
    if(n_unica GREATER 0 AND n_fasce GREATER 0)
      set(errore "un'aliquota unica insieme a scaglioni")
    elseif(n_unica GREATER 1)
      set(errore "${n_unica} aliquote uniche")
    elseif(n_unica EQUAL 0 AND n_fasce EQUAL 0)
      set(errore "nessuna aliquota")
    elseif(n_fasce GREATER 0 AND NOT aperta)
      euro(${limite} le)
      set(errore "l'ultimo scaglione finisce a ${le}: il reddito oltre non ha un'aliquota")
    elseif(n_soglie GREATER 1)
      set(errore "${n_soglie} soglie di esenzione")
    endif()
  endif()

  # The rate: at most 0,8 % (D.Lgs. 360/1998 art. 1 c. 3), unless the comune
  # is one of the derogations.
  if(errore STREQUAL "")
    foreach(m IN LISTS aliquote)
      if(m GREATER 800)
        percento(${m} p)
        if(NOT DEFINED deroga_${codice})
          set(errore "un'aliquota di ${p}, oltre lo 0,8 %, senza una deroga nota")
          break()
        elseif(NOT deroga_${codice} STREQUAL "" AND m GREATER deroga_${codice})
          percento(${deroga_${codice}} pm)
          set(errore "un'aliquota di ${p}, oltre il massimo del comune (${pm})")
          break()
        endif()
      endif()
    endforeach()
  endif()

  # The columns that summarise the row must agree with it: MULTIALIQ is SI
  # for more than one pair; IMPORTO_ESENTE is the exemption's threshold (left
  # at 0 by the Ministry in the rows of FLAG_NUOVA 0); FLAG_NUOVA 1 to 4 says
  # single rate or bands, without or with the exemption.
  if(errore STREQUAL "")
    math(EXPR n_coppie "${ultima} + 1")
    if(n_coppie GREATER 1)
      set(atteso "SI")
    else()
      set(atteso "NO")
    endif()
    if(n_soglie EQUAL 1)
      set(esenzione ${soglie})
    endif()
    centesimi("${importo_esente}" ie)
    list(LENGTH altre_esenzioni n_altre)
    # The exemptions in other words count as thresholds of the row's shape;
    # with them the Ministry leaves IMPORTO_ESENTE at 0 or gives one of
    # their amounts.
    math(EXPR n_tutte "${n_soglie} + ${n_altre}")
    set(ie_altra OFF)
    if(n_altre GREATER 0 AND NOT ie STREQUAL "")
      if(ie EQUAL 0 OR ie IN_LIST soglie_altre)
        set(ie_altra ON)
      endif()
    endif()
    if(NOT multialiq STREQUAL atteso)
      set(errore "MULTIALIQ \"${multialiq}\" con ${n_coppie} coppie")
    elseif(ie STREQUAL "")
      set(errore "IMPORTO_ESENTE \"${importo_esente}\" non è un importo")
    elseif(NOT ie EQUAL esenzione AND NOT (flag STREQUAL "0" AND ie EQUAL 0) AND NOT ie_altra)
      euro(${esenzione} ee)
      set(errore "IMPORTO_ESENTE \"${importo_esente}\" diverso dal testo dell'esenzione (${ee})")
    elseif(flag STREQUAL "0")
    elseif(flag MATCHES "^[56]$")
      # 5 and 6: a single rate or bands with exemptions for categories of
      # taxpayers or of incomes.
      if(n_altre EQUAL 0)
        set(errore "FLAG_NUOVA \"${flag}\" senza un'esenzione per categorie")
      elseif((flag EQUAL 5 AND NOT n_unica EQUAL 1) OR (flag EQUAL 6 AND n_fasce EQUAL 0))
        set(errore "FLAG_NUOVA \"${flag}\" diverso dalla riga")
      endif()
    elseif(flag MATCHES "^[1-4]$")
      set(n_soglie ${n_tutte})
      if(n_unica EQUAL 1 AND n_soglie EQUAL 0)
        set(forma 1)
      elseif(n_unica EQUAL 1)
        set(forma 2)
      elseif(n_soglie EQUAL 0)
        set(forma 3)
      else()
        set(forma 4)
      endif()
      if(NOT flag EQUAL forma)
        set(errore "FLAG_NUOVA \"${flag}\" diverso dalla riga, che si legge come ${forma}")
      endif()
    else()
      set(errore "FLAG_NUOVA \"${flag}\" sconosciuto")
    endif()
  endif()

  set(errore "${errore}" PARENT_SCOPE)
  set(fasce "${fasce}" PARENT_SCOPE)
  set(esenzione "${esenzione}" PARENT_SCOPE)
  set(altre_esenzioni "${altre_esenzioni}" PARENT_SCOPE)
  set(testi_esenzioni "${testi_esenzioni}" PARENT_SCOPE)
  set(letture "${letture}" PARENT_SCOPE)
endfunction()

# ---------------------------------------------------------------------------
# C++ text.

# The texts live in one pool of NUL-terminated strings, named by their
# offset: tables of offsets need no relocation when the program loads.
# Appends `testo` to the pool unless `chiave` names it already; sets `out` to
# its offset.
function(nel_pool chiave testo out)
  get_property(off GLOBAL PROPERTY "pool_${chiave}")
  if("${off}" STREQUAL "")
    get_property(fine GLOBAL PROPERTY pool_fine)
    set(off ${fine})
    string(LENGTH "${testo}" n)
    math(EXPR fine "${fine} + ${n} + 1")
    set_property(GLOBAL PROPERTY pool_fine ${fine})
    set_property(GLOBAL PROPERTY "pool_${chiave}" ${off})
    string(REPLACE "\\" "\\\\" t "${testo}")
    string(REPLACE "\"" "\\\"" t "${t}")
    set_property(GLOBAL APPEND_STRING PROPERTY pool_testo "    \"${t}\\0\"\n")
  endif()
  set(${out} ${off} PARENT_SCOPE)
endfunction()
set_property(GLOBAL PROPERTY pool_fine 1)
set_property(GLOBAL PROPERTY pool_testo "    \"\\0\"\n")

# ---------------------------------------------------------------------------

leggi_righe("${DATI}/deroghe.csv" righe)
list(POP_FRONT righe)
foreach(riga IN LISTS righe)
  campi("${riga}" f)
  list(GET f 0 codice)
  list(GET f 2 massimo)
  set(m "")
  if(NOT massimo STREQUAL "")
    millesimi("${massimo}" m)
    if(m STREQUAL "")
      message(FATAL_ERROR "deroghe.csv: ${codice}: the maximum \"${massimo}\" is not a rate")
    endif()
  endif()
  set(deroga_${codice} "${m}")
endforeach()

# The region of each province (province.csv: its sigla as the lists give
# it, its name, and the region or autonomous province by the name the rule
# sets give it), from ISTAT's list of the territorial units: every province
# of a list must be in it.
leggi_righe("${DATI}/province.csv" righe)
list(POP_FRONT righe testa)
if(NOT testa STREQUAL "SIGLA\tPROVINCIA\tREGIONE")
  message(FATAL_ERROR "province.csv: the header is not SIGLA;PROVINCIA;REGIONE")
endif()
set(out_province "")
foreach(riga IN LISTS righe)
  campi("${riga}" f)
  list(LENGTH f n)
  if(NOT n EQUAL 3)
    message(FATAL_ERROR "province.csv: \"${riga}\" is not SIGLA;PROVINCIA;REGIONE")
  endif()
  list(GET f 0 sigla)
  list(GET f 2 regione)
  if(NOT sigla MATCHES "^[A-Z][A-Z]$" OR regione STREQUAL "" OR regione MATCHES "[\"\\\\]")
    message(FATAL_ERROR "province.csv: \"${riga}\" is not SIGLA;PROVINCIA;REGIONE")
  endif()
  if(DEFINED regione_${sigla})
    message(FATAL_ERROR "province.csv: ${sigla} twice")
  endif()
  set(regione_${sigla} "${regione}")
  string(APPEND out_province "    {\"${sigla}\", \"${regione}\"},\n")
endforeach()

leggi_righe("${DATI}/elenchi.csv" elenchi)
list(POP_FRONT elenchi)

set(intestazione "CODICE_CATASTALE;COMUNE;PR;NUMERO_DELIBERA;DATA_DELIBERA;DATA_PUBBLICAZIONE;NOTE;MULTIALIQ;ALIQUOTA;FASCIA")
foreach(k RANGE 2 12)
  string(APPEND intestazione ";ALIQUOTA_${k};FASCIA_${k}")
endforeach()
string(APPEND intestazione ";FLAG_NUOVA;IMPORTO_ESENTE")
string(REPLACE ";" "\t" intestazione "${intestazione}")

# The generated text grows in global properties: appended to in place,
# where a variable would be copied whole at every append.
set_property(GLOBAL PROPERTY out_fasce "")
set_property(GLOBAL PROPERTY out_delibere "")
set_property(GLOBAL PROPERTY out_comuni "")
set_property(GLOBAL PROPERTY out_esenzioni "")
set(n_esenzioni_tot 0)
set(lette "")
set(out_elenchi "")
set(note "")
set(n_delibere 0)
set(n_fasce_tot 0)
set(n_motivi 1)
set(scarti "")
set(riepilogo "")
set(anno_prec "")
set(stati deliberata prorogata non_istituita sconosciuta scartata)

foreach(voce IN LISTS elenchi)
  campi("${voce}" e)
  list(GET e 0 anno)
  list(GET e 1 nome_file)
  list(GET e 2 stato_al)
  data_numero("${stato_al}" stato_al_n)
  if(stato_al_n STREQUAL "" OR NOT anno MATCHES "^[0-9][0-9][0-9][0-9]$")
    message(FATAL_ERROR "elenchi.csv: \"${voce}\" is not YEAR;FILE;dd/mm/yyyy")
  endif()
  # After 20 December of its year the list shows "0*" only for the comuni
  # that have not instituted the surcharge (the Ministry's page of the lists).
  set(dopo_20_dicembre OFF)
  if(stato_al_n GREATER "${anno}1220")
    set(dopo_20_dicembre ON)
  endif()

  leggi_righe("${DATI}/${nome_file}" righe)
  list(POP_FRONT righe testa)
  if(NOT testa STREQUAL intestazione)
    message(FATAL_ERROR "${nome_file}: the header is not the Ministry's")
  endif()

  foreach(s IN LISTS stati)
    set(conta_${s} 0)
  endforeach()
  set(codici_anno "")
  set_property(GLOBAL APPEND_STRING PROPERTY out_comuni "constexpr Comune comuni_${anno}[] = {\n")
  set(n_riga 1)
  foreach(riga IN LISTS righe)
    math(EXPR n_riga "${n_riga} + 1")
    campi("${riga}" f)
    list(LENGTH f n)
    if(NOT n EQUAL 34)
      message(FATAL_ERROR "${nome_file}:${n_riga}: ${n} fields, not 34")
    endif()
    list(GET f 0 codice)
    list(GET f 1 nome)
    list(GET f 2 provincia)
    list(GET f 3 numero)
    list(GET f 4 data)
    list(GET f 5 pubblicazione)
    list(GET f 6 nota)
    list(GET f 8 aliquota)
    if(NOT codice MATCHES "^[A-Z][0-9][0-9][0-9]$" OR NOT provincia MATCHES "^[A-Z][A-Z]$"
       OR nome STREQUAL "")
      message(FATAL_ERROR "${nome_file}:${n_riga}: not a comune: \"${codice}\" \"${nome}\" \"${provincia}\"")
    endif()
    if(NOT DEFINED regione_${provincia})
      message(FATAL_ERROR "${nome_file}:${n_riga}: the province ${provincia} is not in province.csv")
    endif()
    get_property(visto GLOBAL PROPERTY stato_${anno}_${codice} SET)
    if(visto)
      message(FATAL_ERROR "${nome_file}:${n_riga}: ${codice} twice")
    endif()

    set(stato "")
    set(delibera -1)
    set(motivo "")
    set(senza_delibera OFF)
    string(TOUPPER "${nota}" nota_maiuscola)
    if(aliquota STREQUAL "0*")
      set(senza_delibera ON)
    elseif(nota_maiuscola MATCHES "INAPPLICABIL")
      # A deliberation adopted too late for the year: its rates do not apply
      # in it (the Ministry's note), those of the year before do.
      set(senza_delibera ON)
      set(motivo_tardiva "la delibera n. ${numero} del ${data} non si applica al ${anno} (\"${nota}\")")
    endif()

    if(senza_delibera)
      if(aliquota STREQUAL "0*" AND anno_prec STREQUAL "" AND dopo_20_dicembre)
        set(stato non_istituita)
      elseif(anno_prec STREQUAL "")
        set(stato sconosciuta)
        if(aliquota STREQUAL "0*")
          set(motivo "nessuna delibera per il ${anno} nell'elenco al ${stato_al}, e nessun elenco dell'anno prima")
        else()
          set(motivo "${motivo_tardiva}, e le regole dell'anno prima non sono nei dati")
        endif()
      else()
        get_property(prec GLOBAL PROPERTY stato_${anno_prec}_${codice})
        if("${prec}" STREQUAL "")
          set(stato sconosciuta)
          set(motivo "nessuna delibera per il ${anno}, e il comune non è nell'elenco del ${anno_prec}")
        else()
          list(GET prec 0 stato)
          list(GET prec 1 delibera)
          if(stato STREQUAL "deliberata")
            set(stato prorogata)
          elseif(stato STREQUAL "sconosciuta" OR stato STREQUAL "scartata")
            get_property(motivo_prec GLOBAL PROPERTY motivo_${anno_prec}_${codice})
            set(motivo "nessuna delibera per il ${anno}, e per il ${anno_prec}: ${motivo_prec}")
          endif()
        endif()
      endif()
    else()
      data_numero("${data}" data_n)
      data_numero("${pubblicazione}" pubblicazione_n)
      verifica_riga("${f}")
      if(errore STREQUAL "" AND (numero STREQUAL "" OR data_n STREQUAL "" OR pubblicazione_n STREQUAL ""))
        set(errore "il numero o le date della delibera mancano o non sono date")
      endif()
      if(NOT errore STREQUAL "")
        set(stato scartata)
        set(motivo "${errore}")
      else()
        set(stato deliberata)
        set(delibera ${n_delibere})
        math(EXPR n_delibere "${n_delibere} + 1")
        list(LENGTH fasce nf)
        nel_pool("numero_${numero}" "${numero}" numero_c)
        nel_pool("nota_${nota}" "${nota}" indice_nota)
        set(indice_letture 0)
        if(NOT letture STREQUAL "")
          list(JOIN letture "; " letture)
          nel_pool("letture_${anno}_${codice}" "${letture}" indice_letture)
          string(APPEND lette "${anno};${codice};${nome};${provincia};${letture}\n")
        endif()
        list(LENGTH altre_esenzioni ne)
        set(k 0)
        foreach(x IN LISTS altre_esenzioni)
          string(REPLACE ":" ";" x "${x}")
          list(GET x 0 tipo)
          list(GET x 1 dip)
          list(GET x 2 ass)
          list(GET x 3 soglia)
          list(GET testi_esenzioni ${k} te)
          math(EXPR k "${k} + 1")
          # The incomes named count for a threshold of the incomes of work
          # only.
          foreach(v dip ass)
            if(${v} AND tipo STREQUAL "lavoro")
              set(${v} true)
            else()
              set(${v} false)
            endif()
          endforeach()
          nel_pool("esenzione_${te}" "${te}" indice_te)
          set_property(GLOBAL APPEND_STRING PROPERTY out_esenzioni
            "    {${soglia}, ${indice_te}, Lettura::${tipo}, ${dip}, ${ass}},\n")
          if(soglia EQUAL -1)
            set(se "")
          else()
            euro(${soglia} se)
          endif()
          string(APPEND lette "${anno};${codice};${nome};${provincia};${tipo}")
          if(tipo STREQUAL "lavoro")
            string(APPEND lette " (dipendenti ${dip}, assimilati ${ass})")
          endif()
          string(APPEND lette " ${se};${te}\n")
        endforeach()
        set_property(GLOBAL APPEND_STRING PROPERTY out_delibere
          "    {${numero_c}, ${data_n}, ${pubblicazione_n}, ${esenzione}, ${indice_nota}, ${indice_letture}, ${anno}, ${n_fasce_tot}, ${n_esenzioni_tot}, ${nf}, ${ne}},\n")
        math(EXPR n_esenzioni_tot "${n_esenzioni_tot} + ${ne}")
        foreach(b IN LISTS fasce)
          string(REPLACE ":" ", " b "${b}")
          set_property(GLOBAL APPEND_STRING PROPERTY out_fasce "    {${b}},\n")
        endforeach()
        math(EXPR n_fasce_tot "${n_fasce_tot} + ${nf}")
      endif()
    endif()

    set_property(GLOBAL PROPERTY stato_${anno}_${codice} "${stato};${delibera}")
    set_property(GLOBAL PROPERTY motivo_${anno}_${codice} "${motivo}")
    math(EXPR conta_${stato} "${conta_${stato}} + 1")
    set(indice_motivo 0)
    if(NOT motivo STREQUAL "")
      nel_pool("motivo_${anno}_${codice}" "${motivo}" indice_motivo)
      string(APPEND scarti "${anno};${codice};${nome};${provincia};${stato};${motivo}\n")
    endif()
    nel_pool("nome_${nome}" "${nome}" nome_c)
    set_property(GLOBAL APPEND_STRING PROPERTY out_comuni
      "    {${nome_c}, ${delibera}, ${indice_motivo}, Stato::${stato}, \"${codice}\", \"${provincia}\"},\n")
  endforeach()
  set_property(GLOBAL APPEND_STRING PROPERTY out_comuni "};\n\n")
  string(APPEND out_elenchi "    {${anno}, \"${stato_al}\", comuni_${anno}},\n")
  list(LENGTH righe n_righe)
  string(APPEND riepilogo "# ${anno} (list of ${stato_al}): ${n_righe} comuni:")
  foreach(s IN LISTS stati)
    string(APPEND riepilogo " ${s} ${conta_${s}}")
  endforeach()
  string(APPEND riepilogo "\n")
  set(anno_prec ${anno})
endforeach()

if(n_fasce_tot GREATER 65535 OR n_esenzioni_tot GREATER 65535)
  message(FATAL_ERROR "comunali.cmake: ${n_fasce_tot} bands, ${n_esenzioni_tot} exemptions: more than the data's fields hold")
endif()
get_property(pool_testo GLOBAL PROPERTY pool_testo)
foreach(v out_fasce out_delibere out_comuni out_esenzioni)
  get_property(${v} GLOBAL PROPERTY ${v})
endforeach()

file(WRITE "${CPP}.tmp" "\
// Generated by src/rules/comunali.cmake from src/rules/data/comunali: the
// municipal IRPEF surcharge of each year's list. Do not edit.
#include \"comunali_dati.h\"

namespace zellora::comunali_dati {

namespace {

constexpr Fascia fasce_[] = {
${out_fasce}};

constexpr Esenzione esenzioni_[] = {
${out_esenzioni}};

constexpr Delibera delibere_[] = {
${out_delibere}};

constexpr char testi_[] =
${pool_testo};

${out_comuni}constexpr Elenco elenchi_[] = {
${out_elenchi}};

constexpr Provincia province_[] = {
${out_province}};

}  // namespace

const std::span<const Fascia> fasce{fasce_};
const std::span<const Esenzione> esenzioni{esenzioni_};
const std::span<const Delibera> delibere{delibere_};
const char* const testi = testi_;
const std::span<const Elenco> elenchi{elenchi_};
const std::span<const Provincia> province{province_};

}  // namespace zellora::comunali_dati
")
file(WRITE "${SCARTI}.tmp" "\
# The comuni of the municipal surcharge lists that are not offered: YEAR;CODE;NAME;PROVINCE;STATE;REASON
${riepilogo}${scarti}")
# The exemptions and amounts read in other words than the Ministry's, and
# how (beside <out.txt>: comunali-lette.txt).
get_filename_component(cartella_scarti "${SCARTI}" DIRECTORY)
file(WRITE "${cartella_scarti}/comunali-lette.txt.tmp" "\
# The deliberations read in other words than the Ministry's: YEAR;CODE;NAME;PROVINCE;READING;TEXT
${lette}")
# Written whole or not at all.
file(RENAME "${cartella_scarti}/comunali-lette.txt.tmp" "${cartella_scarti}/comunali-lette.txt")
file(RENAME "${CPP}.tmp" "${CPP}")
file(RENAME "${SCARTI}.tmp" "${SCARTI}")
