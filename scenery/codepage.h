// The code page of every text in a scenery file (names, descriptions):
// Windows-1252, one byte per character. The world keeps these bytes as they
// are; whoever shows or takes text converts with this table.
#pragma once

namespace vantor {

// The character a byte stands for. The five bytes the code page leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the C1 controls of the
// same number, so that every byte survives a round trip.
char32_t codePageToUnicode(unsigned char byte);

// The byte for a character, or -1 when the code page cannot hold it.
int unicodeToCodePage(char32_t c);

}  // namespace vantor
