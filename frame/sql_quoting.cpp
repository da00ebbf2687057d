// A scan over SQL's quoted spans, one byte at a time, with one byte of look-ahead for
// the doubled quote inside a quote and for the two-byte comment marks.
#include "frame/sql_quoting.h"

namespace kiv::frame {
namespace {

enum class Span { kCode, kText, kQuotedName, kBracketName, kBacktickName, kBlockComment, kLine };

// The span that opens at `c` (followed by `next`) in code; kCode when none does.
Span Opening(char c, char next) {
  switch (c) {
    case '\'':
      return Span::kText;
    case '"':
      return Span::kQuotedName;
    case '[':
      return Span::kBracketName;
    case '`':
      return Span::kBacktickName;
    case '/':
      return next == '*' ? Span::kBlockComment : Span::kCode;
    case '-':
      return next == '-' ? Span::kLine : Span::kCode;
    default:
      return Span::kCode;
  }
}

}  // namespace

bool InsideClosedQuote(std::string_view text, std::size_t at) noexcept {
  Span span = Span::kCode;
  bool open = false;  // `at` was passed inside a span that can close
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (i == at) {
      open = span != Span::kCode && span != Span::kLine;
      if (!open) return false;
    }
    const char c = text[i];
    const char next = i + 1 < text.size() ? text[i + 1] : '\0';
    switch (span) {
      case Span::kCode:
        span = Opening(c, next);
        if (span == Span::kBlockComment || span == Span::kLine) ++i;  // both marks
        continue;
      case Span::kText:
      case Span::kQuotedName:
      case Span::kBacktickName: {
        const char quote = span == Span::kText ? '\'' : span == Span::kQuotedName ? '"' : '`';
        if (c != quote) continue;
        if (next == quote) {  // the quote written twice stands for itself
          ++i;
          continue;
        }
        break;
      }
      case Span::kBracketName:
        if (c != ']') continue;
        break;
      case Span::kBlockComment:
        if (c != '*' || next != '/') continue;
        ++i;
        break;
      case Span::kLine:
        if (c != '\n') continue;
        break;
    }
    if (open) return true;  // closed after `at`
    span = Span::kCode;
  }
  return false;
}

}  // namespace kiv::frame
