#!/usr/bin/env python3
"""What a screen reader reads of the desktop program, through AT-SPI.

Runs `zellora` on a display of its own (Xvfb) with Qt's accessibility on,
inside the session bus that dbus-run-session gives it, goes from "Entra" to
a calculation, the results and the charts through the accessibility tree
alone, and checks in every window that each control the keyboard can reach
has a name, distinct from the others of its kind in that window, and that
the figures are read under their labels.

Usage: dbus-run-session -- python3 accessibilita.py ZELLORA
Exit 77 (skipped) without Xvfb or pyatspi.
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

try:
    import pyatspi
except ImportError:
    print("pyatspi missing: skipped")
    sys.exit(77)
if shutil.which("Xvfb") is None:
    print("Xvfb missing: skipped")
    sys.exit(77)

programma = sys.argv[1]
errori = []


def avvia_display():
    r, w = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(w), "-screen", "0", "1280x1024x24",
                             "-nolisten", "tcp"], pass_fds=(w,))
    os.close(w)
    numero = b""
    while not numero.endswith(b"\n"):
        pezzo = os.read(r, 16)
        if not pezzo:
            break
        numero += pezzo
    os.close(r)
    return xvfb, ":" + numero.decode().strip()


def attendi(trova, secondi=20):
    fine = time.monotonic() + secondi
    while time.monotonic() < fine:
        try:
            x = trova()
        except Exception:  # the tree changes under the search
            x = None
        if x is not None:
            return x
        time.sleep(0.2)
    return None


def figli(nodo):
    for i in range(nodo.childCount):
        try:
            c = nodo.getChildAtIndex(i)
        except Exception:
            continue
        if c is not None:
            yield c


def tutti(nodo, profondita=0):
    yield nodo
    if profondita > 40:
        return
    for c in figli(nodo):
        yield from tutti(c, profondita + 1)


def applicazione():
    desktop = pyatspi.Registry.getDesktop(0)
    for app in figli(desktop):
        if app.name.lower() == "zellora":
            return app
    return None


def finestra(app, titolo):
    for f in figli(app):
        if f.name.startswith(titolo) and f.getState().contains(pyatspi.STATE_SHOWING):
            return f
    return None


def cerca(radice, ruolo, nome):
    for n in tutti(radice):
        if n.getRole() == ruolo and n.name == nome:
            return n
    return None


def premi(pulsante):
    pulsante.queryAction().doAction(0)


def scrivi(campo, testo):
    t = campo.queryEditableText()
    t.setTextContents(testo)


def scegli(lista, testo):
    for i, voce in enumerate(figli(lista)):
        if voce.name != testo:
            continue
        try:
            lista.querySelection().selectChild(i)
            return True
        except NotImplementedError:
            pass
        azioni = voce.queryAction()
        nomi = [azioni.getName(k) for k in range(azioni.nActions)]
        for preferita in ("Toggle", "Press", "SetFocus"):
            if preferita in nomi:
                azioni.doAction(nomi.index(preferita))
                return True
        print("item %r: actions %s" % (testo, nomi))
        return False
    return False


# Roles whose objects are named by their own text or are parts of another
# control (the items of a list, the cells of a table, the tabs).
PARTI = {pyatspi.ROLE_LIST_ITEM, pyatspi.ROLE_TABLE_CELL, pyatspi.ROLE_PAGE_TAB,
         pyatspi.ROLE_MENU_ITEM, pyatspi.ROLE_MENU, pyatspi.ROLE_COLUMN_HEADER,
         pyatspi.ROLE_ROW_HEADER, pyatspi.ROLE_TABLE_COLUMN_HEADER,
         pyatspi.ROLE_TABLE_ROW_HEADER}
# Roles whose names must differ within a window: two of them named alike
# cannot be told apart by ear.
DISTINTI = {pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY, pyatspi.ROLE_PUSH_BUTTON,
            pyatspi.ROLE_COMBO_BOX, pyatspi.ROLE_LIST, pyatspi.ROLE_CHECK_BOX,
            pyatspi.ROLE_RADIO_BUTTON, pyatspi.ROLE_TABLE, pyatspi.ROLE_SPIN_BUTTON}


def detto(n):
    """The name a screen reader says: a drop-down is named by its choice on
    this platform and read with the label that names it (the label's own
    accessible name, or its text)."""
    if n.getRole() == pyatspi.ROLE_COMBO_BOX:
        for r in n.getRelationSet():
            if r.getRelationType() == pyatspi.RELATION_LABELLED_BY and r.getNTargets() > 0:
                return (r.getTarget(0).name or "").strip()
    return (n.name or "").strip()


def controlla_finestra(f):
    nomi = {}
    controllati = 0
    for n in tutti(f):
        try:
            stato = n.getState()
            ruolo = n.getRole()
        except Exception:
            continue
        if not (stato.contains(pyatspi.STATE_FOCUSABLE) and stato.contains(pyatspi.STATE_SHOWING)):
            continue
        if ruolo in PARTI:
            continue
        controllati += 1
        nome = detto(n)
        if not nome:
            errori.append("%s: a %s without a name, in %s %r" % (f.name, n.getRoleName(), n.parent.getRoleName(), n.parent.name))
            continue
        if ruolo in DISTINTI:
            if nome in nomi:
                errori.append("%s: two controls named %r" % (f.name, nome))
            nomi[nome] = n
    if controllati == 0:
        errori.append("%s: no control reached" % f.name)
    return nomi


def main():
    xvfb, display = avvia_display()
    casa = tempfile.mkdtemp()
    ambiente = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb",
                    QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1", HOME=casa,
                    XDG_DOCUMENTS_DIR=casa, LC_ALL="C.UTF-8")
    app_processo = subprocess.Popen([programma], env=ambiente)
    try:
        app = attendi(applicazione)
        if app is None:
            print("zellora did not appear on the accessibility bus: %s" % [
                a.name for a in figli(pyatspi.Registry.getDesktop(0))])
            return 1
        ingresso = attendi(lambda: finestra(app, "Zellora") or next(
            (f for f in figli(app) if f.getState().contains(pyatspi.STATE_SHOWING)), None))
        entra = attendi(lambda: cerca(ingresso, pyatspi.ROLE_PUSH_BUTTON, "Entra"))
        if entra is None:
            print("no \"Entra\" on the entry window")
            return 1
        controlla_finestra(ingresso)
        premi(entra)

        # The input form: the fields by the names a screen reader says.
        def modulo():
            for f in figli(app):
                if cerca(f, pyatspi.ROLE_PUSH_BUTTON, "C A L C O L A") is not None:
                    return f
            return None
        form1 = attendi(modulo)
        if form1 is None:
            print("no input form")
            return 1
        nomi = controlla_finestra(form1)
        if os.environ.get("ZELLORA_NOMI"):
            print(sorted((n.getRoleName(), k) for k, n in nomi.items()))
        for atteso in ["Retribuzione / Compenso", "Valore Convenzionale benefit",
                       "Trattenuta non deducibile", "Competenza non imponibile", "Normativa",
                       "Figli a carico", "Altri a carico", "Coniuge a carico",
                       "Categoria del lavoratore", "Settore previdenziale",
                       "Aiuto: Retribuzione / Compenso"]:
            if atteso not in nomi:
                errori.append("Form1: no control named %r" % atteso)
        liste = [n for n in tutti(form1) if n.getRole() == pyatspi.ROLE_LIST]
        categoria = next((l for l in liste if l.name == "Categoria del lavoratore"), None)
        if categoria is None or not scegli(categoria, "Impiegato"):
            print("cannot choose the category")
            return 1
        settore = next((l for l in liste if l.name == "Settore previdenziale"), None)
        if attendi(lambda: settore if settore.childCount > 0 else None) is None or not scegli(
                settore, "Terziario e commercio fino a 5 dipendenti"):
            print("cannot choose the sector")
            return 1
        scrivi(nomi["Retribuzione / Compenso"], "30000")
        premi(nomi["C A L C O L A"])

        form2 = attendi(lambda: finestra(app, "Risultato Calcolo"))
        if form2 is None:
            print("no results window")
            return 1
        nomi2 = controlla_finestra(form2)
        netto = nomi2.get("Netto in busta")
        if netto is None:
            errori.append("Form2: no box read as \"Netto in busta\"")
        else:
            # The form opens on today's law (2026).
            testo = netto.queryText().getText(0, -1)
            if testo != "23.986,00":
                errori.append("Form2: \"Netto in busta\" reads %r" % testo)
        for atteso in ["Retribuzione", "Irpef netta", "Costo del Lavoro", "Esporta", "Grafici"]:
            if atteso not in nomi2:
                errori.append("Form2: no control named %r" % atteso)
        premi(nomi2["Grafici"])

        form7 = attendi(lambda: finestra(app, "Grafici"))
        if form7 is None:
            print("no charts window")
            return 1
        nomi7 = controlla_finestra(form7)
        if "Chiudi" not in nomi7:
            errori.append("Form7: no \"Chiudi\"")
        grafici = [n for n in tutti(form7) if n.name.startswith("Dove va il lordo")]
        if not grafici:
            errori.append("Form7: the chart of the gross has no name")
        tabelle = [n for n in tutti(form7) if n.getRole() == pyatspi.ROLE_TABLE]
        if not tabelle or not tabelle[0].name:
            errori.append("Form7: no named table of the charts' figures")

        # The year of payslips: its fields by their labels, its table read
        # cell by cell with the figures of `zellora-cli payslips`, each
        # heading described by its full label.
        premi(nomi2["Buste paga"])
        buste = attendi(lambda: finestra(app, "Buste paga dell'anno"))
        if buste is None:
            print("no window of the year of payslips")
            return 1
        nomib = controlla_finestra(buste)
        for atteso in ["Al mese", "Detrazioni del mese", "Calcola", "Chiudi",
                       "Buste paga dell'anno"]:
            if atteso not in nomib:
                errori.append("FormBuste: no control named %r" % atteso)
        if "Buste paga dell'anno" in nomib:
            t = nomib["Buste paga dell'anno"].queryTable()
            letti = [t.getAccessibleAt(0, c).name for c in (0, 10)]
            if letti != ["Gennaio", "1.869,54"]:
                errori.append("FormBuste: January reads %r" % letti)
            inps = t.getColumnHeader(2)
            if inps is None or inps.name != "Inps" or inps.description != "Ritenuta Inps":
                errori.append("FormBuste: the heading of INPS reads %r" % (
                    None if inps is None else (inps.name, inps.description)))
    finally:
        app_processo.terminate()
        try:
            app_processo.wait(10)
        except subprocess.TimeoutExpired:
            app_processo.kill()
        xvfb.terminate()
        xvfb.wait(10)
        shutil.rmtree(casa, ignore_errors=True)
    for e in errori:
        print(e)
    return 1 if errori else 0


sys.exit(main())
