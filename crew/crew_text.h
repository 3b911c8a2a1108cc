// Small text helpers of the crew client: bounded copies, ASCII case-blind
// comparison and the crew-name filter.
#pragma once

#include <cstddef>

// Copies at most maxChars characters of src (stopping at its end) into dst
// of size bytes, always terminated. A null src gives "". Returns the length
// copied.
size_t CopyBounded(char* dst, size_t size, const char* src, size_t maxChars = static_cast<size_t>(-1));
// dst := first + second, cut to fit dst (size bytes with the terminator).
void JoinBounded(char* dst, size_t size, const char* first, const char* second);
// Equal ignoring the letter case of A..Z.
bool EqualsIgnoreCase(const char* a, const char* b);
// Starts with prefix, ignoring the letter case of A..Z.
bool StartsWithIgnoreCase(const char* text, const char* prefix);
// Every character other than 0-9, A-Z and a-z becomes a space, in place.
void SanitizeCrewName(char* text);
// Copies at most maxChars characters of a function code into dst, leaving
// out what a crew line or the name of the member's crew vessel cannot carry
// back: "-" (the line's separator), ":" (the separator of a saved vessel's
// name and class), blanks and control characters. A null code gives "".
void CopyFunctionCode(char* dst, size_t size, const char* code, size_t maxChars);
// The decimal integer at the start of a text (blanks and a sign allowed), 0
// when there is none; saturates at the int range instead of overflowing.
int ReadLeadingInteger(const char* text);
