// The words of POV-Ray's scene language that this reader treats specially:
// object kinds, the statements allowed at the top of a file, and the block
// keywords whose contents are declared as a whole. Plain look-ups.
#pragma once

#include <string_view>

namespace sdl {

// Words that begin an object (shapes, CSG, object, light_source ...).
bool IsObjectKeyword(std::string_view word);
// Words other than objects that may begin a statement at the top level.
bool IsSceneKeyword(std::string_view word);
// Texture-like blocks that a #declare can name (texture, pigment, material ...).
bool IsTextureKeyword(std::string_view word);
// Any reserved word of the language (never an identifier).
bool IsReservedWord(std::string_view word);

}  // namespace sdl
