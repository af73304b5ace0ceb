#!/usr/bin/env python3
"""The windows of the desktop program as data for the page.

Reads Qt Designer files (the input form and the results window) and writes
a C++ source that holds, for each, its controls as JSON: kind, name, caption
or text, place and size, initial state, items, and the controls inside each
frame. The page lays its form out from these, so that a caption, a field or a
frame changed or added on the desktop appears on the page as well.

Usage: finestre_ui.py OUT.cpp NAME=FILE.ui [NAME=FILE.ui ...]
"""
import json
import re
import sys
import xml.etree.ElementTree as ET


def testo(proprieta):
    s = proprieta.find("string")
    return s.text or "" if s is not None else None


def controllo(widget):
    c = {"classe": widget.get("class"), "nome": widget.get("name")}
    for p in widget.findall("property"):
        nome = p.get("name")
        if nome == "geometry":
            r = p.find("rect")
            for chiave, tag in (("x", "x"), ("y", "y"), ("w", "width"), ("h", "height")):
                c[chiave] = int(r.find(tag).text)
        elif nome in ("text", "title", "windowTitle"):
            c["testo"] = testo(p)
        elif nome == "checked":
            c["selezionato"] = p.find("bool").text == "true"
        elif nome == "enabled":
            c["attivo"] = p.find("bool").text == "true"
        elif nome == "maxLength":
            c["lunghezza_massima"] = int(p.find("number").text)
        elif nome == "currentIndex":
            c["indice"] = int(p.find("number").text)
        elif nome == "alignment":
            allineamento = p.find("set").text or ""
            if "AlignRight" in allineamento:
                c["allineamento"] = "destra"
            elif "AlignHCenter" in allineamento or "AlignCenter" in allineamento:
                c["allineamento"] = "centro"
        elif nome == "styleSheet":
            # A box drawn on yellow: a total of the results window.
            if re.search(r"background-color:\s*rgb\(\s*255,\s*255,\s*0\s*\)", testo(p) or ""):
                c["evidenziato"] = True
    voci = [testo(i.find("property")) for i in widget.findall("item")]
    if voci:
        c["voci"] = voci
    figli = [controllo(w) for w in widget.findall("widget")]
    # A main window keeps its controls in its central widget.
    figli_veri = []
    for f in figli:
        if f["classe"] == "QWidget" and f["nome"] == "centralwidget":
            figli_veri.extend(f.get("figli", []))
        elif f["classe"] not in ("QMenuBar", "QStatusBar"):
            figli_veri.append(f)
    if figli_veri:
        c["figli"] = figli_veri
    return c


def main():
    uscita = sys.argv[1]
    finestre = {}
    for argomento in sys.argv[2:]:
        nome, file = argomento.split("=", 1)
        finestre[nome] = controllo(ET.parse(file).getroot().find("widget"))
    testo_json = json.dumps(finestre, ensure_ascii=False, separators=(",", ":"))
    delimitatore = "ui"
    while ")" + delimitatore + '"' in testo_json:
        delimitatore += "x"
    pezzi = [testo_json[i:i + 8000] for i in range(0, len(testo_json), 8000)]
    letterale = "\n".join('R"%s(%s)%s"' % (delimitatore, p, delimitatore) for p in pezzi)
    with open(uscita, "w", encoding="utf-8") as f:
        f.write("// Generated from the desktop's .ui files when the page is built.\n")
        f.write("#include <string_view>\n\nnamespace zellora {\n\n")
        f.write("extern const std::string_view finestre_desktop;\n")
        f.write("const std::string_view finestre_desktop =\n%s;\n\n}  // namespace zellora\n"
                % letterale)


if __name__ == "__main__":
    main()
