#!/usr/bin/env python3
"""Zellora's page in a real browser, against zellora-cli.

Serves the built page (build-web/www) on 127.0.0.1, drives it with headless
Chromium through Selenium, and checks:

- random requests of every rule set, both directions and modes, families
  and other amounts, typed into the form field by field: every results text,
  every message and the outcome as zellora-cli gives them for the same
  request;
- an address with the form in its query fills the form and shows the
  results at once;
- staff sheets (CSV and JSON Lines, broken and hostile ones too) computed in
  the page's Worker: the file downloaded byte for byte as `zellora-cli batch`
  writes it, the summary as it prints it, a sheet it refuses refused with
  its message, and the form still answering while a sheet is computed;
- the year of payslips under the results: its table as `zellora-cli
  payslips` gives it for the same request and choices, following the form,
  its choices kept in the address and read back, its refusals beside the
  field they name;
- every control has a name for assistive technology, and axe-core finds no
  violation in any state of the page (opening, results, errors, charts,
  staff sheet, rules, a phone's width);
- on a phone and under the browser's zoom: the keyboard each field asks for,
  targets of 24 px at least, the chart's text, the cents beside their
  amounts, the net at the foot of the screen while the results are below it;
- the page asks nothing of anyone but its own server.

It also measures, and prints, the time to the first result, the time of
one calculation inside the module and the time of 100.000 rows of a sheet
(measured, never asserted: the machine may be busy).

Usage: test_pagina.py --www DIR --cli ZELLORA_CLI [--richieste N] [--righe N]
                      [--righe-velocita N] [--schermate DIR]
Exit status 77 (skipped) when the page is not built, or Chromium, its
driver or Selenium are missing.
"""
import argparse
import base64
import concurrent.futures
import csv
import functools
import io
import json
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time
from http.server import SimpleHTTPRequestHandler, ThreadingHTTPServer

SALTA = 77

try:
    from selenium import webdriver
    from selenium.common.exceptions import WebDriverException
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.by import By
    from selenium.webdriver.common.keys import Keys
    from selenium.webdriver.support.ui import Select
except ImportError:
    print("skipped: python3-selenium is not installed")
    sys.exit(SALTA)

CHROMIUM = shutil.which("chromium") or "/usr/bin/chromium"
DRIVER = shutil.which("chromedriver") or "/usr/bin/chromedriver"

errori = []


def controlla(condizione, messaggio):
    if not condizione:
        errori.append(messaggio)
        print("FAIL:", messaggio, flush=True)
    return condizione


# ------------------------------------------------------------------ serving


class Server:
    """The page on 127.0.0.1, keeping every path asked for."""

    def __init__(self, cartella):
        chiesti = self.chiesti = []

        class Gestore(SimpleHTTPRequestHandler):
            extensions_map = {**SimpleHTTPRequestHandler.extensions_map, ".wasm": "application/wasm"}

            def log_message(self, *argomenti):
                pass

            def do_GET(self):
                chiesti.append(self.path)
                super().do_GET()

        self.server = ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(Gestore, directory=cartella))
        self.porta = self.server.server_address[1]
        threading.Thread(target=self.server.serve_forever, daemon=True).start()

    def indirizzo(self, coda=""):
        return f"http://127.0.0.1:{self.porta}/index.html{coda}"

    def chiudi(self):
        self.server.shutdown()
        self.server.server_close()


def browser(profilo, scaricati):
    o = webdriver.ChromeOptions()
    o.binary_location = CHROMIUM
    for a in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
              "--disable-background-networking", "--disable-component-update", "--disable-sync",
              "--disable-dev-shm-usage", "--disable-extensions", "--window-size=1280,1000",
              "--user-data-dir=" + profilo):
        o.add_argument(a)
    o.set_capability("goog:loggingPrefs", {"performance": "ALL", "browser": "ALL"})
    o.add_experimental_option("prefs", {"download.default_directory": scaricati,
                                        "download.prompt_for_download": False})
    d = webdriver.Chrome(service=Service(DRIVER), options=o)
    d.set_script_timeout(600)
    d.execute_cdp_cmd("Browser.setDownloadBehavior", {"behavior": "allow", "downloadPath": scaricati})
    return d


def attendi(funzione, secondi=60, passo=0.02):
    fine = time.monotonic() + secondi
    while time.monotonic() < fine:
        v = funzione()
        if v:
            return v
        time.sleep(passo)
    return None


def apri(d, server, coda=""):
    d.get(server.indirizzo(coda))
    if not attendi(lambda: d.execute_script("return document.body.dataset.pronto === '1'"), 30):
        raise RuntimeError("the page did not start: " + str(d.get_log("browser")))


# ------------------------------------------------------------------ zellora-cli


def cli_json(cli, richiesta):
    r = subprocess.run([cli, "--format", "json"], input=json.dumps(richiesta, ensure_ascii=False).encode(),
                       capture_output=True, env={**os.environ, "LC_ALL": "C"}, timeout=60)
    if r.returncode == 2:
        return {"error": r.stderr.decode().strip().removeprefix("zellora-cli: ")}
    return json.loads(r.stdout)


def cli_buste(cli, richiesta):
    """`zellora-cli payslips` of a request with the year's choices under "payslips"."""
    r = subprocess.run([cli, "payslips", "--format", "json"],
                       input=json.dumps(richiesta, ensure_ascii=False).encode(),
                       capture_output=True, env={**os.environ, "LC_ALL": "C"}, timeout=60)
    return json.loads(r.stdout)


def cli_batch(cli, foglio, uscita):
    r = subprocess.run([cli, "batch", foglio, "-o", uscita], capture_output=True,
                       env={**os.environ, "LC_ALL": "C"}, timeout=600)
    return r.returncode, r.stderr.decode("utf-8", "replace")


# ------------------------------------------------------------------ the page's state

LEGGI_PAGINA = """
const esito = {stato: document.getElementById('Form2').dataset.stato, risultati: {}, messaggi: []};
for (const o of document.querySelectorAll('#Form2 output[data-box]')) esito.risultati['Text' + o.dataset.box] = o.textContent;
for (const p of document.querySelectorAll('#messaggi p')) esito.messaggi.push(p.textContent);
return esito;
"""

LEGGI_FORM = """
const r = {};
for (const e of document.querySelectorAll('#Form1 input, #Form1 select')) {
  if (e.type === 'radio' || e.type === 'checkbox') r[e.id] = e.checked;
  else if (e.tagName === 'SELECT') r[e.id] = e.selectedIndex >= 0 ? e.value : '';
  else r[e.id] = e.value;
}
return r;
"""

# The form and the results once the page has calculated what the form holds.
LEGGI_A_CALCOLO_FATTO = """
const fatto = arguments[arguments.length - 1];
const leggi = () => {
  if (document.body.dataset.calcolo !== 'fatto') { setTimeout(leggi, 1); return; }
  fatto([(() => {""" + LEGGI_FORM + """})(), (() => {""" + LEGGI_PAGINA + """})()]);
};
leggi();
"""



def confronta(pagina, cli, etichetta):
    """The page against zellora-cli for one request; True when they agree."""
    if "error" in cli:
        return controlla(pagina["messaggi"] == [cli["error"]] and pagina["stato"] == "error",
                         f"{etichetta}: zellora-cli refuses the request ({cli['error']}), the page shows {pagina}")
    # Every box zellora-cli fills shows its text; a box of the rule set's
    # rows that it does not give (a refused calculation) is empty.
    attesi = cli["results"]
    ok = controlla(pagina["stato"] == cli["status"],
                   f"{etichetta}: outcome {pagina['stato']!r}, zellora-cli {cli['status']!r}")
    for box in set(attesi) | set(pagina["risultati"]):
        if pagina["risultati"].get(box) != attesi.get(box, ""):
            ok &= controlla(False, f"{etichetta}: {box} shows {pagina['risultati'].get(box)!r}, "
                                   f"zellora-cli {attesi.get(box)!r}")
    ok &= controlla(pagina["messaggi"] == cli["messages"],
                    f"{etichetta}: messages {pagina['messaggi']}, zellora-cli {cli['messages']}")
    return ok


# ------------------------------------------------------------------ typing requests


def testo_importo(caso, mensile, netto=False):
    scelta = caso.random()
    v = caso.randint(900, 4500) if mensile else caso.randint(8000, 90000)
    if netto and scelta >= 0.87:
        return caso.choice(["", "abc", "12.5", "-100", " 2500 ", "1.2.3", "+750", "30000€"])
    if scelta < 0.55:
        return str(v)
    if scelta < 0.7:
        return f"{v:,}".replace(",", ".")                   # grouped the Italian way
    if scelta < 0.8:
        return f"{v},{caso.randint(0, 99):02d}"
    if scelta < 0.84:
        return str(caso.randint(0, 500))
    if scelta < 0.87:
        return "0"
    return caso.choice(["", "abc", "12.5", "-100", " 2500 ", "1.2.3", "+750", "1e5", "30000€", "9999999"])


def testo_piccolo(caso, massimo, errati=0.05):
    if caso.random() < errati:
        return caso.choice(["", "x", "-1", "1,5", "99", " "])
    return str(caso.randint(0, massimo))


def scegli(d, nome, valore):
    Select(d.find_element(By.ID, nome)).select_by_visible_text(valore)


def digita(d, nome, testo):
    e = d.find_element(By.ID, nome)
    if testo == "":
        e.send_keys(Keys.CONTROL, "a", Keys.NULL, Keys.DELETE)
    else:
        e.send_keys(Keys.CONTROL, "a", Keys.NULL, testo)


# Typing through the browser's own input: the field takes the focus, then
# the keys or the text come as the keyboard's would (the browser applies the
# field's length limit and the page gets its input events).
def cdp(d, metodo, **parametri):
    return d.execute_cdp_cmd(metodo, parametri)


def fuoco(d, nome, seleziona=False):
    cdp(d, "Runtime.evaluate", expression="(() => { const e = document.getElementById(%s); e.focus(); %s })()"
        % (json.dumps(nome), "e.select();" if seleziona else ""))


TASTI = {" ": ("Space", 32), "Delete": ("Delete", 46)}


def tasto(d, chiave):
    if chiave in TASTI:
        codice, virtuale = TASTI[chiave]
    else:
        codice = ("Key" + chiave.upper()) if chiave.isalpha() else "Digit" + chiave
        virtuale = ord(chiave.upper())
    giu = {"type": "keyDown", "key": chiave, "code": codice, "windowsVirtualKeyCode": virtuale}
    if len(chiave) == 1:
        giu["text"] = chiave
    cdp(d, "Input.dispatchKeyEvent", **giu)
    cdp(d, "Input.dispatchKeyEvent", type="keyUp", key=chiave, code=codice, windowsVirtualKeyCode=virtuale)


def scrivi(d, nome, testo):
    """Types `testo` over what the field holds."""
    fuoco(d, nome, seleziona=True)
    if testo:
        cdp(d, "Input.insertText", text=testo)
    else:
        tasto(d, "Delete")


def premi(d, nome):
    """An option button or the check box, with the space bar."""
    fuoco(d, nome)
    tasto(d, " ")


def scegli_voce(d, nome, voce):
    """An item of a drop-down list: typed ("5" for "50"), or the empty one."""
    if voce == "":
        Select(d.find_element(By.ID, nome)).select_by_index(0)
    else:
        fuoco(d, nome)
        tasto(d, voce[0])


STATO = """
const stato = {};
for (const e of document.querySelectorAll('#Form1 input, #Form1 select')) {
  if (e.type === 'radio' || e.type === 'checkbox') stato[e.id] = e.checked;
  else if (e.tagName === 'SELECT') stato[e.id] = e.selectedIndex >= 0 ? e.value : '';
  else stato[e.id] = e.value;
}
return stato;
"""


# The fields the operator can type into, as the desktop's form has them:
# the period mode decides, and today's law has no children under three.
def attivo(nome, mensile, attuale):
    if nome == "Text7":
        return mensile
    if nome in ("Text5", "Text2", "Text9", "Text10"):
        return not mensile
    if nome == "Text6":
        return not attuale
    return nome not in ("Text8", "Text12", "Text18", "Text20")


def richieste_digitate(d, cli, descrizione, quante, caso, regole):
    """Types `quante` random requests under the rule set `regole`; returns
    the number that agreed with zellora-cli."""
    scegli(d, "Combo4", regole["nome"])
    campi_max = {c["nome"]: c["lunghezza_massima"] for c in descrizione["campi"]}
    lavori = []
    famiglia = [
        ("Combo3", lambda: caso.choice(["", "No", "Si", "Si"])),
        ("Text4", lambda: testo_piccolo(caso, 4)),
        ("Combo1", lambda: caso.choice(["", "50", "100", "100"])),
        ("Text6", lambda: testo_piccolo(caso, 2)),
        ("Text3", lambda: testo_piccolo(caso, 2)),
        ("Combo2", lambda: caso.choice(["", "50", "100"])),
        ("Text2", lambda: testo_piccolo(caso, 12)),
        ("Text9", lambda: testo_piccolo(caso, 12)),
        ("Text10", lambda: testo_piccolo(caso, 12)),
        ("Text5", lambda: caso.choice(["365", "365", "180", str(caso.randint(0, 366)), "", "3655"])),
        ("Text7", lambda: caso.choice(["14", "13", "12", "15", "0", "1x"])),
        ("Text13", lambda: caso.choice(["0", "0", "1200", "350,50", "x"])),
        ("Text19", lambda: caso.choice(["0", "0", "240", "1.000", "-5"])),
        ("Text21", lambda: caso.choice(["0", "0", "600", "75,25"])),
        ("Text14", lambda: caso.choice(["0", "0", "1,5", "2", "120", "100"])),
        ("Text15", lambda: caso.choice(["0", "0", "3", "0,75", "250"])),
        ("Text11", lambda: caso.choice(["0", "0", "7", "16", "42", "abc"])),
    ]
    stato = d.execute_script(STATO)
    for n in range(quante):
        # The worker's category and sector, now and then.
        if n == 0 or caso.random() < 0.2:
            categoria = caso.choice(regole["categorie"])
            scegli(d, "List1", categoria["nome"])
            if categoria["settori"] and caso.random() < 0.9:
                scegli(d, "List2", caso.choice(categoria["settori"]))
        # Direction, period and the other choices.
        mensile = stato["Option2"]
        netto = stato["Option3"]
        if caso.random() < 0.35:
            mensile = not mensile
            premi(d, "Option2" if mensile else "Option1")
        if caso.random() < 0.35:
            netto = not netto
            premi(d, "Option3" if netto else "Option4")
        if caso.random() < 0.15:
            premi(d, "Option5" if stato["Option6"] else "Option6")
        if caso.random() < 0.15:
            premi(d, "Check1")
        # The amount, and some fields of the family and the other amounts.
        modifiche = {"Text1": testo_importo(caso, mensile, netto)}
        for nome, valore in caso.sample(famiglia, caso.randint(1, 5)):
            modifiche[nome] = valore()
        if netto and modifiche.get("Text14") in ("100", "120"):
            modifiche["Text14"] = "2"  # no gross reaches a net under 100 % of other contributions
        for nome, valore in modifiche.items():
            if nome.startswith("Combo"):
                scegli_voce(d, nome, valore)
            elif attivo(nome, mensile, regole["attuale"]):
                scrivi(d, nome, valore)
        richiesta, pagina = d.execute_async_script(LEGGI_A_CALCOLO_FATTO)
        # The request the page was given: the form as it stood, each field
        # typed cut at the field's length, a field that is off untouched.
        for nome, valore in modifiche.items():
            if nome.startswith("Combo"):
                controlla(richiesta[nome] == valore, f"{nome}: chose {valore!r}, the list holds {richiesta[nome]!r}")
            elif attivo(nome, mensile, regole["attuale"]):
                massimo = campi_max.get(nome, 0)
                atteso = valore[:massimo] if massimo else valore
                controlla(richiesta[nome] == atteso, f"{nome}: typed {valore!r}, the field holds {richiesta[nome]!r}")
            else:
                controlla(richiesta[nome] == stato[nome], f"{nome} is off, yet it changed to {richiesta[nome]!r}")
        controlla(richiesta["Option2"] == mensile and richiesta["Option3"] == netto,
                  "the period mode or the direction did not follow the keys")
        stato = richiesta
        lavori.append((richiesta, pagina))
    concordi = 0
    # The rows of the rule set; those shown only when asked for (the
    # surcharges) when the command line's result has them.
    tutte = regole["righe_lavoratore"] + regole["righe_azienda"]
    sempre = {"Text%d" % r["box"] for r in tutte if not r.get("se_chiesta")}
    chieste = {"Text%d" % r["box"] for r in tutte if r.get("se_chiesta")}
    with concurrent.futures.ThreadPoolExecutor(max_workers=2) as pool:
        for (richiesta, pagina), atteso in zip(lavori, pool.map(lambda l: cli_json(cli, l[0]), lavori)):
            etichetta = f"{regole['nome']} {json.dumps(richiesta, ensure_ascii=False)}"
            righe = sempre | (chieste & set(atteso.get("results", {})))
            controlla(set(pagina["risultati"]) == righe, f"{etichetta}: the page shows the boxes {sorted(pagina['risultati'])}")
            if confronta(pagina, atteso, etichetta):
                concordi += 1
    return concordi


# ------------------------------------------------------------------ sheets

COLONNE = ["Combo4", "List1", "List2", "Text1", "Option2", "Option3", "Combo3", "Text4", "Combo1",
           "Text6", "Text3", "Combo2", "Text13", "Text19", "Text21", "Text14", "Text15", "Option6",
           "Text11", "Check1", "Text5", "Text7", "Text2", "profile.aliquota_inps_dip"]


def foglio_csv(percorso, righe, descrizione, caso, guasti=True):
    """A staff sheet of every rule set, with some rows bad on purpose."""
    normative = descrizione["normative"]
    linee = [";".join(COLONNE)]
    for i in range(righe):
        regole = caso.choice(normative)
        categoria = caso.choice(regole["categorie"])
        settore = caso.choice(categoria["settori"]) if categoria["settori"] else ""
        mensile = caso.random() < 0.35
        # One worker in ten asks for a net, of an ordinary pay.
        netto = caso.random() < 0.1
        importo = (str(caso.randint(900, 2200) if mensile else caso.randint(8000, 32000)) if netto
                   else testo_importo(caso, mensile).replace(";", ""))
        cella = {
            "Combo4": regole["nome"], "List1": categoria["nome"], "List2": settore,
            "Text1": importo,
            "Option2": "true" if mensile else caso.choice(["", "false", "0"]),
            "Option3": caso.choice(["true", "si"]) if netto else caso.choice(["", "false"]),
            "Combo3": caso.choice(["", "No", "Si"]),
            "Text4": caso.choice(["", "0", "1", "2", "3"]),
            "Combo1": caso.choice(["", "50", "100", "100"]),
            "Text6": caso.choice(["", "0", "1"]), "Text3": caso.choice(["", "0", "1"]),
            "Combo2": caso.choice(["", "50", "100"]),
            "Text13": caso.choice(["", "0", "1200"]), "Text19": caso.choice(["", "0", "240,50"]),
            "Text21": caso.choice(["", "0", "600"]),
            "Text14": caso.choice(["", "0", "1,5"] + ([] if netto else ["120"])),
            "Text15": caso.choice(["", "0", "3"]), "Option6": caso.choice(["", "", "true"]),
            "Text11": caso.choice(["", "0", "7", "16"]), "Check1": caso.choice(["", "true", "no"]),
            "Text5": caso.choice(["", "365", "200"]), "Text7": caso.choice(["", "14", "13"]),
            "Text2": caso.choice(["", "12", "6"]),
            "profile.aliquota_inps_dip": caso.choice([""] * 20 + ["0,0919", "0,1", "x"]),
        }
        if guasti and caso.random() < 0.01:
            guasto = caso.randrange(6)
            if guasto == 0:
                cella["List1"] = "Dirigente"
            elif guasto == 1:
                cella["List2"] = "Settore che non c'è"
            elif guasto == 2:
                cella["Text1"] = '"30;000"'       # quoted, with the separator inside
            elif guasto == 3:
                cella["Text1"] = "\u00e0\u20ac"
            elif guasto == 4:
                cella["Combo4"] = "1999"
            else:
                cella["Option2"] = "forse"
        linee.append(";".join(cella[c] for c in COLONNE))
        if guasti and caso.random() < 0.002:
            linee.append("")                            # a blank line
        if guasti and caso.random() < 0.002:
            linee.append(";".join(["1"] * (len(COLONNE) + 2)))  # more cells than the header
    testo = ("\ufeff" if guasti else "") + "\r\n".join(linee) + "\r\n"
    with open(percorso, "wb") as f:
        f.write(testo.encode("utf-8"))


def foglio_jsonl(percorso, righe, descrizione, caso):
    with open(percorso, "w", encoding="utf-8") as f:
        for i in range(righe):
            regole = caso.choice(descrizione["normative"])
            categoria = caso.choice(regole["categorie"])
            mensile = caso.random() < 0.4
            netto = caso.random() < 0.1
            r = {"Combo4": regole["nome"], "List1": categoria["nome"],
                 "Text1": str(caso.randint(900, 2200) if mensile else caso.randint(8000, 32000)) if netto
                 else testo_importo(caso, mensile), "Option2": mensile,
                 "Option3": netto, "Combo3": caso.choice(["", "Si"])}
            if categoria["settori"]:
                r["List2"] = caso.choice(categoria["settori"])
            if caso.random() < 0.01:
                f.write('{"Text1": 5}\n')
                continue
            if caso.random() < 0.01:
                f.write('{"Text1": "5", nope\n')
                continue
            f.write(json.dumps(r, ensure_ascii=caso.random() < 0.5) + "\n")


def scaricato(cartella, nome, secondi=120):
    percorso = os.path.join(cartella, nome)

    def pronto():
        if not os.path.exists(percorso):
            return False
        return not any(n.endswith(".crdownload") for n in os.listdir(cartella))
    return percorso if attendi(pronto, secondi, 0.05) else None


def avvia_foglio(d, foglio):
    d.execute_script("delete document.body.dataset.lotto; document.getElementById('foglio').value = ''")
    d.find_element(By.ID, "foglio").send_keys(foglio)
    attendi(lambda: d.execute_script("return document.body.dataset.lotto !== undefined"), 10, 0.005)


def calcola_foglio(d, foglio, avviato=False, attesa=600):
    """Gives the sheet to the page (unless it has it already); returns the
    page's outcome."""
    if not avviato:
        avvia_foglio(d, foglio)
    stato = attendi(lambda: d.execute_script(
        "const s = document.body.dataset.lotto; return s === 'fatto' || s === 'errore' ? s : null"), attesa, 0.05)
    return {
        "stato": stato,
        "errore": d.find_element(By.ID, "errore-lotto").text,
        "riepilogo": d.execute_script("return document.getElementById('riepilogo').textContent"),
        "conto": d.execute_script("return document.getElementById('stato-lotto').textContent"),
        "ms": d.execute_script("return Number(document.getElementById('stato-lotto').dataset.millisecondi)"),
    }


# Words of the command line's English messages, which no message of the page
# may hold.
INGLESE = re.compile(r"\b(must|unknown|not|the|holds|invalid|cannot|row|rows|workers|refused|total)\b")


def riepilogo_italiano(pagina, stderr):
    """The page's summary is zellora-cli's in Italian: the same rows, messages
    and figures, each line in its Italian words."""
    tradotte = []
    for riga in stderr.splitlines():
        m = re.fullmatch(r"row (\d+): (refused|invalid): (.*)", riga)
        if m:
            stato = "rifiutata" if m.group(2) == "refused" else "non valida"
            tradotte.append((f"riga {m.group(1)}: {stato}: ", m.group(3)))
            continue
        m = re.fullmatch(r"\.\.\. and (\d+) more rows not calculated \(see the status column\)", riga)
        if m:
            tradotte.append((f"... e altre {m.group(1)} righe non calcolate (vedere la colonna status)", None))
            continue
        m = re.fullmatch(r"workers: (\d+), refused: (\d+), unreachable: (\d+)", riga)
        if m:
            tradotte.append((f"lavoratori: {m.group(1)}, non calcolati: {m.group(2)}, "
                             f"netto irraggiungibile: {m.group(3)}", None))
            continue
        tradotte.append((riga.replace("total ", "totale ", 1), None))
    righe = pagina.splitlines()
    if len(righe) != len(tradotte):
        return False
    for riga, (attesa, messaggi) in zip(righe, tradotte):
        if messaggi is None:
            if riga != attesa:
                return False
        elif not riga.startswith(attesa) or not messaggio_italiano(riga[len(attesa):], messaggi):
            return False
    return True


def messaggio_italiano(pagina, cli):
    """A row's messages on the page: zellora-cli's where they are the form's
    (already Italian), otherwise Italian words of their own."""
    return pagina == cli or (pagina and not INGLESE.search(pagina))


def stessi_risultati(pa, pb, jsonl):
    """The page's results file is zellora-cli batch's, byte for byte but for
    the messages of the rows the batch cannot take, which are in Italian."""
    if jsonl:
        ra = [json.loads(r) for r in pa.decode("utf-8").splitlines()]
        rb = [json.loads(r) for r in pb.decode("utf-8").splitlines()]
        stato, messaggi = "status", "messages"
    else:
        testo_a, testo_b = pa.decode("utf-8"), pb.decode("utf-8")
        separatore = ";" if ";" in testo_b.split("\n", 1)[0] else ","
        ra = list(csv.reader(io.StringIO(testo_a, newline=""), delimiter=separatore))
        rb = list(csv.reader(io.StringIO(testo_b, newline=""), delimiter=separatore))
        if not ra or ra[0] != rb[0]:
            return False, "header"
        stato, messaggi = rb[0].index("status"), rb[0].index("messages")
        ra, rb = [dict(enumerate(r)) for r in ra[1:]], [dict(enumerate(r)) for r in rb[1:]]
    if len(ra) != len(rb):
        return False, f"{len(ra)} rows, zellora-cli {len(rb)}"
    for a, b in zip(ra, rb):
        if b.get(stato) != "invalid":
            if a != b:
                return False, f"{a} / {b}"
            continue
        resto_a = {k: v for k, v in a.items() if k != messaggi}
        resto_b = {k: v for k, v in b.items() if k != messaggi}
        ma = " | ".join(a[messaggi]) if jsonl else a[messaggi]
        mb = " | ".join(b[messaggi]) if jsonl else b[messaggi]
        if resto_a != resto_b or ma == mb or not messaggio_italiano(ma, mb):
            return False, f"{a} / {b}"
    return True, ""


def prova_foglio(d, cli, foglio, scaricati, etichetta, avviato=False, rifiuto=None):
    """One sheet in the page and through `zellora-cli batch`; both must agree,
    the page in Italian. `rifiuto`: how the page's refusal of the sheet starts."""
    for n in os.listdir(scaricati):
        os.remove(os.path.join(scaricati, n))
    pagina = calcola_foglio(d, foglio, avviato)
    uscita = os.path.join(os.path.dirname(foglio), "cli-" + os.path.basename(foglio))
    stato, stderr = cli_batch(cli, foglio, uscita)
    if stato == 2:
        messaggio = stderr.strip().removeprefix("zellora-cli batch: ")
        inizio = f"Il foglio \"{os.path.basename(foglio)}\" non può essere calcolato: "
        italiano = pagina["errore"].removeprefix(inizio)
        controlla(pagina["stato"] == "errore" and pagina["errore"].startswith(inizio) and italiano
                  and not INGLESE.search(italiano) and italiano.startswith(rifiuto or ""),
                  f"{etichetta}: zellora-cli refuses the sheet ({messaggio}); the page: {pagina}")
        return pagina
    if not controlla(pagina["stato"] == "fatto", f"{etichetta}: the page did not finish: {pagina}"):
        return pagina
    controlla(riepilogo_italiano(pagina["riepilogo"], stderr),
              f"{etichetta}: summary\n{pagina['riepilogo']}\nzellora-cli:\n{stderr}")
    # "2 calcolate, 1 non calcolata su 3 righe in 0,06 s."
    conti = re.search(r"^workers: (\d+), refused: (\d+),", stderr, re.M)
    if conti:
        lavoratori, rifiutati = int(conti.group(1)), int(conti.group(2))
        calcolate = lavoratori - rifiutati
        genere = lambda n, uno, altri: uno if n == 1 else altri
        attesa = (f"{intero(calcolate)} {genere(calcolate, 'calcolata', 'calcolate')}, "
                  f"{intero(rifiutati)} non {genere(rifiutati, 'calcolata', 'calcolate')} su "
                  f"{intero(lavoratori)} {genere(lavoratori, 'riga', 'righe')} in ")
        controlla(pagina["conto"].startswith(attesa) and re.fullmatch(r"\d+,\d\d s\.", pagina["conto"][len(attesa):]),
                  f"{etichetta}: the count {pagina['conto']!r}, expected {attesa!r}...")
    nome = d.find_element(By.ID, "scarica").get_attribute("download")
    d.find_element(By.ID, "scarica").click()
    percorso = scaricato(scaricati, nome)
    if controlla(percorso is not None, f"{etichetta}: nothing downloaded as {nome}"):
        with open(percorso, "rb") as a, open(uscita, "rb") as b:
            pa, pb = a.read(), b.read()
        uguali, dove = stessi_risultati(pa, pb, nome.endswith(".jsonl"))
        controlla(uguali, f"{etichetta}: the download differs from zellora-cli batch: {dove[:600]}")
    return pagina


def intero(n):
    """A whole number as the page writes it: 12.345."""
    return f"{n:,}".replace(",", ".")


# ------------------------------------------------------------------ checks of the page


def nomi_accessibili(d):
    senza = d.execute_script("""
const senza = [];
for (const e of document.querySelectorAll('input, select, button, output')) {
  if (e.closest('[hidden]')) continue;
  const nome = e.getAttribute('aria-label') || e.getAttribute('aria-labelledby') ||
    (e.labels && e.labels.length && [...e.labels].map(l => l.textContent.trim()).join(' ')) ||
    (e.tagName === 'BUTTON' && e.textContent.trim()) || (e.tagName === 'A' && e.textContent.trim());
  if (!nome && e.type !== 'hidden') senza.push(e.id || e.outerHTML.slice(0, 80));
}
return senza;""")
    controlla(not senza, f"controls without a name: {senza}")


def richieste_di_rete(d, server):
    """Every request the browser made: all must be the page's own."""
    altri = set()
    for voce in d.get_log("performance"):
        m = json.loads(voce["message"])["message"]
        if m.get("method") == "Network.requestWillBeSent":
            url = m["params"]["request"]["url"]
            # The browser's own pages (its new tab) are no request of the page.
            if url.split(":")[0] in ("chrome", "chrome-extension", "chrome-search", "about", "data", "blob"):
                continue
            if not url.startswith(f"http://127.0.0.1:{server.porta}/"):
                altri.add(url)
    controlla(not altri, f"requests outside the page: {sorted(altri)}")
    propri = {p.split("?")[0] for p in server.chiesti}
    controlla(propri <= {"/index.html", "/style.css", "/app.js", "/zellora.js", "/zellora.wasm", "/worker.js"},
              f"files asked of the server: {sorted(propri)}")


def schermate(d, server, cartella):
    """The pictures of the documentation."""
    tipica = ("?List1=Impiegato&List2=Terziario%20e%20commercio%20fino%20a%205%20dipendenti&Text1=30000"
              "&Combo4=2026&Combo3=Si&Text4=1&Combo1=100")

    def pagina_intera(nome, larghezza, mobile=False):
        d.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                          {"width": larghezza, "height": 800, "deviceScaleFactor": 1, "mobile": mobile})
        altezza = d.execute_script("return document.documentElement.scrollHeight")
        d.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                          {"width": larghezza, "height": altezza, "deviceScaleFactor": 1, "mobile": mobile})
        time.sleep(0.3)
        d.save_screenshot(os.path.join(cartella, nome))

    d.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                      {"width": 1280, "height": 800, "deviceScaleFactor": 1, "mobile": False})
    apri(d, server)
    pagina_intera("web-desktop.png", 1280)
    apri(d, server, tipica)
    pagina_intera("web-desktop-risultati.png", 1280)
    # A phone's screen: the form as it opens, and the results of a request.
    d.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                      {"width": 360, "height": 740, "deviceScaleFactor": 2, "mobile": True})
    apri(d, server)
    d.save_screenshot(os.path.join(cartella, "web-telefono.png"))
    apri(d, server, tipica)
    d.execute_script("document.getElementById('Form2').scrollIntoView()")
    time.sleep(0.3)
    d.save_screenshot(os.path.join(cartella, "web-telefono-risultati.png"))
    d.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                      {"width": 1100, "height": 800, "deviceScaleFactor": 1, "mobile": False})
    apri(d, server, tipica)
    d.find_element(By.ID, "Grafici").click()
    time.sleep(0.5)
    altezza = d.execute_script("return document.documentElement.scrollHeight")
    d.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                      {"width": 1100, "height": altezza, "deviceScaleFactor": 1, "mobile": False})
    time.sleep(0.3)
    d.find_element(By.ID, "grafici").screenshot(os.path.join(cartella, "web-grafici.png"))
    # The year of payslips: a worker of Milan hired in March with a bonus in
    # July, at a desktop's width and on a phone.
    anno = ("?Combo4=2026&List1=Impiegato&List2=Terziario%20e%20commercio%20fino%20a%205%20dipendenti"
            "&Text1=30000&Combo5=Lombardia&Text22=MILANO%20(MI)&from_month=3&extra=7:600")
    apri(d, server, anno)
    altezza = d.execute_script("return document.documentElement.scrollHeight")
    d.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                      {"width": 1100, "height": altezza, "deviceScaleFactor": 1, "mobile": False})
    time.sleep(0.3)
    d.find_element(By.ID, "buste").screenshot(os.path.join(cartella, "web-buste.png"))
    d.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                      {"width": 360, "height": 740, "deviceScaleFactor": 2, "mobile": True})
    apri(d, server, anno)
    d.execute_script("document.getElementById('tabella-buste').scrollIntoView()")
    time.sleep(0.3)
    d.save_screenshot(os.path.join(cartella, "web-telefono-buste.png"))
    d.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                      {"width": 1100, "height": 800, "deviceScaleFactor": 1, "mobile": False})
    apri(d, server, tipica)
    # The statement as the browser prints it.
    d.execute_script("window.dispatchEvent(new Event('beforeprint'))")
    d.execute_cdp_cmd("Emulation.setEmulatedMedia", {"media": "print"})
    d.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                      {"width": 794, "height": 1123, "deviceScaleFactor": 1, "mobile": False})
    # The page's margins, which only paper has.
    d.execute_script("document.body.style.padding = '25mm 20mm 20mm 20mm'")
    time.sleep(0.3)
    d.save_screenshot(os.path.join(cartella, "web-prospetto.png"))
    d.execute_cdp_cmd("Emulation.setEmulatedMedia", {"media": ""})
    d.execute_cdp_cmd("Emulation.clearDeviceMetricsOverride", {})


# ------------------------------------------------------------------ accessibility, phone, zoom

RADICE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")


def sorgente_axe():
    """axe-core as scripts/install-deps.sh installs it (npm's package, in the
    project's .npm/ or globally); None when it is nowhere."""
    cercati = [os.path.join(RADICE, ".npm", "node_modules", "axe-core", "axe.min.js")]
    if shutil.which("npm"):
        r = subprocess.run(["npm", "root", "-g"], capture_output=True, text=True, timeout=60)
        if r.returncode == 0 and r.stdout.strip():
            cercati.append(os.path.join(r.stdout.strip(), "axe-core", "axe.min.js"))
    for percorso in cercati:
        if os.path.exists(percorso):
            with open(percorso, encoding="utf-8") as f:
                return f.read()
    return None


def axe(d, sorgente, stato):
    """No violation of axe-core's rules in the page as it stands."""
    d.execute_script(sorgente)
    violazioni = d.execute_async_script("""
const fatto = arguments[arguments.length - 1];
axe.run(document, {resultTypes: ['violations']}).then((r) => fatto(r.violations.map((v) => ({
  regola: v.id, impatto: v.impact,
  dove: v.nodes.slice(0, 4).map((n) => n.target.join(' ') + ': ' + n.failureSummary.replace(/\\s+/g, ' '))}))))
  .catch((e) => fatto(String(e)));""")
    controlla(violazioni == [], f"axe-core, {stato}: {json.dumps(violazioni, ensure_ascii=False)}")


def schermo(d, larghezza, altezza, telefono=False, scala=1):
    d.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                      {"width": larghezza, "height": altezza, "deviceScaleFactor": scala, "mobile": telefono})


def calcolo_fatto(d):
    attendi(lambda: d.execute_script("return document.body.dataset.calcolo === 'fatto'"), 10)


def apri_grafici(d):
    d.execute_script("document.getElementById('Grafici').click()")
    attendi(lambda: d.execute_script("return !!document.querySelector('#grafico-curva svg')"), 30)
    time.sleep(0.2)


# The chart as drawn: the rate axis's figures, the smallest text's height in
# CSS pixels, the cliffs marked and listed.
LEGGI_CURVA = """
const g = document.querySelector('#grafico-curva svg');
const testi = [...g.querySelectorAll('text')].map((t) => t.getBoundingClientRect().height).filter((h) => h > 0);
return {
  aliquote: [...g.querySelectorAll('text.tacca-aliquota')].map((t) => Number(t.textContent.replace(/\\./g, ''))),
  minima: Math.min(...testi),
  segnati: g.querySelectorAll('.salto').length,
  elencati: [...document.querySelectorAll('#salti-curva li')].map((l) => l.textContent),
};
"""

# Every control a finger aims at, with its size in CSS pixels.
LEGGI_BERSAGLI = """
const fuori = [];
for (const e of document.querySelectorAll('input, select, button, summary, a[href], textarea')) {
  const r = e.getBoundingClientRect();
  if (e.closest('[hidden]') || e.type === 'hidden' || r.width === 0) continue;
  fuori.push([e.id || e.tagName + ' ' + e.textContent.slice(0, 30), Math.round(r.width), Math.round(r.height),
              e.matches('input.testo, select:not(.lista), button, summary')]);
}
return fuori;
"""

# The results' amounts that wrap (the cents under the euros).
LEGGI_A_CAPO = """
return [...document.querySelectorAll('#Form2 output')].filter((o) => {
  if (!o.textContent) return false;
  const r = document.createRange();
  r.selectNodeContents(o);
  return new Set([...r.getClientRects()].map((q) => Math.round(q.top))).size > 1;
}).map((o) => o.id + ' ' + o.textContent);
"""


def prova_accessibilita(d, server, lavoro, descrizione, coda):
    """The page in every state, at a desktop's width, a phone's and 200 %
    zoom: axe-core, the keyboards, the targets, the chart, the messages."""
    sorgente = sorgente_axe()
    controlla(sorgente is not None, "axe-core is not installed (scripts/install-deps.sh web installs it)")
    if sorgente is None:
        sorgente = "window.axe = {run: () => Promise.resolve({violations: []})};"
    comune = next(c for c in descrizione["campi"] if c["nome"] == "Text22")
    oggi = descrizione["normative"][-1]["nome"]
    lavoratore = "&".join(p for p in coda.lstrip("?").split("&") if not p.startswith("Combo4="))

    schermo(d, 1280, 900)
    apri(d, server)
    axe(d, sorgente, "opening")
    # A phone shows letters for the comune's name, a number pad for amounts.
    modi = d.execute_script("return ['Text22', 'Text1'].map((n) => document.getElementById(n).inputMode)")
    controlla(modi == ["", "decimal"], f"input modes of Comune and the amount: {modi}")

    apri(d, server, f"?{lavoratore}&Combo4={oggi}")
    axe(d, sorgente, "results")
    # The completion matches names as the calculation does: accents,
    # typographic apostrophes and case, and offers the list's spelling.
    for digitato, atteso in (("forlì", "FORLI' (FC)"), ("Sant\u2019Agata di Mil", "SANT'AGATA DI MILITELLO (ME)")):
        fuoco(d, "Text22", seleziona=True)
        cdp(d, "Input.insertText", text=digitato)
        offerte = d.execute_script("return [...document.querySelectorAll('#completa-Text22 li')].map((l) => l.textContent)")
        controlla(atteso in offerte, f"Comune {digitato!r} offers {offerte[:5]}, not {atteso!r}")
    # A name being typed is not yet wrong; leaving the field judges it.
    fuoco(d, "Text22", seleziona=True)
    cdp(d, "Input.insertText", text="Mil")
    calcolo_fatto(d)
    durante = d.execute_script("""return [!!document.getElementById('errore-Text22'),
      [...document.querySelectorAll('#messaggi p')].map((p) => p.textContent)]""")
    controlla(not durante[0] and not any(f'"{comune["etichetta"]}"' in m for m in durante[1]),
              f"the comune's error while its name is typed: {durante}")
    fuoco(d, "Text1")
    attendi(lambda: d.execute_script("return !!document.getElementById('errore-Text22')"), 5)
    controlla(d.execute_script("return !!document.getElementById('errore-Text22')"),
              "the comune's error once the field is left")
    scrivi(d, "Text22", "")
    # A region without a table is offered, with why beside the list; its
    # rate typed in "Addizionale regionale %" is calculated.
    scegli(d, "Combo5", "Calabria")
    calcolo_fatto(d)
    # Said once: beside the list, or under the field to fill when the
    # calculation is refused for it.
    detti = d.execute_script("""return ['nota-regione', 'errore-Text25'].map(
      (id) => (document.getElementById(id) || {}).textContent || '')""")
    controlla(sum("Addizionale regionale %" in t for t in detti) == 1,
              f"the reason for Calabria, beside Regione or under its rate: {detti}")
    axe(d, sorgente, "region without a table")
    scrivi(d, "Text25", "1,73")
    calcolo_fatto(d)
    messaggi = d.execute_script("return [...document.querySelectorAll('#messaggi p')].map((p) => p.textContent)")
    controlla(not any("Regione" in m for m in messaggi), f"Calabria with its rate typed: {messaggi}")
    scrivi(d, "Text25", "")
    scegli(d, "Combo5", "Nessuna")
    # Enter on a refused form: the focus on the first field in error.
    scrivi(d, "Text1", "abc")
    calcolo_fatto(d)
    tasto_invio = {"key": "Enter", "code": "Enter", "windowsVirtualKeyCode": 13, "text": "\r"}
    cdp(d, "Input.dispatchKeyEvent", type="keyDown", **tasto_invio)
    cdp(d, "Input.dispatchKeyEvent", type="keyUp", key="Enter", code="Enter", windowsVirtualKeyCode=13)
    time.sleep(0.2)
    controlla(d.execute_script("return document.activeElement.id") == "Text1",
              f"Enter on a refused form leaves the focus on {d.execute_script('return document.activeElement.id')!r}")
    axe(d, sorgente, "errors")
    # Printing it gives the reason, not an empty page.
    d.execute_script("window.dispatchEvent(new Event('beforeprint'))")
    stampa = d.execute_script("return document.getElementById('prospetto').textContent")
    controlla("Nessun prospetto da stampare" in stampa, f"the print of a refused form: {stampa!r}")

    # The address's notices: before the form's fields, and announced.
    apri(d, server, "?Text1=25000&Nope=1")
    posto = d.execute_script("""const a = document.getElementById('indirizzo');
      return [a.getAttribute('aria-live'), a.getBoundingClientRect().top < document.getElementById('riquadri').getBoundingClientRect().top,
              a.textContent]""")
    controlla(posto[0] == "polite" and posto[1] and "Nope" in posto[2], f"the address's notices: {posto}")

    # The charts: the rate's axis holds the ordinary rates, the cliffs (the
    # core's, worded as the desktop words them) marked and listed.
    apri(d, server, f"?{lavoratore}&Combo4={oggi}")
    # The typical worker's sector is an item of the list of 2007: the page
    # takes the sector of today it stands for, and says so.
    avviso = d.execute_script("return document.getElementById('indirizzo').textContent")
    controlla("il calcolo segue" in avviso, f"an earlier sector item in the address: {avviso!r}")
    apri_grafici(d)
    curva = d.execute_script(LEGGI_CURVA)
    salti = d.execute_async_script("""
const fatto = arguments[arguments.length - 1];
Zellora().then(m => fatto(JSON.parse(m.ccall('zellora_grafici', 'string', ['string'], [arguments[0]])).curva.salti.map((s) => s.testo)));""",
                                   json.dumps(d.execute_script(LEGGI_FORM)))
    controlla(curva["aliquote"] and min(curva["aliquote"]) >= -50 and max(curva["aliquote"]) <= 150,
              f"the marginal rate's axis: {curva['aliquote']}")
    controlla(salti and curva["elencati"] == salti and curva["segnati"] == len(salti)
              and all(" di netto" in t for t in salti),
              f"the cliffs: listed {curva['elencati']}, marked {curva['segnati']}, the core's {salti}")
    valore = d.execute_script("return document.getElementById('punto-curva').getAttribute('aria-valuetext') || ''")
    controlla(valore.startswith("Lordo ") and "Netto in busta" in valore, f"the slider says {valore!r}")
    axe(d, sorgente, "charts")

    # The rules, the Italian way.
    d.execute_script("const r = document.querySelector('details.regole'); r.open = true;")
    attendi(lambda: d.execute_script("return document.querySelector('details.regole pre').textContent.length > 0"), 10)
    tabella = d.execute_script("return document.querySelector('details.regole pre').textContent")
    inglesi = re.findall(r".{0,20}\b0\.\d.{0,10}", tabella)
    controlla(re.search(r"\b0,\d", tabella) and not inglesi,
              f"the rules' figures are not written the Italian way: {inglesi[:3]}")
    axe(d, sorgente, "rules")

    # A staff sheet: its summary wraps, nothing to scroll.
    foglio = os.path.join(lavoro, "accessibile.csv")
    foglio_csv(foglio, 40, descrizione, random.Random(3))
    calcola_foglio(d, foglio)
    for larghezza in (1280, 360):
        schermo(d, larghezza, 900, telefono=larghezza < 400)
        time.sleep(0.2)
        misure = d.execute_script("const r = document.getElementById('riepilogo'); return [r.scrollWidth, r.clientWidth, r.textContent.length]")
        controlla(misure[2] > 0 and misure[0] <= misure[1], f"the sheet's summary at {larghezza} px: {misure}")
    axe(d, sorgente, "staff sheet")

    # A phone: as it opens, the results, the charts.
    schermo(d, 360, 740, telefono=True, scala=2)
    apri(d, server)
    axe(d, sorgente, "phone, opening")
    piccoli = [b for b in d.execute_script(LEGGI_BERSAGLI) if b[1] < 24 or b[2] < 24 or (b[3] and b[2] < 44)]
    controlla(not piccoli, f"targets smaller than 24 px (44 for fields and buttons) on a phone: {piccoli}")
    apri(d, server, f"?{lavoratore}&Combo4={oggi}")
    controlla(not d.execute_script(LEGGI_A_CAPO), f"amounts that wrap on a phone: {d.execute_script(LEGGI_A_CAPO)}")
    # The net at the foot of the screen while the results are below it.
    attendi(lambda: d.execute_script("const s = document.getElementById('sommario'); return !!s && !s.hidden"), 5)
    netto = d.execute_script("return document.getElementById('Form2-Text10').textContent")
    sommario = d.execute_script("""const s = document.getElementById('sommario');
      if (!s) return [true, '', false];
      const r = s.getBoundingClientRect();
      return [s.hidden, s.textContent, r.bottom <= innerHeight + 1 && r.top >= 0]""")
    controlla(not sommario[0] and netto and netto in sommario[1] and sommario[2],
              f"the net's summary while the results are below the screen: {sommario}, the net {netto!r}")
    axe(d, sorgente, "phone, results")
    d.execute_script("document.getElementById('Form2').scrollIntoView()")
    attendi(lambda: d.execute_script("return document.getElementById('sommario')?.hidden"), 5)
    controlla(d.execute_script("return document.getElementById('sommario')?.hidden") is not False,
              "the net's summary stays with the results on the screen")
    apri_grafici(d)
    curva = d.execute_script(LEGGI_CURVA)
    controlla(curva["minima"] >= 10, f"the chart's text is {curva['minima']:.1f} px high on a phone")
    axe(d, sorgente, "phone, charts")
    # 200 % zoom of a desktop's window: a viewport of 640 CSS pixels.
    schermo(d, 640, 450, scala=2)
    apri(d, server, f"?{lavoratore}&Combo4={oggi}")
    apri_grafici(d)
    curva = d.execute_script(LEGGI_CURVA)
    controlla(curva["minima"] >= 10, f"the chart's text is {curva['minima']:.1f} px high at 200 %")
    axe(d, sorgente, "200 %, charts")
    d.execute_cdp_cmd("Emulation.clearDeviceMetricsOverride", {})


# ------------------------------------------------------------------ the year of payslips

LEGGI_BUSTE = """
const t = document.getElementById('tabella-buste');
const testi = (sel) => [...document.querySelectorAll(sel)].map((e) => e.textContent);
return {
  aperte: document.getElementById('buste')?.hidden === false,
  colonne: t ? [...t.querySelectorAll('thead th')].map((th) => th.dataset.nome || '') : [],
  righe: t ? [...t.querySelectorAll('tbody tr, tfoot tr')].map((tr) => [...tr.children].map((c) => c.textContent)) : [],
  riconciliazione: testi('#riconciliazione-buste td'),
  messaggi: testi('#messaggi-buste p'),
  sotto: Object.fromEntries([...document.querySelectorAll('#buste .errore-campo')].map((p) => [p.id, p.textContent])),
  invalidi: [...document.querySelectorAll('#campi-buste [aria-invalid="true"]')].map((e) => e.name),
  barre: [...document.querySelectorAll('#grafico-buste rect')].map((r) => [r.textContent, r.getBBox().width]),
  scelte: Object.fromEntries([...document.querySelectorAll('#campi-buste input, #campi-buste select')]
    .filter((e) => e.tagName === 'SELECT' ? e.selectedIndex > 0 : e.value !== '').map((e) => [e.name, e.value])),
};
"""


def importo(euro):
    """An amount of zellora-cli's JSON as the page writes it: -1.234,50."""
    c = round(euro * 100)
    return ("-" if c < 0 else "") + intero(abs(c) // 100) + f",{abs(c) % 100:02d}"


def stesse_buste(d, cli, etichetta):
    """The year on the page against `zellora-cli payslips` for the form and
    the choices the page holds: every figure of a column zellora-cli
    prints, line by line and in the totals, and the chart's bars those of
    the table's lines."""
    calcolo_fatto(d)
    pagina = d.execute_script(LEGGI_BUSTE)
    atteso = cli_buste(cli, {**d.execute_script(LEGGI_FORM), "payslips": pagina["scelte"]})
    righe = atteso.get("payslips", []) + [atteso.get("totals")]
    if not controlla(atteso["status"] == "ok" and len(pagina["righe"]) == len(righe),
                     f"{etichetta}: {len(pagina['righe'])} lines, zellora-cli {atteso['status']} "
                     f"{len(righe)}: {atteso['messages']}"):
        return pagina
    # A line with a cell missing has None there.
    celle = [r + [None] * (len(pagina["colonne"]) - len(r)) for r in pagina["righe"]]
    diversi = [(r[0], nome, r[j], importo(a[nome])) for r, a in zip(celle, righe)
               for j, nome in enumerate(pagina["colonne"]) if nome in a and r[j] != importo(a[nome])]
    controlla(not diversi, f"{etichetta}: figures not those of zellora-cli payslips: {diversi[:5]}")
    # Each bar of the chart is a figure of its line in the table, as long
    # as its amount at one scale.
    netto = pagina["colonne"].index("net")
    netti = {f"{r[0]}, Netto in busta: {r[netto]}" for r in celle[:-1] if r[netto] != "0,00"}
    euro = [(abs(float(t.rsplit(": ", 1)[1].replace(".", "").replace(",", "."))), w) for t, w in pagina["barre"]]
    scale = [w / e if e else float("inf") for e, w in euro if w > 2]
    controlla(netti <= {t for t, _ in pagina["barre"]} and scale and max(scale) - min(scale) < 0.01 * max(scale),
              f"{etichetta}: the chart's bars {pagina['barre'][:4]}, the table's nets {sorted(netti)[:3]}")
    return pagina


def prova_buste(d, server, cli, sorgente):
    """The year of payslips: opened from an address that holds its choices,
    the same as zellora-cli's, following the form, kept in the address,
    refused beside the field it names; axe-core on it, at a desktop's and a
    phone's width."""
    lavoratore = ("?Combo4=2026&List1=Impiegato&List2=Terziario%20e%20commercio%20fino%20a%205%20dipendenti"
                  "&Text1=30000&Combo5=Lombardia&Text22=MILANO%20(MI)")
    schermo(d, 1280, 900)
    apri(d, server, lavoratore + "&to_month=9&projection=year-to-date&extra=7:600")
    pagina = stesse_buste(d, cli, "the year of an address")
    controlla(pagina["aperte"] and pagina["scelte"] == {"to_month": "9", "projection": "year-to-date", "extra": "7:600"},
              f"the address's choices of the year: {pagina['scelte']}")
    axe(d, sorgente, "the year of payslips")
    # Without choices in the address the year waits for its button, and
    # closed keeps no figure.
    apri(d, server, lavoratore)
    chiuse = d.execute_script(LEGGI_BUSTE)
    d.find_element(By.ID, "Buste").click()
    aperte = stesse_buste(d, cli, "the year of the button")
    d.find_element(By.ID, "Buste").click()
    di_nuovo = d.execute_script(LEGGI_BUSTE)
    controlla(not chiuse["aperte"] and aperte["aperte"] and not di_nuovo["aperte"] and not di_nuovo["righe"],
              f"the button Buste paga: closed {chiuse['aperte']}, opened {aperte['aperte']}, closed again "
              f"{di_nuovo['aperte']} with {len(di_nuovo['righe'])} lines")
    d.find_element(By.ID, "Buste").click()
    # The form changes: the year with it.
    scrivi(d, "Text1", "41000")
    stesse_buste(d, cli, "the year after the gross changed")
    # Typed choices go to the address, and the address brings them back.
    scrivi(d, "buste-payments", "14")
    Select(d.find_element(By.ID, "buste-deductions")).select_by_index(1)
    calcolo_fatto(d)
    prima = d.execute_script(LEGGI_BUSTE)
    attendi(lambda: "payments=14" in d.execute_script("return location.search")
            and "deductions=" in d.execute_script("return location.search"), 5)
    indirizzo = d.execute_script("return location.search")
    apri(d, server, indirizzo)
    dopo = stesse_buste(d, cli, "the year of the address written")
    controlla(dopo["scelte"] == prima["scelte"] and dopo["righe"] == prima["righe"],
              f"the address {indirizzo!r} brings back {dopo['scelte']}, not {prima['scelte']}")
    # A choice of the year its list does not hold is named with the address's notices.
    apri(d, server, lavoratore + "&deductions=forse")
    avvisi = d.execute_script("return document.getElementById('indirizzo').textContent")
    controlla('Indirizzo: deductions non ha la voce "forse"; ignorato.' in avvisi,
              f"an address with a choice of the year not on its list: {avvisi!r}")
    # Refused: a choice named under its field, with zellora-cli's message,
    # and no figure; from net to gross, as zellora-cli says.
    for come, campo in ((lambda: scrivi(d, "buste-to_month", "13"), "to_month"),
                        (lambda: premi(d, "Option3"), None)):
        apri(d, server, lavoratore + "&to_month=9")
        come()
        calcolo_fatto(d)
        pagina = d.execute_script(LEGGI_BUSTE)
        atteso = cli_buste(cli, {**d.execute_script(LEGGI_FORM), "payslips": pagina["scelte"]})
        sotto = {f"errore-buste-{campo}": atteso["messages"][0]} if campo else {}
        controlla(atteso["status"] == "refused" and pagina["messaggi"] == atteso["messages"]
                  and pagina["sotto"] == sotto and pagina["invalidi"] == ([campo] if campo else [])
                  and not pagina["righe"] and not pagina["barre"],
                  f"a year refused ({campo}): the page {pagina}, zellora-cli {atteso['messages']}")
    axe(d, sorgente, "the year refused")
    # A phone: the fields and the table's place.
    schermo(d, 360, 740, telefono=True, scala=2)
    apri(d, server, lavoratore + "&to_month=9")
    piccoli = [b for b in d.execute_script(LEGGI_BERSAGLI) if b[1] < 24 or b[2] < 24 or (b[3] and b[2] < 44)]
    controlla(not piccoli, f"targets smaller than 24 px (44 for fields and buttons) with the year: {piccoli}")
    axe(d, sorgente, "phone, the year of payslips")
    d.execute_cdp_cmd("Emulation.clearDeviceMetricsOverride", {})


# ------------------------------------------------------------------ main


def main():
    a = argparse.ArgumentParser()
    a.add_argument("--www", required=True)
    a.add_argument("--cli", required=True)
    a.add_argument("--richieste", type=int, default=500,
                   help="typed requests in all, as many of each rule set (at least this many)")
    a.add_argument("--righe", type=int, default=10000, help="rows of the sheet compared byte for byte")
    a.add_argument("--righe-velocita", type=int, default=100000,
                   help="rows of the sheet timed (scripts/staff-example.sh)")
    a.add_argument("--schermate", help="write the documentation's screenshots here")
    a.add_argument("--solo-schermate", action="store_true", help="only the screenshots")
    a.add_argument("--seme", type=int, default=19)
    a.add_argument("--solo-accessibilita", action="store_true",
                   help="only the checks of accessibility, the phone and the zoom (quick)")
    opzioni = a.parse_args()

    if not os.path.exists(os.path.join(opzioni.www, "zellora.wasm")):
        print(f"skipped: the page is not built in {opzioni.www} (make web)")
        return SALTA
    for programma in (CHROMIUM, DRIVER):
        if not os.path.exists(programma):
            print(f"skipped: {programma} is not installed")
            return SALTA

    lavoro = tempfile.mkdtemp(prefix="zellora-web-")
    scaricati = os.path.join(lavoro, "scaricati")
    os.makedirs(scaricati)
    server = Server(opzioni.www)
    try:
        d = browser(os.path.join(lavoro, "profilo"), scaricati)
    except WebDriverException as e:
        print(f"skipped: Chromium does not start here: {e.msg}")
        server.chiudi()
        return SALTA
    caso = random.Random(opzioni.seme)
    try:
        if opzioni.solo_schermate:
            schermate(d, server, opzioni.schermate)
            return 0
        # The first result, from an address that holds the form.
        tipica = {"List1": "Impiegato", "List2": "Settore previdenziale Commercio -50dip", "Text1": "30000",
                  "Combo4": "2007"}
        coda = "?" + "&".join(f"{k}={v.replace(' ', '%20')}" for k, v in tipica.items())
        apri(d, server, coda)
        primo = d.execute_script("return performance.getEntriesByName('zellora-primo-risultato')[0].startTime")
        print(f"first result {primo:.0f} ms after the page was asked for", flush=True)
        completa = d.execute_script(LEGGI_FORM)
        confronta(d.execute_script(LEGGI_PAGINA), cli_json(opzioni.cli, completa), "address " + coda)
        controlla(all(completa[k] == v for k, v in tipica.items()), f"the address filled {completa}")

        descrizione = json.loads(d.execute_async_script("""
const fatto = arguments[arguments.length - 1];
Zellora().then(m => fatto(m.UTF8ToString(m._zellora_descrizione())));"""))
        prova_accessibilita(d, server, lavoro, descrizione, coda)
        prova_buste(d, server, opzioni.cli, sorgente_axe() or "window.axe = {run: () => Promise.resolve({violations: []})};")
        if opzioni.solo_accessibilita:
            raise SystemExit(1 if errori else 0)

        # Speed of one calculation inside the module.
        misure = d.execute_async_script("""
const fatto = arguments[arguments.length - 1];
const [lordo, netto] = arguments;
Zellora().then(m => {
  const misura = (r, n) => m.ccall('zellora_misura', 'number', ['string', 'number'], [JSON.stringify(r), n]);
  misura(lordo, 20000);
  fatto([misura(lordo, 200000), misura(netto, 20000)]);
}).catch((e) => fatto(String(e)));""", {**tipica, "Combo4": "2026"}, {**tipica, "Combo4": "2026", "Option3": True, "Text1": "20000"})
        print(f"one calculation in the module: gross to net {misure[0]:.2f} us, net to gross {misure[1]:.2f} us",
              flush=True)

        # The worker on the charts' curve is the window's net, paid additions
        # included (a non-taxable pay, the tax-free sum, the integrativo).
        for piu in ({"Text1": "12000", "Text21": "300"}, {"Text1": "9500"}):
            richiesta = {**tipica, "Combo4": "2026", **piu}
            grafici, calcolo = d.execute_async_script("""
const fatto = arguments[arguments.length - 1];
const r = JSON.stringify(arguments[0]);
Zellora().then(m => fatto(['zellora_grafici', 'zellora_calcola'].map(
  f => JSON.parse(m.ccall(f, 'string', ['string'], [r]))))).catch((e) => fatto([String(e), null]));""", richiesta)
            etichetta = grafici["curva"]["etichetta_attuale"]
            controlla(etichetta.endswith("\u2192 " + calcolo["results"]["Text10"]),
                      f"curve's worker {etichetta!r}, window's net {calcolo['results']['Text10']!r}")

        # Typed requests of every rule set, each in a browser of its own.
        apri(d, server)
        controlla(d.execute_script("return document.getElementById('Combo4').value")
                  == descrizione["normative"][-1]["nome"], "Normativa does not start at the newest rule set")
        # As it opens, before a worker is chosen: no figures, and what to choose.
        aperta = d.execute_async_script(LEGGI_A_CALCOLO_FATTO)[1]
        controlla(aperta["stato"] == "refused" and not any(aperta["risultati"].values())
                  and aperta["messaggi"][:1] == [
                      'Scegliere la categoria del lavoratore e il settore previdenziale in '
                      '"Caratteristiche previdenziali": senza, il calcolo non ha i contributi.'],
                  f"figures without a worker as the page opens: {aperta}")
        nomi_accessibili(d)
        inizio = time.monotonic()

        per_regole = -(-opzioni.richieste // len(descrizione["normative"]))

        def digitate(indice_regole):
            regole = descrizione["normative"][indice_regole]
            cartella = os.path.join(lavoro, f"digitate-{indice_regole}")
            altro = browser(os.path.join(cartella, "profilo"), cartella)
            try:
                apri(altro, server)
                concordi = richieste_digitate(altro, opzioni.cli, descrizione, per_regole,
                                              random.Random(opzioni.seme * 100 + indice_regole), regole)
                print(f"rule set {regole['nome']}: {concordi} of {per_regole} typed requests "
                      "as zellora-cli", flush=True)
            finally:
                altro.quit()

        with concurrent.futures.ThreadPoolExecutor(max_workers=len(descrizione["normative"])) as pool:
            list(pool.map(digitate, range(len(descrizione["normative"]))))
        print(f"typed requests: {time.monotonic() - inizio:.0f} s", flush=True)

        # An address the form cannot hold: named, and the rest still taken;
        # without Combo4 it means the rules of every request without one
        # (2007), as zellora-cli and a sheet take it, and says so. A mark
        # that turns the text around it is quoted as every value.
        apri(d, server, "?Text1=25000&List1=Dirigente&Nope=1&Option2=forse&N%E2%80%AEo=1")
        avvisi = d.execute_script("return [...document.querySelectorAll('#indirizzo p')].map(p => p.textContent)")
        controlla(len(avvisi) == 5 and d.execute_script("return document.getElementById('Text1').value") == "25000"
                  and 'Indirizzo: "N\\u202eo" non è un campo del modulo; ignorato.' in avvisi,
                  f"address with wrong values: {avvisi}")
        predefinita = descrizione["normativa_predefinita"]
        controlla(d.execute_script("return document.getElementById('Combo4').value") == predefinita
                  and any("Combo4" in a and predefinita in a for a in avvisi),
                  f"an address without Combo4 is not calculated under {predefinita}: {avvisi}")

        # Sheets.
        foglio = os.path.join(lavoro, "personale.csv")
        foglio_csv(foglio, opzioni.righe, descrizione, caso)
        pagina = prova_foglio(d, opzioni.cli, foglio, scaricati, f"sheet of {opzioni.righe} rows")
        print(f"sheet of {opzioni.righe} rows: {pagina['ms']:.0f} ms in the page", flush=True)
        foglio = os.path.join(lavoro, "personale.jsonl")
        foglio_jsonl(foglio, 2000, descrizione, caso)
        prova_foglio(d, opzioni.cli, foglio, scaricati, "JSON Lines sheet")
        ostili = {
            "vuoto.csv": b"",
            "colonna.csv": b"Text1;Stipendio\n1;2\n",
            "virgolette.csv": b'Text1;List1\n30000;"Impiegato\n25000;Operaio\n',
            "binario.csv": bytes(random.Random(5).randrange(256) for _ in range(20000)),
            "intestazione.csv": b"Text1;Text1\n1;1\n",
            "cella.csv": b"Text1;List1\n" + b"1" * (2 << 20) + b";Impiegato\n30000;Impiegato\n",
            "lunga.jsonl": b'{"Text1": "' + b"9" * (2 << 20) + b'"}\n{"Text1": "30000"}\n',
            "utf8.csv": "Text1;List1\n30000;Impiegato\n\u20ac\xff;Operaio\n".encode("utf-8") + b"\xff\xfe;\xc3\n",
        }
        # How the page refuses some of them, in Italian.
        rifiuti = {
            "vuoto.csv": "il file non ha una riga d'intestazione con i nomi dei controlli",
            "colonna.csv": "colonna sconosciuta \"Stipendio\": non è un controllo del modulo",
            "virgolette.csv": "riga 2, cella 2: le virgolette che aprono la cella alla linea 2 non si chiudono mai",
            "intestazione.csv": "la colonna \"Text1\" compare due volte",
        }
        for nome, contenuto in ostili.items():
            percorso = os.path.join(lavoro, nome)
            with open(percorso, "wb") as f:
                f.write(contenuto)
            prova_foglio(d, opzioni.cli, percorso, scaricati, "hostile sheet " + nome, rifiuto=rifiuti.get(nome))

        # A large sheet, the README's example staff: timed, compared, and
        # the form answers meanwhile.
        foglio = os.path.join(lavoro, "grande.csv")
        esempio = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "staff-example.sh")
        with open(foglio, "wb") as f:
            subprocess.run(["bash", esempio, str(opzioni.righe_velocita)], stdout=f, check=True)
        scegli(d, "List1", "Impiegato")
        scegli(d, "List2", "Settore previdenziale Commercio -50dip")
        avvia_foglio(d, foglio)
        digita(d, "Text1", "41000")
        durante = d.execute_async_script(LEGGI_A_CALCOLO_FATTO)[1]
        ancora = d.execute_script("return document.body.dataset.lotto")
        controlla(durante["risultati"].get("Text1") == "41.000,00",
                  f"the form did not answer while the sheet was computed: {durante}")
        print(f"the form answered while the sheet was {ancora!r}", flush=True)
        pagina = prova_foglio(d, opzioni.cli, foglio, scaricati, f"sheet of {opzioni.righe_velocita} rows",
                              avviato=True)
        print(f"sheet of {opzioni.righe_velocita} rows: {pagina['ms']:.0f} ms in the page's worker", flush=True)

        # The statement printed: one A4 page ("print to PDF").
        apri(d, server, coda)
        d.execute_script("window.dispatchEvent(new Event('beforeprint'))")
        pdf = base64.b64decode(d.execute_cdp_cmd("Page.printToPDF", {"preferCSSPageSize": True})["data"])
        pagine = len(re.findall(rb"/Type\s*/Page[^s]", pdf))
        testo = d.execute_script("return document.getElementById('prospetto').innerText")
        controlla(pagine == 1 and "PROSPETTO ZELLORA" in testo and "Retribuzione Netta : 21.455,00" in testo,
                  f"the printed statement: {pagine} pages, {testo[:200]!r}")

        richieste_di_rete(d, server)
        if opzioni.schermate:
            schermate(d, server, opzioni.schermate)
    finally:
        d.quit()
        server.chiudi()
        shutil.rmtree(lavoro, ignore_errors=True)
    if errori:
        print(f"{len(errori)} failures")
        return 1
    print("ok")
    return 0


if __name__ == "__main__":
    sys.exit(main())
