// A staff sheet calculated away from the page, so that the page stays
// responsive: the file is read here piece by piece (it never leaves the
// machine), every row goes through the module's batch, and the results come
// back as one file to download.
//
// Message in: {file}. Messages out: {tipo: 'avanzamento', letti, totale}
// after each block of rows, then {tipo: 'fine', riepilogo, blob, ms}.
'use strict';

importScripts('zellora.js');

const pronto = Zellora();

self.onmessage = async (evento) => {
  const file = evento.data.file;
  const modulo = await pronto;
  const lettore = new FileReaderSync();
  const parti = [];
  let posizione = 0;

  // The next piece of the file into the module's memory: its length, 0 at
  // the end, -1 when the file can no longer be read.
  modulo.leggiFoglio = (destinazione, massimo) => {
    if (posizione >= file.size) return 0;
    try {
      const pezzo = new Uint8Array(lettore.readAsArrayBuffer(file.slice(posizione, posizione + massimo)));
      modulo.HEAPU8.set(pezzo, destinazione);
      posizione += pezzo.length;
      return pezzo.length;
    } catch (e) {
      return -1;
    }
  };
  // The results gather in a Blob, which the browser may keep on the disk:
  // a large sheet's results need not fit in the Worker's memory.
  let risultati = new Blob([]);
  let inAttesa = 0;
  modulo.scriviRisultati = (dati, byte) => {
    parti.push(modulo.HEAPU8.slice(dati, dati + byte));
    inAttesa += byte;
    if (inAttesa >= 32 << 20) {
      risultati = new Blob([risultati, ...parti]);
      parti.length = 0;
      inAttesa = 0;
    }
  };
  modulo.avanzamento = (letti) => {
    self.postMessage({ tipo: 'avanzamento', letti, totale: file.size });
  };

  const inizio = performance.now();
  const nome = modulo.lengthBytesUTF8(file.name) + 1;
  const puntatore = modulo._malloc(nome);
  modulo.stringToUTF8(file.name, puntatore, nome);
  const riepilogo = JSON.parse(modulo.UTF8ToString(modulo._zellora_lotto(puntatore)));
  modulo._free(puntatore);
  const ms = performance.now() - inizio;
  // No results for a sheet that could not be taken, as the batch writes no file.
  const blob = new Blob(riepilogo.error ? [] : [risultati, ...parti], {
    type: riepilogo.formato === 'jsonl' ? 'application/x-ndjson' : 'text/csv',
  });
  self.postMessage({ tipo: 'fine', riepilogo, blob, ms });
};
