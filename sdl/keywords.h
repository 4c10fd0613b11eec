// The words of POV-Ray's scene language that this reader treats specially:
// object kinds, the statements allowed at the top of a file, the block
// keywords whose contents are declared as a whole, directives, colour and
// transformation words. Each list has its home here; plain look-ups into
// constant tables, safe from any thread.
#pragma once

#include <cstdint>
#include <string_view>

namespace sdl {

// Words that begin an object (shapes, CSG, object, light_source ...).
bool IsObjectKeyword(std::string_view word);
// Objects made of other objects: object, union, merge, intersection,
// difference, light_group.
bool IsContainerKeyword(std::string_view word);
// Words other than objects that may begin a statement at the top level.
bool IsSceneKeyword(std::string_view word);
// Texture-like blocks that a #declare can name (texture, pigment, material ...).
bool IsTextureKeyword(std::string_view word);
// Any reserved word of the language (never an identifier).
bool IsReservedWord(std::string_view word);

// The word after a '#'.
enum class DirectiveWord : uint8_t {
  kUnknown,
  kBreak,
  kCase,
  kDebug,
  kDeclare,
  kDefault,
  kElse,
  kElseif,
  kEnd,
  kError,
  kFclose,
  kFopen,
  kFor,
  kIf,
  kIfdef,
  kIfndef,
  kInclude,
  kLocal,
  kMacro,
  kRange,
  kRead,
  kSwitch,
  kUndef,
  kVersion,
  kWarning,
  kWhile,
  kWrite,
};
DirectiveWord DirectiveOf(std::string_view word);
// Directives that open a block closed by #end.
bool OpensBlock(DirectiveWord word);
// Directives that change a value (lookahead leaves them for later).
bool ChangesValue(DirectiveWord word);

// Words that give a colour or one of its channels.
enum class ColourWord : uint8_t {
  kNone,
  kColor,  // color, colour: an expression follows
  kRgb,
  kRgbf,
  kRgbt,
  kRgbft,
  kSrgb,
  kSrgbf,
  kSrgbt,
  kSrgbft,
  kRed,
  kGreen,
  kBlue,
  kFilter,
  kTransmit,
};
ColourWord ColourWordOf(std::string_view word);
// A channel word's index in a colour (red 0 ... transmit 4); -1 for others.
int ChannelOf(ColourWord word);
// A vector word's channel count (rgb 3 ... rgbft 5) and whether it is an
// sRGB form; 0 for the others.
int ChannelsOf(ColourWord word);
bool IsSrgb(ColourWord word);

// The transformations of an object, a camera or a light.
enum class TransformWord : uint8_t { kNone, kTranslate, kRotate, kScale, kMatrix, kTransform };
TransformWord TransformWordOf(std::string_view word);

}  // namespace sdl
