#include "crew/crew_text.h"

#include <climits>

namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

size_t CopyBounded(char* dst, size_t size, const char* src, size_t maxChars) {
  if (dst == nullptr || size == 0) return 0;
  size_t n = 0;
  if (src != nullptr) {
    while (n + 1 < size && n < maxChars && src[n] != '\0') {
      dst[n] = src[n];
      ++n;
    }
  }
  dst[n] = '\0';
  return n;
}

void JoinBounded(char* dst, size_t size, const char* first, const char* second) {
  const size_t n = CopyBounded(dst, size, first);
  if (dst != nullptr && size > n) CopyBounded(dst + n, size - n, second);
}

bool EqualsIgnoreCase(const char* a, const char* b) {
  if (a == nullptr || b == nullptr) return false;
  for (; *a != '\0' && *b != '\0'; ++a, ++b) {
    if (LowerAscii(*a) != LowerAscii(*b)) return false;
  }
  return *a == *b;
}

bool StartsWithIgnoreCase(const char* text, const char* prefix) {
  if (text == nullptr || prefix == nullptr) return false;
  for (; *prefix != '\0'; ++text, ++prefix) {
    if (*text == '\0' || LowerAscii(*text) != LowerAscii(*prefix)) return false;
  }
  return true;
}

void SanitizeCrewName(char* text) {
  if (text == nullptr) return;
  for (; *text != '\0'; ++text) {
    const unsigned char c = static_cast<unsigned char>(*text);
    const bool keep = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    if (!keep) *text = ' ';
  }
}

void CopyFunctionCode(char* dst, size_t size, const char* code, size_t maxChars) {
  if (dst == nullptr || size == 0) return;
  size_t n = 0;
  for (const char* c = code; c != nullptr && *c != '\0' && n + 1 < size && n < maxChars; ++c) {
    const unsigned char u = static_cast<unsigned char>(*c);
    if (u == '-' || u == ':' || u <= ' ' || u == 0x7F) continue;
    dst[n++] = *c;
  }
  dst[n] = '\0';
}

int ReadLeadingInteger(const char* text) {
  if (text == nullptr) return 0;
  while (*text == ' ' || *text == '\t') ++text;
  bool negative = false;
  if (*text == '+' || *text == '-') negative = *text++ == '-';
  // Accumulated as a negative number, whose range reaches INT_MIN.
  int value = 0;
  for (; *text >= '0' && *text <= '9'; ++text) {
    const int digit = *text - '0';
    value = value < (INT_MIN + digit) / 10 ? INT_MIN : value * 10 - digit;
  }
  if (negative) return value;
  return value == INT_MIN ? INT_MAX : -value;
}
