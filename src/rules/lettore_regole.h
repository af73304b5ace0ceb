// The typed reader of a rule set's TOML (lettore_regole.cpp), which the
// readers of the sections (caricamento.cpp) build on, inside the rules
// library only: each value taken with its type and its checks, the keys a
// table may hold, the legal reference of every figure, and the refusals
// naming the file, the key and the line.
#pragma once

#include <toml++/toml.h>

#include <cstddef>
#include <initializer_list>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "rules/regole.h"

namespace zellora {

// The largest amount a rule set may give: a thousand billion euro, the
// largest figure the results window shows to the cent. With every amount
// below it and every rate a fraction, no figure of a rule set can make the
// calculation overflow.
inline constexpr double importo_massimo = 1e12;
// Limits closer than this are the same cent.
inline constexpr double mezzo_centesimo = 0.005;

// What a figure is, for its checks.
enum class Tipo {
  importo,   // euro amount or limit: not negative
  aliquota,  // fraction: 0 to 1
  percento,  // percent: 0 to 100
  terzi,     // thirds of the INAIL premium: 0 to 3
};

// A figure as a message shows it: the shortest text that reads back.
std::string numero_testo(double x);

// "a table", "a number"...: what a message says was found.
std::string_view nome_tipo(toml::node_type t);

// A legal reference as a table gives it (`fonte`, `fonti.NAME`).
struct FonteLetta {
  std::string riferimento;
  bool aggiornato = true;
  std::string nota;
};

class LettoreRegole {
 public:
  LettoreRegole(std::string_view testo, std::string_view file);

 protected:
  [[noreturn]] void errore(const std::string& chiave, std::string ragione,
                           const toml::node* nodo = nullptr) const;

  // The path of a key of the file: the key as a message shows it (bare when
  // TOML lets it stand bare, otherwise quoted), so that no key reaches a
  // message raw; an element of an array by its index.
  static std::string sotto(const std::string& percorso, std::string_view chiave);
  static std::string indice(const std::string& percorso, std::size_t i);

  // A value as written in the file; an array as its elements, one line.
  std::string scritto(const toml::node& n) const;

  // Refuses a key of `t` that is not `ammesse` (nor `fonte` or `fonti`).
  void controlla_chiavi(const toml::table& t, const std::string& percorso,
                        std::initializer_list<std::string_view> ammesse) const;

  // A key that must be there, and a node of the type wanted.
  const toml::node& richiesto(const toml::table& t, const std::string& percorso,
                              std::string_view chiave) const;
  const toml::table& tabella(const toml::node& n, const std::string& chiave) const;
  const toml::array& array(const toml::node& n, const std::string& chiave) const;
  std::string stringa(const toml::node& n, const std::string& chiave) const;
  // A table of the top level.
  const toml::table& sezione(const toml::table& radice, std::string_view nome) const;

  // A text of the rule set is printed in tables, captions and messages: a
  // control character (a line break, an escape that drives the terminal)
  // or a mark that turns the direction of the text has no place in it.
  void controlla_testo(std::string_view testo, const std::string& chiave,
                       const toml::node* nodo) const;

  // A text that must be there and not be empty.
  std::string testo_campo(const toml::table& t, const std::string& percorso,
                          std::string_view chiave) const;

  // Enters a table, with the references it gives.
  void entra(const toml::table& t, const std::string& percorso);

  // Leaves the table: a reference given for a figure it does not have is a
  // typo.
  void esci();

  // The reference the table entered last gives to all its figures, if any.
  const std::optional<FonteLetta>& fonte_della_tabella() const { return livelli_.back().fonte; }

  // Records the figure `nome` written at `nodo` with the reference of the
  // nearest table that gives one.
  void registra(std::string_view nome, const std::string& chiave, const toml::node& nodo);

  // The same for a figure worked out from others (`valore`), listed where
  // `nodo`, the figure it comes from, is written.
  void registra(std::string_view nome, const std::string& chiave, std::string valore,
                const toml::node& nodo);

  // The figures recorded, in the order of the file.
  std::vector<Fonte> fonti_in_ordine();

  // A figure that must be there, checked as what it is, and recorded.
  double numero(const toml::table& t, const std::string& percorso, std::string_view chiave,
                Tipo tipo);

  // An optional rule written true or false, `predefinito` when absent; when
  // given it is listed with its reference like a figure.
  bool interruttore(const toml::table& t, const std::string& percorso, std::string_view chiave,
                    bool predefinito);

  // An array of figures, strictly increasing when `crescenti`; one figure in
  // the references.
  std::vector<double> numeri(const toml::table& t, const std::string& percorso,
                             std::string_view chiave, Tipo tipo, bool crescenti);

  // The tables of an array of tables, at most `massimo` of them.
  std::vector<const toml::table*> righe(const toml::table& t, const std::string& percorso,
                                        std::string_view chiave, std::size_t massimo) const;

  // Limits that the calculation divides by the distance between: at
  // least a cent apart, so that the division cannot overflow.
  void controlla_crescente(double prima, double dopo, const std::string& chiave,
                           const toml::node* nodo) const;

  // The `forma` of a table, one of `forme`.
  std::string forma(const toml::table& t, const std::string& percorso,
                    std::initializer_list<std::string_view> forme) const;

  // Brackets: one limit less than the rates.
  TabellaScaglioni scaglioni(const std::vector<double>& limiti, const std::vector<double>& aliquote,
                             const std::string& chiave, const toml::node* nodo) const;

 private:
  // A table being read: the references it gives (`fonte` for all its
  // figures, `fonti.NAME` for one) and which of them were used.
  struct Livello {
    const toml::table* tabella;
    std::string percorso;
    std::optional<FonteLetta> fonte;
    std::map<std::string, FonteLetta, std::less<>> fonti;
    std::set<std::string, std::less<>> usate;
  };

  std::size_t posizione(const toml::source_position& p) const;
  FonteLetta leggi_fonte(const toml::node& n, const std::string& chiave) const;
  double valore(const toml::node& n, const std::string& chiave, Tipo tipo) const;

  std::string_view testo_;
  std::string_view file_;
  std::vector<std::size_t> inizi_riga_;
  std::vector<bool> righe_ascii_;
  mutable std::map<std::size_t, std::vector<std::size_t>> punti_riga_;
  std::vector<Livello> livelli_;
  std::vector<std::pair<Fonte, toml::source_position>> fonti_;
};

}  // namespace zellora
