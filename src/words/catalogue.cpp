#include "words/catalogue.h"

#include <algorithm>
#include <cstring>

namespace kippfeld::words {

namespace {

constexpr std::uint32_t kMagic = 0x950412DE;
constexpr std::uint32_t kSwappedMagic = 0xDE120495;
constexpr std::size_t kHeaderSize = 28;

// A Plural-Forms expression read by recursive descent, in C's precedence.
// Division by zero and anything unreadable make it fail.
class PluralParser {
 public:
  PluralParser(std::string_view text, unsigned long n) : text_(text), n_(n) {}

  std::optional<unsigned long> Whole() {
    std::optional<unsigned long> value = Conditional();
    Blanks();
    if (!value || at_ != text_.size()) return std::nullopt;
    return value;
  }

 private:
  using Value = std::optional<unsigned long>;

  void Blanks() {
    while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t')) ++at_;
  }
  bool Take(std::string_view token) {
    Blanks();
    if (text_.substr(at_, token.size()) != token) return false;
    at_ += token.size();
    return true;
  }
  // One character, but not the first of a two-character operator.
  bool TakeAlone(char c, char notNext) {
    Blanks();
    if (at_ >= text_.size() || text_[at_] != c) return false;
    if (at_ + 1 < text_.size() && text_[at_ + 1] == notNext) return false;
    ++at_;
    return true;
  }

  Value Conditional() {
    Value condition = Or();
    if (!condition || !Take("?")) return condition;
    Value yes = Conditional();
    if (!yes || !Take(":")) return std::nullopt;
    Value no = Conditional();
    if (!no) return std::nullopt;
    return *condition != 0 ? yes : no;
  }
  Value Or() {
    Value left = And();
    while (left && Take("||")) {
      Value right = And();
      if (!right) return std::nullopt;
      left = (*left != 0 || *right != 0) ? 1 : 0;
    }
    return left;
  }
  Value And() {
    Value left = Equality();
    while (left && Take("&&")) {
      Value right = Equality();
      if (!right) return std::nullopt;
      left = (*left != 0 && *right != 0) ? 1 : 0;
    }
    return left;
  }
  Value Equality() {
    Value left = Relation();
    for (;;) {
      if (!left) return left;
      if (Take("==")) {
        Value right = Relation();
        if (!right) return std::nullopt;
        left = *left == *right;
      } else if (Take("!=")) {
        Value right = Relation();
        if (!right) return std::nullopt;
        left = *left != *right;
      } else {
        return left;
      }
    }
  }
  Value Relation() {
    Value left = Sum();
    for (;;) {
      if (!left) return left;
      int kind = Take("<=")            ? 1
                 : Take(">=")          ? 2
                 : TakeAlone('<', '=') ? 3
                 : TakeAlone('>', '=') ? 4
                                       : 0;
      if (kind == 0) return left;
      Value right = Sum();
      if (!right) return std::nullopt;
      bool result = kind == 1   ? *left <= *right
                    : kind == 2 ? *left >= *right
                    : kind == 3 ? *left < *right
                                : *left > *right;
      left = result ? 1 : 0;
    }
  }
  Value Sum() {
    Value left = Product();
    for (;;) {
      if (!left) return left;
      bool plus = Take("+");
      if (!plus && !Take("-")) return left;
      Value right = Product();
      if (!right) return std::nullopt;
      left = plus ? *left + *right : *left - *right;
    }
  }
  Value Product() {
    Value left = Unary();
    for (;;) {
      if (!left) return left;
      char op = Take("*") ? '*' : Take("/") ? '/' : Take("%") ? '%' : 0;
      if (op == 0) return left;
      Value right = Unary();
      if (!right || (op != '*' && *right == 0)) return std::nullopt;
      left = op == '*' ? *left * *right : op == '/' ? *left / *right : *left % *right;
    }
  }
  Value Unary() {
    if (TakeAlone('!', '=')) {
      Value value = Unary();
      if (!value) return value;
      return *value == 0 ? 1 : 0;
    }
    return Primary();
  }
  Value Primary() {
    if (depth_ > 100) return std::nullopt;
    if (Take("(")) {
      ++depth_;
      Value value = Conditional();
      --depth_;
      if (!value || !Take(")")) return std::nullopt;
      return value;
    }
    if (Take("n")) return n_;
    Blanks();
    if (at_ >= text_.size() || text_[at_] < '0' || text_[at_] > '9') return std::nullopt;
    unsigned long value = 0;
    for (std::size_t digits = 0; at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9';
         ++digits, ++at_) {
      if (digits == 9) return std::nullopt;
      value = value * 10 + static_cast<unsigned long>(text_[at_] - '0');
    }
    return value;
  }

  std::string_view text_;
  unsigned long n_;
  std::size_t at_ = 0;
  int depth_ = 0;
};

// A message with plural forms is stored as "singular\0plural", and sorted
// by the singular.
std::string_view Id(std::string_view original) {
  return original.substr(0, original.find('\0'));
}

// The expression after "plural=" in the header's Plural-Forms line, without
// the closing semicolon.
std::string_view PluralExpression(std::string_view header) {
  std::size_t line = header.find("Plural-Forms:");
  if (line == std::string_view::npos) return {};
  std::string_view rest = header.substr(line);
  rest = rest.substr(0, rest.find('\n'));
  std::size_t plural = rest.find("plural=");
  if (plural == std::string_view::npos) return {};
  rest.remove_prefix(plural + 7);
  return rest.substr(0, rest.find(';'));
}

}  // namespace

std::optional<unsigned long> PluralIndex(std::string_view expression, unsigned long n) {
  return PluralParser(expression, n).Whole();
}

MessageCatalogue::MessageCatalogue(std::string_view bytes) : bytes_(bytes) {
  if (bytes.size() < kHeaderSize) return;
  std::uint32_t magic = Word(0);
  if (magic != kMagic && magic != kSwappedMagic) return;
  swapped_ = magic == kSwappedMagic;
  std::uint32_t count = Word(8);
  std::uint32_t originals = Word(12);
  std::uint32_t translations = Word(16);
  // Both tables of (length, offset) pairs lie inside the bytes.
  auto fits = [&](std::uint32_t table) {
    return table <= bytes.size() && (bytes.size() - table) / 8 >= count;
  };
  if (Word(4) >> 16 != 0 || !fits(originals) || !fits(translations)) return;
  count_ = count;
  originals_ = originals;
  translations_ = translations;
  // Every string lies inside the bytes with its terminating NUL; the
  // originals are sorted, as the search needs.
  for (std::uint32_t i = 0; i < count_; ++i) {
    bool sound = String(originals_, i).data() != nullptr &&
                 String(translations_, i).data() != nullptr &&
                 (i == 0 || Id(Original(i - 1)) < Id(Original(i)));
    if (!sound) {
      count_ = 0;
      return;
    }
  }
  plural_ = PluralExpression(Find(""));
}

std::uint32_t MessageCatalogue::Word(std::size_t at) const {
  std::uint32_t word = 0;
  std::memcpy(&word, bytes_.data() + at, sizeof word);
  if (swapped_) {
    word = (word >> 24) | ((word >> 8) & 0xFF00) | ((word << 8) & 0xFF0000) | (word << 24);
  }
  return word;
}

std::string_view MessageCatalogue::String(std::uint32_t table, std::uint32_t index) const {
  std::size_t entry = table + static_cast<std::size_t>(index) * 8;
  std::uint32_t length = Word(entry);
  std::uint32_t offset = Word(entry + 4);
  if (offset >= bytes_.size() || bytes_.size() - offset <= length || bytes_[offset + length] != 0) {
    return {};
  }
  return bytes_.substr(offset, length);
}

std::string_view MessageCatalogue::Original(std::uint32_t index) const {
  return String(originals_, index);
}

std::string_view MessageCatalogue::Translation(std::uint32_t index) const {
  return String(translations_, index);
}

std::string_view MessageCatalogue::Find(std::string_view key) const {
  std::uint32_t low = 0;
  std::uint32_t high = count_;
  while (low < high) {
    std::uint32_t middle = low + (high - low) / 2;
    std::string_view id = Id(Original(middle));
    if (id == key) return Translation(middle);
    if (id < key) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  return {};
}

std::string_view MessageCatalogue::FindPlural(std::string_view singular, unsigned long n) const {
  std::string_view forms = Find(singular);
  if (forms.empty()) return {};
  std::optional<unsigned long> index = PluralIndex(plural_, n);
  if (!index) index = n != 1 ? 1 : 0;
  for (unsigned long i = 0; i < *index; ++i) {
    std::size_t end = forms.find('\0');
    if (end == std::string_view::npos) return {};
    forms.remove_prefix(end + 1);
  }
  return forms.substr(0, forms.find('\0'));
}

void MessageCatalogue::ForEach(
    const std::function<void(std::string_view key, std::string_view text)>& take) const {
  for (std::uint32_t i = 0; i < count_; ++i) take(Original(i), Translation(i));
}

}  // namespace kippfeld::words
