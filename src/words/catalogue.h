// A catalogue of translations in the form msgfmt compiles a .po file to
// (GNU .mo), read from bytes built into the program: no file to find and no
// gettext library at run time. A catalogue that does not hold together is
// read as empty, so that every message stays in English.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

namespace kippfeld::words {

class MessageCatalogue {
 public:
  MessageCatalogue() = default;
  // The bytes must outlive the catalogue.
  explicit MessageCatalogue(std::string_view bytes);

  bool Empty() const { return count_ == 0; }

  // The translation of msgid (with context: "context\x04msgid"); empty when
  // there is none.
  std::string_view Find(std::string_view key) const;
  // The translation of a message with plural forms for n, by the
  // catalogue's Plural-Forms rule; empty when there is none.
  std::string_view FindPlural(std::string_view singular, unsigned long n) const;

  // Every message and its translation (the header, msgid "", included).
  void ForEach(const std::function<void(std::string_view key, std::string_view text)>& take) const;

 private:
  std::string_view Original(std::uint32_t index) const;
  std::string_view Translation(std::uint32_t index) const;
  std::string_view String(std::uint32_t table, std::uint32_t index) const;
  std::uint32_t Word(std::size_t at) const;

  std::string_view bytes_;
  bool swapped_ = false;
  std::uint32_t count_ = 0;
  std::uint32_t originals_ = 0;
  std::uint32_t translations_ = 0;
  std::string_view plural_;  // the Plural-Forms expression
};

// The value of a Plural-Forms expression (the C subset gettext allows: n,
// numbers, ! * / % + - < > <= >= == != && || ?: and parentheses) for n;
// nothing when it is not one.
std::optional<unsigned long> PluralIndex(std::string_view expression, unsigned long n);

}  // namespace kippfeld::words
