// Zellora in the browser: the input form, the results window, the charts,
// the year of payslips, the statement and a whole staff, over the calculation core compiled to
// WebAssembly (zellora.js). The page lays itself out from what the module
// describes: the desktop's windows (captions, fields, frames), the labels
// of the fields, the rule sets with their lists, and the rows of the
// results each rule set shows. Nothing leaves the browser.
'use strict';

(() => {
  let modulo = null;      // the WebAssembly module
  let descrizione = null; // what zellora_descrizione() reports
  let graficiAperti = false;
  let ultimaRichiesta = null;
  let curvaCorrente = null;
  let busteAperte = false;
  let ultimoAnno = null;  // what zellora_buste() last gave

  const $ = (id) => document.getElementById(id);

  function crea(tag, attributi = {}, ...figli) {
    const e = document.createElement(tag);
    for (const [k, v] of Object.entries(attributi)) {
      if (v === null || v === undefined || v === false) continue;
      if (k === 'testo') e.textContent = v;
      else if (k === 'classe') e.className = v;
      else e.setAttribute(k, v === true ? '' : String(v));
    }
    for (const f of figli) if (f) e.append(f);
    return e;
  }

  // ------------------------------------------------------------ the module

  // Calls a function of the module with text arguments (copied into its
  // memory whatever their length) and gives back its text.
  function chiama(nome, ...argomenti) {
    const puntatori = argomenti.map((a) => {
      if (typeof a !== 'string') return a;
      const n = modulo.lengthBytesUTF8(a) + 1;
      const p = modulo._malloc(n);
      modulo.stringToUTF8(a, p, n);
      return p;
    });
    try {
      return modulo.UTF8ToString(modulo['_' + nome](...puntatori));
    } finally {
      argomenti.forEach((a, i) => { if (typeof a === 'string') modulo._free(puntatori[i]); });
    }
  }
  const chiamaJson = (nome, ...a) => JSON.parse(chiama(nome, ...a));

  // ------------------------------------------------------------ the form

  const campiTesto = new Map();   // name -> field description (label for messages, default)
  const controlli = new Map();    // control name -> element
  const normative = new Map();    // rule set name -> description
  const campiBuste = new Map();   // key of a choice of the year -> element

  // The children of a frame in rows: controls whose tops lie within a few
  // points of each other share a row; left to right within it.
  function inRighe(figli) {
    const ordinati = [...figli].sort((a, b) => (a.y - b.y) || (a.x - b.x));
    const righe = [];
    for (const c of ordinati) {
      const riga = righe.find((r) => Math.abs(r.y - c.y) <= 6);
      if (riga) riga.controlli.push(c);
      else righe.push({ y: c.y, controlli: [c] });
    }
    for (const r of righe) r.controlli.sort((a, b) => a.x - b.x);
    return righe;
  }

  // The text fields that take a name from a list ("Comune": "MILANO (MI)")
  // under some rule set; every other one holds a number.
  const diNomi = (nome) => descrizione.normative.some((n) => (n.completamenti || {})[nome]);

  let contatore = 0;
  const nuovoId = (base) => `${base}-${++contatore}`;

  // One control of the desktop's form as a control of the page.
  function controllo(c) {
    const nome = c.nome;
    const campo = campiTesto.get(nome);
    switch (c.classe) {
      case 'QLineEdit': {
        const e = crea('input', {
          type: 'text', id: nome, name: nome, autocomplete: 'off', spellcheck: 'false',
          maxlength: c.lunghezza_massima, classe: 'testo' + (c.allineamento === 'destra' ? ' destra' : ''),
          // An amount is typed the Italian way, on a phone's number pad; a
          // name ("Comune") on the letters.
          inputmode: diNomi(nome) ? null : 'decimal',
        });
        e.value = campo ? campo.predefinito : (c.testo || '');
        e.style.setProperty('--larghezza', Math.max(3.5, c.w / 13).toFixed(1) + 'em');
        if (c.attivo === false) { e.disabled = true; e.dataset.sempreSpento = '1'; }
        controlli.set(nome, e);
        return e;
      }
      case 'QComboBox': {
        const e = crea('select', { id: nome, name: nome });
        controlli.set(nome, e);
        return e;
      }
      case 'QListWidget': {
        const e = crea('select', { id: nome, name: nome, size: 4, classe: 'lista' });
        controlli.set(nome, e);
        return e;
      }
      default:
        return null;
    }
  }

  // The name a field is known by, where its visible label is a sign ("%",
  // ","): the label a message names it by, or the sign with the label
  // before it.
  function nomina(e, etichetta, precedente) {
    if (!etichetta) return;
    const campo = campiTesto.get(e.id);
    if (etichetta.textContent.trim().length > 2) {
      etichetta.setAttribute('for', e.id);
      return;
    }
    etichetta.setAttribute('aria-hidden', 'true');
    if (campo) {
      e.setAttribute('aria-label', campo.etichetta);
    } else if (precedente) {
      if (!precedente.id) precedente.id = nuovoId('etichetta');
      if (!etichetta.id) etichetta.id = nuovoId('etichetta');
      e.setAttribute('aria-labelledby', `${precedente.id} ${etichetta.id}`);
      etichetta.removeAttribute('aria-hidden');
    }
  }

  // The rows of a frame: each label names the field on its right.
  function righeDelRiquadro(figli, gruppo_scelte, etichetteEsterne = new Map()) {
    const contenitore = crea('div', { classe: 'contenuto' });
    for (const riga of inRighe(figli)) {
      const r = crea('div', { classe: 'riga' });
      let etichetta = etichetteEsterne.get(riga.y) || null;
      let precedente = null;
      let gruppo = null; // a label with its field stays together
      const chiudi = () => { if (gruppo) r.append(gruppo); gruppo = null; };
      for (const c of riga.controlli) {
        if (c.classe === 'QLabel') {
          chiudi();
          if (etichetta && etichetta.textContent.trim().length > 2) precedente = etichetta;
          etichetta = crea('label', { testo: c.testo, classe: 'etichetta', 'data-nome': c.nome });
          gruppo = crea('span', { classe: 'coppia' }, etichetta);
          continue;
        }
        if (c.classe === 'QRadioButton' || c.classe === 'QCheckBox') {
          chiudi();
          const tipo = c.classe === 'QRadioButton' ? 'radio' : 'checkbox';
          // Option buttons of one frame are one choice.
          const e = crea('input', { type: tipo, id: c.nome, name: tipo === 'radio' ? gruppo_scelte : c.nome });
          e.checked = descrizione.opzioni[c.nome] ?? !!c.selezionato;
          controlli.set(c.nome, e);
          r.append(crea('span', { classe: 'scelta' }, e, crea('label', { for: c.nome, testo: c.testo })));
          etichetta = null;
          continue;
        }
        if (c.classe === 'QGroupBox') {
          // A frame inside a frame with one field: its caption is the field's label.
          chiudi();
          const dentro = (c.figli || []).map((f) => controllo(f)).filter(Boolean);
          const blocco = crea('div', { classe: 'sottoriquadro' });
          const l = crea('label', { testo: c.testo, classe: 'etichetta' });
          blocco.append(l, ...dentro);
          if (dentro.length === 1) l.setAttribute('for', dentro[0].id);
          r.append(blocco);
          continue;
        }
        const e = controllo(c);
        if (!e) continue; // help buttons: their texts belong to the desktop
        const spazio = crea('span', { classe: 'campo' }, e);
        if (etichetta) {
          nomina(e, etichetta, precedente);
          if (!gruppo) gruppo = crea('span', { classe: 'coppia' }, etichetta);
          gruppo.append(spazio);
          chiudi();
        } else {
          if (campiTesto.has(e.id)) e.setAttribute('aria-label', campiTesto.get(e.id).etichetta);
          r.append(spazio);
        }
        precedente = etichetta && etichetta.textContent.trim().length > 2 ? etichetta : precedente;
        etichetta = null;
      }
      chiudi();
      contenitore.append(r);
    }
    return contenitore;
  }

  function costruisciForm() {
    const ui = descrizione.finestre.Form1;
    $('titolo').textContent = ui.testo;
    document.title = ui.testo;
    const larghezza = ui.w;
    const riquadri = (ui.figli || []).filter((c) => c.classe === 'QGroupBox');
    const usati = new Set();
    const contenitore = $('riquadri');
    // Rows of frames: frames whose tops match.
    const righeRiquadri = inRighe(riquadri);
    righeRiquadri.forEach((riga, numeroRiga) => {
      riga.controlli.forEach((f, i) => {
        if (usati.has(f.nome)) return;
        usati.add(f.nome);
        const x0 = f.x;
        let x1 = f.x + f.w;
        const fieldset = crea('fieldset', { classe: 'riquadro', id: 'riquadro-' + f.nome });
        const legenda = crea('legend', { testo: f.testo });
        fieldset.append(legenda);
        const soloEtichette = (f.figli || []).every((c) => c.classe === 'QLabel');
        const accanto = riga.controlli[i + 1];
        if (soloEtichette && accanto && Math.abs(accanto.h - f.h) <= 8) {
          // A frame of row labels for the frame on its right (the amounts):
          // one table, the two captions as its headings.
          usati.add(accanto.nome);
          x1 = accanto.x + accanto.w;
          const etichette = new Map();
          for (const c of f.figli || []) {
            const l = crea('label', { testo: c.testo, classe: 'etichetta etichetta-riga' });
            etichette.set(c.y, l);
          }
          // The labels' rows are those of the fields, a few points apart at most.
          const figli = (accanto.figli || []).map((c) => {
            const y = [...etichette.keys()].find((k) => Math.abs(k - c.y) <= 6);
            return y === undefined ? c : { ...c, y };
          });
          const contenuto = righeDelRiquadro(figli, 'gruppo-' + accanto.nome, etichette);
          contenuto.classList.add('tabella');
          contenuto.prepend(crea('div', { classe: 'riga intestazione', 'aria-hidden': 'true' },
            crea('span', { classe: 'etichetta-riga' }), crea('span', { testo: accanto.testo, classe: 'titoletto' })));
          fieldset.setAttribute('aria-label', `${f.testo}, ${accanto.testo}`);
          fieldset.append(contenuto);
        } else {
          fieldset.append(righeDelRiquadro(f.figli || [], 'gruppo-' + f.nome));
        }
        // Its place among 24 columns, as the desktop places it, and its
        // height: as tall as the tallest of its row where it is on the desktop.
        const inizio = Math.round((x0 / larghezza) * 24) + 1;
        const fine = Math.max(inizio + 1, Math.min(25, Math.round((x1 / larghezza) * 24) + 1));
        fieldset.style.setProperty('--colonne', `${inizio} / ${fine}`);
        fieldset.style.setProperty('--riga', String(numeroRiga + 1));
        const piuAlto = Math.max(...riga.controlli.map((c) => c.h));
        fieldset.style.alignSelf = f.h >= piuAlto - 4 ? 'stretch' : 'start';
        contenitore.append(fieldset);
      });
    });

    // A text field of the form that the desktop's layout does not place.
    const altri = [...campiTesto.values()].filter((c) => !controlli.has(c.nome));
    if (altri.length) {
      const fieldset = crea('fieldset', { classe: 'riquadro altri' });
      const r = crea('div', { classe: 'riga' });
      for (const c of altri) {
        const e = crea('input', { type: 'text', id: c.nome, name: c.nome, autocomplete: 'off', classe: 'testo destra', maxlength: c.lunghezza_massima || null, inputmode: diNomi(c.nome) ? null : 'decimal' });
        e.value = c.predefinito;
        controlli.set(c.nome, e);
        r.append(crea('span', { classe: 'coppia' }, crea('label', { for: c.nome, testo: c.etichetta, classe: 'etichetta' }), crea('span', { classe: 'campo' }, e)));
      }
      fieldset.append(r);
      contenitore.append(fieldset);
    }

    // A drop-down list the module offers that the desktop's layout does not
    // place: beside the other such fields, under its label.
    const listeAltre = new Set(Object.keys(descrizione.scelte || {}));
    for (const n of descrizione.normative) for (const nome of Object.keys(n.scelte || {})) listeAltre.add(nome);
    const nuove = [...listeAltre].filter((nome) => !controlli.has(nome));
    if (nuove.length) {
      const fieldset = contenitore.querySelector('fieldset.altri') || contenitore.appendChild(crea('fieldset', { classe: 'riquadro altri' }));
      const r = crea('div', { classe: 'riga' });
      for (const nome of nuove) {
        const e = crea('select', { id: nome, name: nome });
        controlli.set(nome, e);
        const etichetta = (descrizione.etichette_scelte || {})[nome] || nome;
        r.append(crea('span', { classe: 'coppia' }, crea('label', { for: nome, testo: etichetta, classe: 'etichetta' }), crea('span', { classe: 'campo' }, e)));
      }
      fieldset.append(r);
    }

    // The category and sector lists have no caption of their own on the
    // desktop: their frame names them.
    for (const [nome, testo] of [['List1', 'Categoria del lavoratore'], ['List2', 'Settore previdenziale']]) {
      const e = controlli.get(nome);
      if (e && !e.labels.length) {
        const l = crea('label', { for: nome, testo, classe: 'nascosto' });
        e.before(l);
      }
    }
    const calcola = ui.figli.find((c) => c.nome === 'Command1');
    $('Command1').textContent = calcola ? calcola.testo : 'C A L C O L A';

    // The lists: the rule sets (the newest first chosen), the drop-downs.
    const combo4 = controlli.get('Combo4');
    if (combo4) {
      combo4.textContent = '';
      for (const n of descrizione.normative) combo4.append(crea('option', { value: n.nome, testo: n.nome }));
      combo4.value = descrizione.normative[descrizione.normative.length - 1].nome;
    }
    for (const [nome, voci] of Object.entries(descrizione.scelte)) {
      const e = controlli.get(nome);
      if (!e) continue;
      e.textContent = '';
      e.append(crea('option', { value: '', testo: '' }));
      for (const v of voci) e.append(crea('option', { value: v, testo: v }));
      e.value = '';
    }
    // Drop-downs the module does not fill keep the desktop's items.
    for (const [nome, e] of controlli) {
      if (e.tagName !== 'SELECT' || e.options.length || e.classList.contains('lista')) continue;
      const c = trovaControllo(ui, nome);
      e.append(crea('option', { value: '', testo: '' }));
      for (const v of (c && c.voci) || []) e.append(crea('option', { value: v, testo: v }));
      e.value = c && c.indice >= 0 ? c.voci[c.indice] : '';
    }
    riempiCategorie();
  }

  // The lists whose items depend on the rule set: its own items, what was
  // chosen kept where the new rule set has it too.
  // A list of a rule set starts with its choice of nothing ("Regione":
  // "Nessuna"), which is also what a new rule set chooses.
  function riempiScelteNormativa() {
    for (const [nome, voci] of Object.entries(normativaScelta().scelte || {})) {
      const e = controlli.get(nome);
      if (!e) continue;
      const prima = e.value;
      e.textContent = '';
      for (const v of voci) e.append(crea('option', { value: v, testo: v }));
      e.value = voci.includes(prima) ? prima : voci[0];
    }
    notaRegione();
    // The fields that complete what is typed ("Comune": "MILANO (MI)").
    for (const [nome, e] of controlli) {
      if (e.tagName !== 'INPUT' || e.type !== 'text') continue;
      if ((normativaScelta().completamenti || {})[nome]) completamento(e);
      else if (e.dataset.completa) chiudiCompletamento(e);
    }
  }

  // Beside "Regione", as on the desktop: why the region chosen has no
  // table, and the field to type its rate in.
  function notaRegione() {
    const nota = document.querySelector('[data-nome="Label22"]');
    const combo5 = controlli.get('Combo5');
    if (!nota || !combo5) return;
    if (!nota.id) {
      nota.id = 'nota-regione';
      nota.setAttribute('aria-live', 'polite');
      combo5.addEventListener('change', notaRegione);
    }
    const testo = ((normativaScelta().note || {}).Combo5 || {})[combo5.value] || '';
    // Once is enough: a calculation refused for the same reason says it
    // under the field to fill.
    const messaggi = (ultimaUscita && ultimaUscita.messages) || [];
    nota.textContent = testo && messaggi.some((m) => m.includes(testo.slice(1))) ? '' : testo;
    if (!combo5.hasAttribute('aria-describedby')) combo5.setAttribute('aria-describedby', nota.id);
  }

  // ------------------------------------------------------------ completion

  // A comune's name as the module compares it: the core's own matching
  // (case, accents, apostrophes, blanks, hyphens), so the completion and the
  // calculation agree on every name.
  function chiaveComune(testo) {
    const s = String(testo);
    return chiama('zellora_chiave_comune', s, modulo.lengthBytesUTF8(s));
  }

  // The items a field offers for what is typed: those whose key begins with
  // the key of the text, at most `MOSTRATE`. For "Comune" with a region
  // chosen, only the comuni of that region (a comune of another one is
  // refused); with "Nessuna", every comune.
  const MOSTRATE = 30;
  function proposte(e) {
    const n = normativaScelta();
    const voci = (n.completamenti || {})[e.id] || [];
    if (!voci.chiavi) voci.chiavi = voci.map(chiaveComune);
    const k = chiaveComune(e.value);
    const regione = e.id === 'Text22' && n.regioni_comuni ? regioneScelta() : null;
    const r = [];
    for (let i = 0; i < voci.length && r.length < MOSTRATE; ++i) {
      if (regione && n.regioni_comuni[i] !== regione) continue;
      if (voci.chiavi[i].startsWith(k)) r.push(voci[i]);
    }
    return r;
  }

  // The region of "Regione" as the module reads it: "Nessuna" and blanks are
  // none, another item is matched without regard to case and blanks around.
  function regioneScelta() {
    const e = controlli.get('Combo5');
    const v = e && !e.disabled ? e.value.trim().toUpperCase() : '';
    if (!v || v === 'NESSUNA') return null;
    return (normativaScelta().scelte.Combo5 || []).find((x) => x.toUpperCase() === v) || null;
  }

  // A field that completes: a list of our own under it (a datalist would
  // match only the letters as typed, not "Forlì" to FORLI'), as a combobox
  // for assistive technology. Arrows move in the list, Enter or a click takes
  // the item as the list writes it, Escape closes it.
  function completamento(e) {
    if (e.dataset.completa) return;
    const id = 'completa-' + e.id;
    e.dataset.completa = id;
    const lista = document.body.appendChild(crea('ul', { id, role: 'listbox', classe: 'completamento', hidden: true }));
    lista.setAttribute('aria-label', (campiTesto.get(e.id) || {}).etichetta || e.id);
    e.setAttribute('role', 'combobox');
    e.setAttribute('aria-autocomplete', 'list');
    e.setAttribute('aria-controls', id);
    e.setAttribute('aria-expanded', 'false');
    let attiva = -1;
    const voci = () => [...lista.children];
    const evidenzia = (i) => {
      attiva = i;
      voci().forEach((v, j) => v.setAttribute('aria-selected', String(j === i)));
      if (i >= 0) {
        e.setAttribute('aria-activedescendant', voci()[i].id);
        voci()[i].scrollIntoView({ block: 'nearest' });
      } else {
        e.removeAttribute('aria-activedescendant');
      }
    };
    const scegli = (v) => {
      e.value = v;
      chiudiCompletamento(e);
      e.dispatchEvent(new Event('input', { bubbles: true }));
    };
    const mostra = () => {
      const trovate = e.value.trim() && document.activeElement === e ? proposte(e) : [];
      // Nothing to offer, or only what is written already.
      if (!trovate.length || (trovate.length === 1 && trovate[0] === e.value)) {
        chiudiCompletamento(e);
        return;
      }
      lista.textContent = '';
      trovate.forEach((v, j) => {
        const o = crea('li', { id: `${id}-${j}`, role: 'option', 'aria-selected': 'false', testo: v });
        // Taken before the field loses its focus.
        o.addEventListener('mousedown', (ev) => { ev.preventDefault(); scegli(v); });
        lista.append(o);
      });
      const r = e.getBoundingClientRect();
      lista.style.left = `${r.left + window.scrollX}px`;
      lista.style.top = `${r.bottom + window.scrollY}px`;
      lista.style.minWidth = `${r.width}px`;
      lista.hidden = false;
      e.setAttribute('aria-expanded', 'true');
      evidenzia(-1);
    };
    e.addEventListener('input', (ev) => { if (ev.isTrusted !== false) mostra(); });
    e.addEventListener('focus', mostra);
    e.addEventListener('blur', () => chiudiCompletamento(e));
    e.addEventListener('keydown', (ev) => {
      const n = voci().length;
      if (ev.key === 'ArrowDown' || ev.key === 'ArrowUp') {
        if (lista.hidden) { mostra(); return; }
        ev.preventDefault();
        if (ev.key === 'ArrowDown') evidenzia((attiva + 1) % n);
        else evidenzia(attiva <= 0 ? n - 1 : attiva - 1);
      } else if (ev.key === 'Enter' && !lista.hidden && attiva >= 0) {
        ev.preventDefault();
        scegli(voci()[attiva].textContent);
      } else if (ev.key === 'Escape' && !lista.hidden) {
        ev.preventDefault();
        chiudiCompletamento(e);
      }
    });
    // Another region offers other comuni.
    const combo5 = controlli.get('Combo5');
    if (e.id === 'Text22' && combo5) combo5.addEventListener('change', () => chiudiCompletamento(e));
  }

  function chiudiCompletamento(e) {
    const lista = document.getElementById(e.dataset.completa || '');
    if (!lista) return;
    lista.hidden = true;
    lista.textContent = '';
    e.setAttribute('aria-expanded', 'false');
    e.removeAttribute('aria-activedescendant');
  }

  // The controls a rule set leaves off (the surcharges under a rule set
  // without their tables): disabled, and not in the request.
  const spenti = () => new Set(normativaScelta().spenti || []);

  function trovaControllo(c, nome) {
    if (c.nome === nome) return c;
    for (const f of c.figli || []) {
      const t = trovaControllo(f, nome);
      if (t) return t;
    }
    return null;
  }

  const normativaScelta = () => normative.get(controlli.get('Combo4').value);

  function riempiCategorie() {
    riempiScelteNormativa();
    const list1 = controlli.get('List1');
    const prima = list1.value;
    list1.textContent = '';
    for (const c of normativaScelta().categorie) list1.append(crea('option', { value: c.nome, testo: c.nome }));
    list1.value = prima;
    if (list1.value !== prima) list1.selectedIndex = -1;
    riempiSettori();
  }

  function riempiSettori() {
    const list2 = controlli.get('List2');
    const prima = list2.value;
    list2.textContent = '';
    const categoria = normativaScelta().categorie.find((c) => c.nome === controlli.get('List1').value);
    for (const s of categoria ? categoria.settori : []) list2.append(crea('option', { value: s, testo: s }));
    list2.value = prima;
    if (list2.value !== prima) list2.selectedIndex = -1;
  }

  // Which fields the operator can type into: the period mode decides as
  // on the desktop, and under today's law there is no increase for children
  // under three.
  function statoCampi() {
    const annuo = controlli.get('Option1').checked;
    const imposta = (nome, attivo) => { const e = controlli.get(nome); if (e) e.disabled = !attivo; };
    imposta('Text7', !annuo);
    for (const n of ['Text5', 'Text2', 'Text9', 'Text10']) imposta(n, annuo);
    imposta('Text6', !normativaScelta().attuale);
    const fuori = spenti();
    for (const n of normative.values()) for (const nome of n.spenti || []) imposta(nome, !fuori.has(nome));
  }

  // The request: every control of the form by name, as zellora-cli reads it.
  function richiesta() {
    const r = {};
    const fuori = spenti();
    for (const [nome, e] of controlli) {
      if (fuori.has(nome)) continue;
      if (e.type === 'radio' || e.type === 'checkbox') r[nome] = e.checked;
      else if (e.tagName === 'SELECT') r[nome] = e.selectedIndex >= 0 ? e.value : '';
      else r[nome] = e.value;
    }
    return r;
  }

  // ------------------------------------------------------------ the address

  const veri = ['true', '1', 'vero', 'si', 'sì'];
  const falsi = ['false', '0', 'falso', 'no'];

  // A value shown back in a message, quoted by the module as every other
  // one (control and invisible format characters escaped, cut).
  function citazione(v) {
    const s = String(v);
    return chiama('zellora_citazione', s, modulo.lengthBytesUTF8(s));
  }

  // Fills the form from the address: index.html?List1=Impiegato&Text1=30000.
  function leggiIndirizzo() {
    const parametri = new URLSearchParams(location.search);
    const avvisi = [];
    const ordine = (k) => (k === 'Combo4' ? 0 : k === 'List1' ? 1 : k === 'List2' ? 2 : 3);
    const chiavi = [...parametri.keys()].sort((a, b) => ordine(a) - ordine(b));
    // A request without a rule set means the same everywhere: the rules of
    // the command line's and the sheets' default (2007), said once.
    const combo4 = controlli.get('Combo4');
    if (chiavi.length > 0 && !parametri.has('Combo4') && combo4) {
      combo4.value = descrizione.normativa_predefinita;
      riempiCategorie();
      avvisi.push(
        `Indirizzo senza Combo4: il calcolo segue la normativa ${citazione(descrizione.normativa_predefinita)}, ` +
          'come ogni richiesta che non ne nomina una.',
      );
    }
    for (const chiave of chiavi) {
      const valore = parametri.get(chiave);
      // A choice of the year: its section opens with it. A text is taken as
      // typed, and the year judges it; a choice must be one of its items.
      const scelta = campiBuste.get(chiave);
      if (scelta) {
        if (scelta.tagName === 'SELECT' && ![...scelta.options].some((o) => o.value === valore)) {
          avvisi.push(`Indirizzo: ${chiave} non ha la voce ${citazione(valore)}; ignorato.`);
          continue;
        }
        scelta.value = valore;
        apriBuste(true);
        continue;
      }
      const e = controlli.get(chiave);
      if (!e) {
        avvisi.push(`Indirizzo: ${citazione(chiave)} non è un campo del modulo; ignorato.`);
        continue;
      }
      if (e.type === 'radio' || e.type === 'checkbox') {
        const v = valore.trim().toLowerCase();
        if (!veri.includes(v) && !falsi.includes(v)) {
          avvisi.push(`Indirizzo: ${chiave} vale true o false, non ${citazione(valore)}; ignorato.`);
          continue;
        }
        const acceso = veri.includes(v);
        if (e.type === 'radio' && !acceso) {
          const altro = [...document.getElementsByName(e.name)].find((x) => x !== e);
          if (altro) altro.checked = true;
        } else {
          e.checked = acceso;
        }
      } else if (e.tagName === 'SELECT') {
        let voce = valore;
        // An item of an earlier sector list: the sector of today it stands
        // for, said as the calculation says it.
        if (chiave === 'List2' && voce !== '' && ![...e.options].some((o) => o.value === voce)) {
          const n = normativaScelta();
          const categoria = n.categorie.find((c) => c.nome === controlli.get('List1').value);
          const oggi = categoria && (categoria.precedenti || {})[voce];
          if (oggi) {
            avvisi.push(
              `Indirizzo: il settore ${citazione(voce)} non è più tra quelli della normativa ${n.nome}: ` +
                `il calcolo segue ${citazione(oggi)}.`,
            );
            voce = oggi;
          }
        }
        if (voce !== '' && ![...e.options].some((o) => o.value === voce)) {
          avvisi.push(`Indirizzo: ${chiave} non ha la voce ${citazione(valore)}; ignorato.`);
          continue;
        }
        e.value = voce;
        if (voce === '') e.selectedIndex = e.classList.contains('lista') ? -1 : 0;
        if (chiave === 'Combo4') riempiCategorie();
        if (chiave === 'List1') riempiSettori();
      } else {
        e.value = valore;
      }
    }
    const area = $('indirizzo');
    area.textContent = '';
    for (const a of avvisi) area.append(crea('p', { testo: a, classe: 'avviso' }));
  }

  // Keeps the form in the address, so that a calculation can be linked and
  // bookmarked: only what differs from the form as it opens, and the rule set.
  function scriviIndirizzo() {
    const parametri = new URLSearchParams();
    for (const [nome, e] of controlli) {
      if (e.type === 'radio' || e.type === 'checkbox') {
        const iniziale = descrizione.opzioni[nome] ?? false;
        if (e.checked && !iniziale) parametri.set(nome, 'true');
      } else if (nome === 'Combo4') {
        parametri.set(nome, e.value);
      } else if (e.tagName === 'SELECT') {
        if (e.selectedIndex >= 0 && e.value !== '') parametri.set(nome, e.value);
      } else {
        const campo = campiTesto.get(nome);
        if (!e.dataset.sempreSpento && (!campo || e.value !== campo.predefinito)) parametri.set(nome, e.value);
      }
    }
    // The choices of the year by their keys: those typed or chosen.
    for (const [chiave, e] of campiBuste) {
      if (e.tagName === 'SELECT' ? e.selectedIndex > 0 : e.value !== '') parametri.set(chiave, e.value);
    }
    const testo = parametri.toString().replace(/\+/g, '%20');
    history.replaceState(null, '', testo ? '?' + testo : location.pathname);
  }

  // ------------------------------------------------------------ the results

  const evidenziati = new Set();

  function costruisciRisultati() {
    const ui = descrizione.finestre.Form2;
    const frame = (n) => trovaControllo(ui, n);
    $('titolo-lavoratore').textContent = frame('Frame1').testo;
    $('titolo-azienda').textContent = frame('Frame2').testo;
    $('Esporta').textContent = frame('Command1').testo;
    $('Grafici').textContent = frame('Command2').testo;
    $('nota').textContent = descrizione.risultati.nota;
    (function segna(c) {
      if (c.evidenziato) evidenziati.add(Number(c.nome.replace(/^Text/, '')));
      (c.figli || []).forEach(segna);
    })(ui);
  }

  function righeRisultati(contenitore, righe, testi) {
    // The same rows as before: only their texts change.
    const chiave = righe.map((r) => r.box).join(',');
    if (contenitore.dataset.righe === chiave) {
      for (const o of contenitore.querySelectorAll('output')) o.textContent = testi['Text' + o.dataset.box] ?? '';
      return;
    }
    contenitore.dataset.righe = chiave;
    contenitore.textContent = '';
    for (const r of righe) {
      const id = 'Form2-Text' + r.box;
      const riga = crea('div', { classe: 'riga-risultato' + (evidenziati.has(r.box) ? ' totale' : '') });
      riga.append(crea('span', { id: id + '-etichetta', testo: r.etichetta, classe: 'etichetta' }),
        crea('output', { id, 'aria-labelledby': id + '-etichetta', 'data-box': r.box, classe: 'casella', testo: testi['Text' + r.box] ?? '' }));
      contenitore.append(riga);
    }
  }

  function mostraRisultati(uscita, normativa) {
    const ui = descrizione.finestre.Form1;
    const mensile = controlli.get('Option2').checked;
    const modo = trovaControllo(ui, mensile ? 'Option2' : 'Option1');
    const etichettaNormativa = trovaControllo(ui, 'Label15');
    let titolo = `${descrizione.risultati.titolo} (${modo ? modo.testo : ''})`;
    if (normativa.attuale) titolo += ` - ${etichettaNormativa ? etichettaNormativa.testo : 'Normativa'} ${normativa.nome}`;
    $('titolo-risultati').textContent = titolo;
    const testi = uscita.results || {};
    // A row shown only when asked for (the surcharges) when the result has it.
    const mostrate = (righe) => righe.filter((r) => !r.se_chiesta || ('Text' + r.box) in testi);
    righeRisultati($('righe-lavoratore'), mostrate(normativa.righe_lavoratore), testi);
    righeRisultati($('righe-azienda'), mostrate(normativa.righe_azienda), testi);
    $('Form2').dataset.stato = uscita.status || 'error';
    $('Esporta').disabled = uscita.status !== 'ok' && uscita.status !== 'unreachable';
  }

  // A name still being typed into the field that completes it ("Mil" on the
  // way to "MILANO (MI)"): the start of an item of its list, and the focus
  // in it. Its message waits until the field is left or the form is sent.
  function nomeInScrittura() {
    const e = document.activeElement;
    if (!e || !controlli.has(e.id) || !campiTesto.has(e.id)) return null;
    if (!((normativaScelta().completamenti || {})[e.id] || []).length) return null;
    const k = chiaveComune(e.value);
    if (!k) return null;
    // The items it can still become, by the completion's own matching.
    const voci = proposte(e);
    if (voci.some((v) => chiaveComune(v) === k)) return null;
    return voci.length > 0 ? e : null;
  }

  // The messages of a calculation: all of them above the results, and each
  // one of a refusal that names a field by its label under that field too
  // (the notes of figures that were calculated name fields only to say what
  // may be typed there). `tutti`: also those of a name still being typed.
  function mostraMessaggi(uscita, tutti = false) {
    ultimaUscita = uscita;
    const area = $('messaggi');
    area.textContent = '';
    document.querySelectorAll('.errore-campo').forEach((e) => e.remove());
    for (const e of controlli.values()) {
      e.removeAttribute('aria-invalid');
      e.removeAttribute('aria-describedby');
    }
    const inScrittura = tutti ? null : nomeInScrittura();
    const attesa = inScrittura ? `"${campiTesto.get(inScrittura.id).etichetta}"` : null;
    const messaggi = (uscita.error ? [uscita.error] : (uscita.messages || [])).filter((m) => !attesa || !m.includes(attesa));
    const classe = uscita.status === 'refused' || uscita.error ? 'errore' : 'avviso';
    for (const m of messaggi) {
      area.append(crea('p', { testo: m, classe: classe + ' messaggio' }));
      if (classe !== 'errore') continue;
      for (const campo of campiTesto.values()) {
        if (!m.includes(`"${campo.etichetta}"`)) continue;
        const e = controlli.get(campo.nome);
        if (!e) continue;
        const id = 'errore-' + campo.nome;
        const sotto = document.getElementById(id) || crea('p', { id, classe: 'errore-campo ' + classe });
        sotto.textContent = sotto.textContent ? sotto.textContent + ' ' + m : m;
        if (!sotto.isConnected) (e.closest('.riga') || e).after(sotto);
        e.setAttribute('aria-invalid', 'true');
        e.setAttribute('aria-describedby', id);
      }
    }
    // The empty-field warning names no field: the empty ones are marked.
    if (messaggi.includes(descrizione.messaggio_campi_vuoti)) {
      for (const e of controlli.values()) {
        if (e.tagName === 'INPUT' && e.type === 'text' && e.value === '') e.setAttribute('aria-invalid', 'true');
      }
    }
    notaRegione();
  }

  function mostraProspetto(r) {
    const p = chiamaJson('zellora_prospetto', r);
    const art = $('prospetto');
    art.textContent = '';
    if (p.error || p.errore) {
      art.append(crea('p', { testo: p.error || p.errore }));
      return;
    }
    for (const par of p.paragrafi || []) {
      art.append(crea('p', { classe: 'par ' + par.allineamento + (par.grassetto ? ' grassetto' : ''), testo: par.testo || '\u00a0' }));
    }
  }

  // The page, font and size of the statement, as every document format of
  // the program lays it out.
  function impaginaProspetto() {
    const p = descrizione.prospetto;
    const foglio = [...document.styleSheets].find((f) => f.href && f.href.endsWith('style.css'));
    if (!foglio) return;
    const g = p.pagina;
    foglio.insertRule(`@media print { @page { size: ${g.larghezza}mm ${g.altezza}mm; margin: ${g.sopra}mm ${g.destra}mm ${g.sotto}mm ${g.sinistra}mm; } .prospetto { font-family: "${p.carattere}", "Liberation Serif", serif; font-size: ${p.punti}pt; } }`, foglio.cssRules.length);
  }

  // The calculate command, run at every change of the form: keys typed in
  // a row give one calculation, of what the form holds when they are in.
  let calcoloPianificato = false;
  function pianificaCalcolo() {
    document.body.dataset.calcolo = 'in attesa';
    if (calcoloPianificato) return;
    calcoloPianificato = true;
    setTimeout(() => {
      calcoloPianificato = false;
      calcola();
    }, 0);
  }

  function calcola(tutti = false) {
    const r = JSON.stringify(richiesta());
    ultimaRichiesta = r;
    const uscita = chiamaJson('zellora_calcola', r);
    const normativa = normativaScelta();
    mostraRisultati(uscita, normativa);
    mostraMessaggi(uscita, tutti);
    mostraSommario(uscita, normativa);
    prospettoDaFare = true;
    // The address follows the form once the typing pauses (a browser takes
    // only so many changes of address in a row).
    clearTimeout(indirizzoDaScrivere);
    indirizzoDaScrivere = setTimeout(scriviIndirizzo, 250);
    if (graficiAperti) pianificaGrafici();
    // The year follows the form at once: never the figures of another worker.
    if (busteAperte) calcolaBuste();
    document.body.dataset.calcolo = 'fatto';
  }
  let indirizzoDaScrivere = 0;
  let prospettoDaFare = true;
  let ultimaUscita = null;

  const stampabile = (uscita) => !!uscita && (uscita.status === 'ok' || uscita.status === 'unreachable');

  // The statement is laid out when it is to be printed; a calculation that
  // gives no figures prints why, not an empty page.
  function preparaStampa() {
    if (!prospettoDaFare || !ultimaRichiesta) return;
    prospettoDaFare = false;
    if (stampabile(ultimaUscita)) {
      mostraProspetto(ultimaRichiesta);
      return;
    }
    const art = $('prospetto');
    art.textContent = '';
    art.append(crea('p', { classe: 'par grassetto', testo: 'Nessun prospetto da stampare: il calcolo non ha dato cifre.' }));
    const messaggi = ultimaUscita ? (ultimaUscita.error ? [ultimaUscita.error] : (ultimaUscita.messages || [])) : [];
    for (const m of messaggi) art.append(crea('p', { classe: 'par', testo: m }));
  }

  // "Netto in busta" while the results are out of sight below the form.
  function mostraSommario(uscita, normativa) {
    const riga = normativa.righe_lavoratore.find((r) => r.id === 'netto_in_busta');
    const testo = riga && uscita.results ? uscita.results['Text' + riga.box] : '';
    $('sommario-netto').textContent = `${riga ? riga.etichetta : 'Netto in busta'}: ${stampabile(uscita) && testo ? testo : '—'}`;
  }

  function osservaSommario() {
    const sommario = $('sommario');
    if (typeof IntersectionObserver !== 'function') return;
    new IntersectionObserver((voci) => {
      for (const v of voci) sommario.hidden = v.isIntersecting || v.boundingClientRect.top < 0;
    }).observe($('Form2'));
  }

  // ------------------------------------------------------------ the charts

  const tavolozza = ['#009E73', '#E69F00', '#56B4E9', '#D55E00', '#CC79A7', '#0072B2', '#F0E442', '#000000'];
  const coloreSalto = '#EE3377'; // the desktop's
  const SVG = 'http://www.w3.org/2000/svg';
  function svg(tag, attributi = {}, ...figli) {
    const e = document.createElementNS(SVG, tag);
    for (const [k, v] of Object.entries(attributi)) {
      if (k === 'testo') e.textContent = v;
      else e.setAttribute(k, String(v));
    }
    for (const f of figli) if (f) e.append(f);
    return e;
  }

  // Whole numbers grouped by thousands, for the axes.
  function intero(v) {
    const s = Math.round(Math.abs(v)).toString().replace(/\B(?=(\d{3})+(?!\d))/g, '.');
    return (v < 0 && Math.round(v) !== 0 ? '-' : '') + s;
  }

  function tacche(min, max, quante) {
    const ampiezza = Math.max(max - min, 1e-9);
    const grezzo = ampiezza / quante;
    const potenza = Math.pow(10, Math.floor(Math.log10(grezzo)));
    const passo = [1, 2, 2.5, 5, 10].map((k) => k * potenza).find((p) => p >= grezzo) || grezzo;
    const t = [];
    for (let v = Math.ceil(min / passo) * passo; v <= max + passo * 1e-9; v += passo) t.push(v);
    return t;
  }

  // One horizontal bar of the parts that are not nil, with their labels.
  function graficoRipartizione(figura, dati) {
    figura.textContent = '';
    figura.append(crea('figcaption', { testo: dati.titolo }));
    if (!dati.parti) return;
    const parti = dati.parti.filter((p) => p.centesimi !== 0);
    const positivi = parti.filter((p) => p.centesimi > 0).reduce((s, p) => s + p.centesimi, 0) || 1;
    const disegno = svg('svg', { viewBox: '0 0 1000 60', role: 'img', 'aria-label': dati.titolo, preserveAspectRatio: 'none', class: 'barra' });
    let x = 0;
    const legenda = crea('ul', { classe: 'legenda' });
    parti.forEach((p, i) => {
      const colore = tavolozza[i % tavolozza.length];
      if (p.centesimi > 0) {
        const w = (p.centesimi / positivi) * 1000;
        disegno.append(svg('rect', { x, y: 5, width: w, height: 50, fill: colore, stroke: '#fff' }, svg('title', { testo: p.etichetta })));
        x += w;
      }
      const voce = crea('li');
      voce.append(crea('span', { classe: 'campione', 'aria-hidden': 'true' }), document.createTextNode(p.etichetta));
      voce.firstChild.style.background = colore;
      legenda.append(voce);
    });
    figura.append(disegno, legenda);
  }

  // The net and the marginal rate against the gross, the worker marked,
  // and the cliffs the core finds (where one more euro of gross changes the
  // net by a jump), marked on the net and listed under the chart as the
  // desktop's charts window lists them. The rate's axis holds the ordinary
  // rates only: a cliff is a jump, not a rate. The drawing is as wide as its
  // place in CSS pixels, so that its text keeps the page's size on a phone
  // and under the browser's zoom.
  function graficoCurva(figura, c, voceNetto) {
    figura.textContent = '';
    figura.append(crea('figcaption', { testo: c.titolo }));
    const punti = c.punti || [];
    curvaCorrente = c;
    const cursore = $('punto-curva');
    cursore.max = String(Math.max(0, punti.length - 1));
    if (!punti.length) { $('dettaglio-punto').textContent = ''; cursore.removeAttribute('aria-valuetext'); return; }
    const W = Math.max(280, Math.round(figura.clientWidth || 900));
    const H = Math.round(Math.min(440, Math.max(260, W * 0.55)));
    const sx = 62, dx = 48, su = 14, giu = 46;
    const xmin = punti[0][0], xmax = punti[punti.length - 1][0] || 1;
    const ordinaria = (p) => p[4] === 1 && p[2] !== null;
    let nmin = 0, nmax = 1, amin = 0, amax = 60;
    for (const p of punti) {
      if (p[1] !== null) { nmax = Math.max(nmax, p[1] * 1.05); nmin = Math.min(nmin, p[1]); }
      if (ordinaria(p)) { amin = Math.min(amin, p[2] * 100); amax = Math.max(amax, p[2] * 100); }
    }
    if (c.netto_voluto !== undefined) nmax = Math.max(nmax, c.netto_voluto * 1.05);
    amin = Math.floor(amin / 10) * 10;
    amax = Math.ceil(amax / 10) * 10;
    const righeTacche = Math.max(3, Math.min(6, Math.floor((H - su - giu) / 45)));
    const tn = tacche(nmin, nmax, righeTacche);
    nmin = Math.min(nmin, tn[0]);
    nmax = Math.max(nmax, tn[tn.length - 1]);
    const X = (v) => sx + ((v - xmin) / ((xmax - xmin) || 1)) * (W - sx - dx);
    const YN = (v) => H - giu - ((v - nmin) / ((nmax - nmin) || 1)) * (H - su - giu);
    const YA = (v) => H - giu - ((v - amin) / ((amax - amin) || 1)) * (H - su - giu);
    const g = svg('svg', { viewBox: `0 0 ${W} ${H}`, role: 'img', 'aria-label': c.titolo, class: 'curva' });
    // Axes and grid.
    for (const v of tn) {
      g.append(svg('line', { x1: sx, x2: W - dx, y1: YN(v), y2: YN(v), class: 'griglia' }));
      g.append(svg('text', { x: sx - 5, y: YN(v) + 4, 'text-anchor': 'end', class: 'tacca', testo: intero(v) }));
    }
    for (const v of tacche(xmin, xmax, Math.max(2, Math.floor((W - sx - dx) / 85)))) {
      g.append(svg('text', { x: X(v), y: H - giu + 17, 'text-anchor': 'middle', class: 'tacca', testo: intero(v) }));
    }
    for (const v of tacche(amin, amax, righeTacche)) {
      if (v < amin - 1e-9 || v > amax + 1e-9) continue;
      g.append(svg('text', { x: W - dx + 5, y: YA(v) + 4, class: 'tacca tacca-aliquota', testo: intero(v) }));
    }
    g.append(svg('text', { x: (sx + W - dx) / 2, y: H - 8, 'text-anchor': 'middle', class: 'asse', testo: 'Lordo' }));
    g.append(svg('text', { x: 13, y: (H - giu + su) / 2, transform: `rotate(-90 13 ${(H - giu + su) / 2})`, 'text-anchor': 'middle', class: 'asse', testo: voceNetto }));
    g.append(svg('text', { x: W - 8, y: (H - giu + su) / 2, transform: `rotate(90 ${W - 8} ${(H - giu + su) / 2})`, 'text-anchor': 'middle', class: 'asse', testo: 'Aliquota marginale (%)' }));
    g.append(svg('rect', { x: sx, y: su, width: W - sx - dx, height: H - su - giu, class: 'cornice' }));
    // The lines: the rate only where it is a rate.
    const linea = (indice, Y, vale) => {
      let d = '';
      let aperta = false;
      for (const p of punti) {
        if (p[indice] === null || !vale(p)) { aperta = false; continue; }
        const v = indice === 2 ? p[indice] * 100 : p[indice];
        d += `${aperta ? 'L' : 'M'}${X(p[0]).toFixed(1)} ${Y(v).toFixed(1)}`;
        aperta = true;
      }
      return d;
    };
    g.append(svg('path', { d: linea(2, YA, ordinaria), class: 'aliquota', stroke: tavolozza[3] }));
    g.append(svg('path', { d: linea(1, YN, () => true), class: 'netto', stroke: tavolozza[5] }));
    // The cliffs, on the net where they are.
    const salti = c.salti || [];
    for (const s of salti) {
      if (s.netto === null) continue;
      g.append(svg('rect', { x: X(s.lordo) - 4.5, y: YN(s.netto) - 4.5, width: 9, height: 9, class: 'salto' }, svg('title', { testo: s.testo })));
    }
    if (c.netto_voluto !== undefined) {
      g.append(svg('line', { x1: sx, x2: W - dx, y1: YN(c.netto_voluto), y2: YN(c.netto_voluto), class: 'voluto', stroke: tavolozza[4] }));
    }
    if (c.netto_attuale !== undefined && c.lordo_attuale !== null) {
      g.append(svg('circle', { cx: X(c.lordo_attuale), cy: YN(c.netto_attuale), r: 6, class: 'attuale' }, svg('title', { testo: c.etichetta_attuale })));
    }
    const mirino = svg('line', { x1: 0, x2: 0, y1: su, y2: H - giu, class: 'mirino', visibility: 'hidden' });
    g.append(mirino);
    g.addEventListener('pointermove', (ev) => {
      const r = g.getBoundingClientRect();
      const x = ((ev.clientX - r.left) / r.width) * W;
      const v = xmin + ((x - sx) / (W - sx - dx)) * (xmax - xmin);
      let i = Math.round(((v - xmin) / ((xmax - xmin) || 1)) * (punti.length - 1));
      i = Math.max(0, Math.min(punti.length - 1, i));
      cursore.value = String(i);
      mostraPunto();
    });
    figura.append(g);
    const legenda = crea('ul', { classe: 'legenda' });
    const voce = (colore, testo, classe = 'campione') => {
      const li = crea('li');
      const s = crea('span', { classe, 'aria-hidden': 'true' });
      s.style.background = colore;
      li.append(s, document.createTextNode(testo));
      legenda.append(li);
    };
    voce(tavolozza[5], voceNetto);
    voce(tavolozza[3], 'Aliquota marginale (%)');
    if (c.etichetta_attuale) voce(tavolozza[7], c.etichetta_attuale, 'campione tondo');
    if (c.etichetta_voluto) voce(tavolozza[4], c.etichetta_voluto);
    if (salti.length) voce(coloreSalto, c.titolo_salti.replace(/ \(.*/, ''));
    figura.append(legenda);
    if (salti.length) {
      const elenco = crea('ol', { id: 'salti-curva', classe: 'salti', 'aria-labelledby': 'titolo-salti' });
      for (const s of salti) elenco.append(crea('li', { testo: s.testo }));
      figura.append(crea('p', { id: 'titolo-salti', classe: 'titolo-salti', testo: c.titolo_salti + ':' }), elenco);
    }
    g.mirino = mirino;
    g.X = X;
    // The point of the worker, as the slider starts.
    let vicino = 0;
    punti.forEach((p, i) => { if (Math.abs(p[0] - c.lordo_attuale) < Math.abs(punti[vicino][0] - c.lordo_attuale)) vicino = i; });
    cursore.value = String(vicino);
    mostraPunto();
  }

  // The figures of one point of the curve, as the desktop's tooltip gives them.
  function mostraPunto() {
    const c = curvaCorrente;
    if (!c || !c.punti || !c.punti.length) return;
    const p = c.punti[Number($('punto-curva').value)];
    if (!p) return;
    const f = (v) => (v === null ? '-' : chiama('zellora_formato', v));
    $('dettaglio-punto').textContent = `Lordo: ${f(p[0])} · ${descrizione.voce_netto || 'Netto in busta'}: ${f(p[1])} · Aliquota marginale: ${p[2] === null ? '-' : f(p[2] * 100)}% · ${descrizione.voce_costo || 'Costo del Lavoro'}: ${f(p[3])}`;
    // The slider says the gross and the net of its point, not its index.
    $('punto-curva').setAttribute('aria-valuetext', `Lordo ${f(p[0])}, ${descrizione.voce_netto || 'Netto in busta'} ${f(p[1])}`);
    const g = $('grafico-curva').querySelector('svg');
    if (g && g.mirino) {
      g.mirino.setAttribute('x1', g.X(p[0]));
      g.mirino.setAttribute('x2', g.X(p[0]));
      g.mirino.setAttribute('visibility', 'visible');
    }
  }

  let graficiPianificati = false;
  function pianificaGrafici() {
    if (graficiPianificati) return;
    graficiPianificati = true;
    requestAnimationFrame(() => {
      graficiPianificati = false;
      disegnaGrafici();
    });
  }

  function disegnaGrafici() {
    const g = chiamaJson('zellora_grafici', ultimaRichiesta);
    descrizione.voce_netto = g.voce_netto || descrizione.voce_netto;
    descrizione.voce_costo = g.voce_costo || descrizione.voce_costo;
    if (!g.lavoratore) {
      for (const id of ['grafico-lavoratore', 'grafico-azienda', 'grafico-curva']) {
        $(id).textContent = '';
      }
      $('grafico-lavoratore').append(crea('figcaption', { testo: 'Nessun calcolo' }));
      curvaCorrente = null;
      $('dettaglio-punto').textContent = '';
      return;
    }
    graficoRipartizione($('grafico-lavoratore'), g.lavoratore);
    graficoRipartizione($('grafico-azienda'), g.azienda);
    graficoCurva($('grafico-curva'), g.curva, g.voce_netto);
  }

  // ------------------------------------------------------------ the year of payslips

  // The choices of the year, each under its label: a text as the form's
  // fields take it, the payroll office's two choices as lists.
  function costruisciBuste() {
    const b = descrizione.buste;
    $('titolo-buste').textContent = b.titolo;
    $('Buste').textContent = b.titolo;
    const contenitore = $('campi-buste');
    for (const c of b.campi) {
      const id = 'buste-' + c.chiave;
      let e;
      if (c.scelte) {
        e = crea('select', { id, name: c.chiave });
        for (const v of c.scelte) e.append(crea('option', { value: v.valore, testo: v.etichetta }));
      } else {
        // Months and amounts on a phone's number pad; MONTH:AMOUNT items on
        // its letters, which have the colon.
        e = crea('input', {
          type: 'text', id, name: c.chiave, autocomplete: 'off', spellcheck: 'false',
          classe: 'testo' + (c.tipo === 'voci' ? '' : ' destra'),
          inputmode: c.tipo === 'intero' ? 'numeric' : c.tipo === 'importo' ? 'decimal' : null,
        });
      }
      e.dataset.etichetta = c.etichetta;
      campiBuste.set(c.chiave, e);
      contenitore.append(crea('div', { classe: 'campo-buste' },
        crea('label', { for: id, testo: c.etichetta, classe: 'etichetta' }), e));
    }
  }

  // The form's request with the choices of the year under "payslips": the
  // texts typed, the lists' items other than their first (the default).
  function richiestaBuste() {
    const r = richiesta();
    const scelte = {};
    for (const [chiave, e] of campiBuste) {
      if (e.tagName === 'SELECT' ? e.selectedIndex > 0 : e.value !== '') scelte[chiave] = e.value;
    }
    r.payslips = scelte;
    return r;
  }

  function apriBuste(aperte) {
    busteAperte = aperte;
    $('buste').hidden = !aperte;
    $('Buste').setAttribute('aria-expanded', String(aperte));
    // Closed, it keeps the choices and no figure.
    if (!aperte) mostraBuste({});
  }

  function calcolaBuste() {
    ultimoAnno = chiamaJson('zellora_buste', JSON.stringify(richiestaBuste()));
    mostraBuste(ultimoAnno);
    document.body.dataset.buste = 'fatto';
  }

  // A table of lines of text with their amounts (the reconciliation, next
  // year's), under its title.
  function tabellaVoci(titolo, voci, id) {
    const t = crea('table', { id, classe: 'voci-buste' }, crea('caption', { testo: titolo }));
    const corpo = crea('tbody');
    for (const v of voci) {
      corpo.append(crea('tr', { 'data-nome': v.nome },
        crea('th', { scope: 'row', testo: v.testo }), crea('td', { testo: v.importo })));
    }
    t.append(corpo);
    return t;
  }

  // The year as the module gives it: its messages (under the choice they
  // name, when they name one), the choices' values when left empty, the
  // notes, the table with its legend, the reconciliation, next year's
  // lines and the chart. A year refused shows no figure.
  function mostraBuste(anno) {
    const b = descrizione.buste;
    const area = $('messaggi-buste');
    area.textContent = '';
    $('buste').querySelectorAll('.errore-campo').forEach((e) => e.remove());
    for (const e of campiBuste.values()) {
      e.removeAttribute('aria-invalid');
      e.removeAttribute('aria-describedby');
    }
    const messaggi = anno.error ? [anno.error] : (anno.messages || []);
    const classe = anno.status === 'refused' || anno.error ? 'errore' : 'avviso';
    for (const m of messaggi) {
      area.append(crea('p', { testo: m, classe: classe + ' messaggio' }));
      if (classe !== 'errore') continue;
      for (const [chiave, e] of campiBuste) {
        if (!m.includes(`"${e.dataset.etichetta}"`)) continue;
        const id = 'errore-buste-' + chiave;
        const sotto = document.getElementById(id) || crea('p', { id, classe: 'errore-campo ' + classe });
        sotto.textContent = sotto.textContent ? sotto.textContent + ' ' + m : m;
        if (!sotto.isConnected) e.after(sotto);
        e.setAttribute('aria-invalid', 'true');
        e.setAttribute('aria-describedby', id);
      }
    }
    for (const [chiave, e] of campiBuste) {
      if (e.tagName === 'INPUT') e.placeholder = (anno.usate || {})[chiave] || '';
    }
    const dove = $('anno-buste');
    dove.textContent = '';
    $('grafico-buste').textContent = '';
    if (!anno.righe) return;
    for (const n of anno.note || []) dove.append(crea('p', { testo: n, classe: 'nota' }));
    // One row per line of the year; a short heading says its figure in full.
    const tabella = crea('table', { id: 'tabella-buste', classe: 'tabella-buste' },
      crea('caption', { id: 'titolo-tabella-buste', testo: anno.titolo }));
    const testa = crea('tr', {}, crea('th', { scope: 'col', testo: b.intestazione }));
    for (const c of b.colonne) {
      testa.append(crea('th', { scope: 'col', 'data-nome': c.nome },
        c.etichetta === c.intestazione ? c.intestazione : crea('abbr', { title: c.etichetta, testo: c.intestazione })));
    }
    const riga = (descrizioneRiga, celle, classeRiga) => {
      const tr = crea('tr', { classe: classeRiga }, crea('th', { scope: 'row', testo: descrizioneRiga }));
      for (const t of celle) tr.append(crea('td', { testo: t }));
      return tr;
    };
    const corpo = crea('tbody');
    for (const r of anno.righe) corpo.append(riga(r.descrizione, r.celle, 'busta-' + r.tipo));
    tabella.append(crea('thead', {}, testa), corpo, crea('tfoot', {}, riga(b.totale, anno.totale, 'totale')));
    // Wider than a phone: it scrolls, also with the keyboard.
    dove.append(crea('div', { classe: 'scorre', role: 'region', tabindex: '0', 'aria-labelledby': 'titolo-tabella-buste' }, tabella),
      crea('p', { classe: 'legenda-buste', testo: b.legenda }),
      tabellaVoci(b.titolo_riconciliazione, anno.riconciliazione, 'riconciliazione-buste'),
      tabellaVoci(b.titolo_anno_prossimo, anno.anno_prossimo, 'anno-prossimo-buste'));
    if (anno.incapiente) dove.append(crea('p', { classe: 'avviso', testo: anno.incapiente }));
    graficoBuste($('grafico-buste'), anno.grafico);
  }

  // The year's chart: a bar for each line of the year, the net and what is
  // withheld stacked on it (a line that gives back, the adjustment's IRPEF,
  // to the left of zero), each part with its line, label and amount. Said
  // in words, line by line, for who cannot see it. As wide as its place, as
  // the other charts.
  function graficoBuste(figura, g) {
    figura.textContent = '';
    figura.append(crea('figcaption', { id: 'titolo-grafico-buste', testo: descrizione.buste.titolo_grafico }));
    const n = g.righe.length;
    if (!n) return;
    const W = Math.max(280, Math.round(figura.clientWidth || 900));
    const passo = 26, spessore = 18, su = 6, giu = 28, dx = 18;
    const H = su + n * passo + giu;
    const disegno = svg('svg', { viewBox: `0 0 ${W} ${H}`, role: 'img', class: 'barre-buste',
      'aria-labelledby': 'titolo-grafico-buste', 'aria-describedby': 'alternativa-grafico-buste' });
    figura.append(disegno);
    // The lines' names on the left, as wide as the longest needs.
    const nomi = g.righe.map((t, i) => svg('text', { y: su + i * passo + passo / 2 + 4, 'text-anchor': 'end', class: 'tacca', testo: t }));
    nomi.forEach((t) => disegno.append(t));
    const larga = Math.max(...nomi.map((t, i) => t.getComputedTextLength() || g.righe[i].length * 7));
    const sx = Math.min(Math.ceil(larga) + 12, Math.round(W * 0.45));
    nomi.forEach((t) => t.setAttribute('x', sx - 6));
    let minimo = 0, massimo = 1;
    for (let i = 0; i < n; ++i) {
      let piu = 0, meno = 0;
      for (const s of g.serie) { if (s.centesimi[i] > 0) piu += s.centesimi[i]; else meno += s.centesimi[i]; }
      massimo = Math.max(massimo, piu / 100);
      minimo = Math.min(minimo, meno / 100);
    }
    const t = tacche(minimo, massimo, Math.max(2, Math.floor((W - sx - dx) / 80)));
    const da = Math.min(minimo, t[0]), a = Math.max(massimo, t[t.length - 1]);
    const X = (v) => sx + ((v - da) / ((a - da) || 1)) * (W - sx - dx);
    for (const v of t) {
      disegno.append(svg('line', { x1: X(v), x2: X(v), y1: su, y2: H - giu, class: v === 0 ? 'zero' : 'griglia' }));
      disegno.append(svg('text', { x: X(v), y: H - giu + 17, 'text-anchor': 'middle', class: 'tacca', testo: intero(v) }));
    }
    for (let i = 0; i < n; ++i) {
      let destra = 0, sinistra = 0;
      const y = su + i * passo + (passo - spessore) / 2;
      g.serie.forEach((s, k) => {
        const v = s.centesimi[i] / 100;
        if (v === 0) return;
        const x0 = v > 0 ? destra : sinistra + v;
        if (v > 0) destra += v; else sinistra += v;
        disegno.append(svg('rect', { x: X(x0), y, width: Math.max(0.5, X(x0 + Math.abs(v)) - X(x0)), height: spessore, fill: coloriBuste[k % coloriBuste.length], class: 'parte' },
          svg('title', { testo: `${g.righe[i]}, ${s.etichetta}: ${s.testi[i]}` })));
      });
    }
    const legenda = crea('ul', { classe: 'legenda' });
    g.serie.forEach((s, k) => {
      const c = crea('span', { classe: 'campione', 'aria-hidden': 'true' });
      c.style.background = coloriBuste[k % coloriBuste.length];
      legenda.append(crea('li', {}, c, s.etichetta));
    });
    figura.append(legenda, crea('p', { id: 'alternativa-grafico-buste', classe: 'nascosto', testo: g.alternativa }));
  }
  // The net as the curve draws it, then the withholdings.
  const coloriBuste = ['#0072B2', '#E69F00', '#D55E00', '#CC79A7'];

  // ------------------------------------------------------------ the staff sheet

  let lavoratore = null;
  let urlRisultati = null;

  // "2 calcolate, 1 non calcolata su 3 righe in 0,06 s."
  function contoRighe(lavoratori, rifiutati, secondi) {
    const genere = (n, uno, altri) => (n === 1 ? uno : altri);
    const calcolate = lavoratori - rifiutati;
    return `${intero(calcolate)} ${genere(calcolate, 'calcolata', 'calcolate')}, ` +
      `${intero(rifiutati)} non ${genere(rifiutati, 'calcolata', 'calcolate')} ` +
      `su ${intero(lavoratori)} ${genere(lavoratori, 'riga', 'righe')} in ${secondi} s.`;
  }

  function avviaLotto(file) {
    if (lavoratore) lavoratore.terminate();
    if (urlRisultati) { URL.revokeObjectURL(urlRisultati); urlRisultati = null; }
    const stato = $('stato-lotto');
    const barra = $('avanzamento');
    const scarica = $('scarica');
    const errore = $('errore-lotto');
    const riepilogo = $('riepilogo');
    scarica.hidden = true;
    errore.hidden = true;
    riepilogo.hidden = true;
    barra.hidden = false;
    barra.value = 0;
    $('annulla').hidden = false;
    stato.textContent = `Calcolo di ${file.name}…`;
    const inizio = performance.now();
    lavoratore = new Worker('worker.js');
    lavoratore.onmessage = (ev) => {
      const m = ev.data;
      if (m.tipo === 'avanzamento') {
        barra.value = m.totale > 0 ? m.letti / m.totale : 1;
        return;
      }
      lavoratore.terminate();
      lavoratore = null;
      $('annulla').hidden = true;
      barra.hidden = true;
      const r = m.riepilogo;
      const secondi = ((performance.now() - inizio) / 1000).toFixed(2).replace('.', ',');
      if (r.error) {
        errore.hidden = false;
        errore.textContent = `Il foglio ${citazione(file.name)} non può essere calcolato: ${r.error}`;
        stato.textContent = '';
        document.body.dataset.lotto = 'errore';
        return;
      }
      urlRisultati = URL.createObjectURL(m.blob);
      const base = file.name.replace(/\.[^.]*$/, '') || 'foglio';
      scarica.href = urlRisultati;
      scarica.download = `${base}-risultati.${r.formato}`;
      scarica.hidden = false;
      riepilogo.textContent = r.riepilogo;
      riepilogo.hidden = false;
      stato.textContent = contoRighe(r.lavoratori, r.rifiutati, secondi);
      stato.dataset.millisecondi = String(m.ms);
      document.body.dataset.lotto = 'fatto';
    };
    lavoratore.onerror = (ev) => {
      ev.preventDefault();
      lavoratore.terminate();
      lavoratore = null;
      $('annulla').hidden = true;
      barra.hidden = true;
      errore.hidden = false;
      errore.textContent = `Il foglio non può essere calcolato: ${ev.message || 'errore del calcolo'}`;
      document.body.dataset.lotto = 'errore';
    };
    document.body.dataset.lotto = 'in corso';
    lavoratore.postMessage({ file });
  }

  // ------------------------------------------------------------ the rules

  function costruisciNormative() {
    const elenco = $('elenco-normative');
    for (const n of descrizione.normative) {
      const d = crea('details', { classe: 'regole' });
      const pre = crea('pre', { classe: 'tabella-regole', tabindex: '0' });
      d.append(crea('summary', { testo: `${n.nome}: ${n.descrizione}` }), pre);
      d.addEventListener('toggle', () => {
        if (d.open && !pre.textContent) pre.textContent = chiama('zellora_tabella', n.nome);
      });
      elenco.append(d);
    }
  }

  // ------------------------------------------------------------ start

  function collega() {
    const form = $('Form1');
    // Results as the operator types; a choice counts when it is made.
    const testo = (e) => e.tagName === 'INPUT' && e.type === 'text';
    const aggiorna = (ev) => {
      if (ev.target.id === 'Combo4') riempiCategorie();
      if (ev.target.id === 'List1') riempiSettori();
      statoCampi();
      pianificaCalcolo();
    };
    form.addEventListener('input', (ev) => { if (testo(ev.target)) aggiorna(ev); });
    form.addEventListener('change', (ev) => { if (!testo(ev.target)) aggiorna(ev); });
    form.addEventListener('submit', (ev) => {
      ev.preventDefault();
      calcola(true);
      // A refused form: to the first field in error, or to its message.
      const sbagliato = form.querySelector('[aria-invalid="true"]:not(:disabled)');
      const rifiutato = !stampabile(ultimaUscita) && $('messaggi').firstChild;
      const destinazione = sbagliato || (rifiutato ? $('messaggi').firstChild : $('titolo-risultati'));
      if (!sbagliato) destinazione.setAttribute('tabindex', '-1');
      destinazione.focus();
    });
    // A name typed into its field is judged when the field is left.
    form.addEventListener('focusout', (ev) => {
      const completato = ((normativaScelta().completamenti || {})[ev.target.id] || []).length > 0;
      if (completato && ultimaUscita) setTimeout(() => mostraMessaggi(ultimaUscita), 0);
    });
    window.addEventListener('resize', () => {
      if (graficiAperti) pianificaGrafici();
      if (busteAperte && ultimoAnno && ultimoAnno.grafico) graficoBuste($('grafico-buste'), ultimoAnno.grafico);
    });
    // The choices of the year: calculated as the form's fields are.
    const formBuste = $('FormBuste');
    formBuste.addEventListener('input', (ev) => { if (testo(ev.target)) pianificaCalcolo(); });
    formBuste.addEventListener('change', (ev) => { if (!testo(ev.target)) pianificaCalcolo(); });
    formBuste.addEventListener('submit', (ev) => {
      ev.preventDefault();
      calcola(true);
      const sbagliato = formBuste.querySelector('[aria-invalid="true"]');
      const destinazione = sbagliato || $('messaggi-buste').querySelector('.errore') || $('titolo-tabella-buste') || $('titolo-buste');
      if (!sbagliato) destinazione.setAttribute('tabindex', '-1');
      destinazione.focus();
    });
    $('Buste').addEventListener('click', () => {
      apriBuste(!busteAperte);
      if (busteAperte) {
        calcolaBuste();
        $('buste').scrollIntoView({ block: 'start' });
      }
    });
    $('Esporta').addEventListener('click', () => {
      preparaStampa();
      window.print();
    });
    window.addEventListener('beforeprint', preparaStampa);
    $('Grafici').addEventListener('click', () => {
      graficiAperti = !graficiAperti;
      $('grafici').hidden = !graficiAperti;
      $('Grafici').setAttribute('aria-expanded', String(graficiAperti));
      if (graficiAperti) {
        disegnaGrafici();
        $('grafici').scrollIntoView({ block: 'start' });
      }
    });
    $('punto-curva').addEventListener('input', mostraPunto);
    $('foglio').addEventListener('change', (ev) => {
      const f = ev.target.files && ev.target.files[0];
      if (f) avviaLotto(f);
    });
    $('annulla').addEventListener('click', () => {
      if (lavoratore) lavoratore.terminate();
      lavoratore = null;
      $('annulla').hidden = true;
      $('avanzamento').hidden = true;
      $('stato-lotto').textContent = 'Calcolo annullato.';
      $('foglio').value = '';
      document.body.dataset.lotto = 'annullato';
    });
  }

  function avvia(m) {
    modulo = m;
    descrizione = chiamaJson('zellora_descrizione');
    if (descrizione.error) throw new Error(descrizione.error);
    for (const c of descrizione.campi) campiTesto.set(c.nome, c);
    for (const n of descrizione.normative) normative.set(n.nome, n);
    impaginaProspetto();
    costruisciForm();
    costruisciRisultati();
    costruisciBuste();
    costruisciNormative();
    leggiIndirizzo();
    statoCampi();
    collega();
    $('caricamento').hidden = true;
    for (const id of ['Form1', 'Form2', 'lotto', 'normativa']) $(id).hidden = false;
    calcola();
    osservaSommario();
    performance.mark('zellora-primo-risultato');
    document.body.dataset.pronto = '1';
  }

  window.addEventListener('DOMContentLoaded', () => {
    if (typeof Zellora !== 'function') {
      $('caricamento').textContent = 'Il motore di calcolo (zellora.js) non è stato caricato.';
      return;
    }
    Zellora().then(avvia).catch((e) => {
      $('caricamento').textContent = `Il motore di calcolo non si è avviato: ${e && e.message ? e.message : e}`;
    });
  });
})();
