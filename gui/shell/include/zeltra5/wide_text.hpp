#pragma once
// Texts for the platform's wide (UTF-16) functions. The shell's own texts are Windows-1251 bytes
// and the library's are UTF-8; the Windows program hands every text to the system as UTF-16, so
// that it reads the same whatever code page the system runs. Portable: char16_t, not wchar_t.

#include <string>
#include <string_view>

namespace zeltra5 {

// The character a Windows-1251 byte stands for (0x98, unassigned, becomes U+FFFD).
char16_t unicode_from_cp1251(char byte);

std::u16string utf16_from_cp1251(std::string_view text);

// UTF-8 to UTF-16; a byte that does not begin or continue a well-formed sequence (an overlong
// form, a surrogate, a cut sequence) becomes one U+FFFD.
std::u16string utf16_from_utf8(std::string_view text);

// UTF-16 to Windows-1251, as a typed number reaches the shell's reader; a character the code
// page lacks, and a lone surrogate, becomes '?', which no number contains.
std::string cp1251_from_utf16(std::u16string_view text);

}  // namespace zeltra5
