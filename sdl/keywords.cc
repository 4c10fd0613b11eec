#include "sdl/keywords.h"

#include <algorithm>
#include <iterator>
#include <string_view>
#include <utility>

namespace sdl {

namespace {

using namespace std::string_view_literals;

template <size_t N>
bool In(const std::string_view (&sorted)[N], std::string_view word) {
  return std::binary_search(sorted, sorted + N, word);
}

// Sorted, for binary search.
constexpr std::string_view kObjects[] = {
    "bicubic_patch"sv, "blob"sv,          "box"sv,          "cone"sv,           "cubic"sv,
    "cylinder"sv,      "difference"sv,    "disc"sv,         "height_field"sv,   "intersection"sv,
    "isosurface"sv,    "julia_fractal"sv, "lathe"sv,        "lemon"sv,          "light_group"sv,
    "light_source"sv,  "merge"sv,         "mesh"sv,         "mesh2"sv,          "object"sv,
    "ovus"sv,          "parametric"sv,    "plane"sv,        "poly"sv,           "polygon"sv,
    "polynomial"sv,    "prism"sv,         "quadric"sv,      "quartic"sv,        "smooth_triangle"sv,
    "sor"sv,           "sphere"sv,        "sphere_sweep"sv, "superellipsoid"sv, "text"sv,
    "torus"sv,         "triangle"sv,      "union"sv,
};

constexpr std::string_view kContainers[] = {
    "difference"sv, "intersection"sv, "light_group"sv, "merge"sv, "object"sv, "union"sv,
};

// `default` is #default, which POV-Ray also takes without the '#'.
constexpr std::string_view kScene[] = {
    "background"sv, "camera"sv,  "default"sv, "fog"sv,        "global_settings"sv,
    "media"sv,      "photons"sv, "rainbow"sv, "sky_sphere"sv,
};

constexpr std::string_view kTextures[] = {
    "interior_texture"sv,
    "material"sv,
    "pigment"sv,
    "texture"sv,
};

// The language's other reserved words (POV-Ray 3.7), sorted.
constexpr std::string_view kReserved[] = {
    "aa_level"sv,
    "aa_threshold"sv,
    "abs"sv,
    "absorption"sv,
    "accuracy"sv,
    "acos"sv,
    "acosh"sv,
    "adaptive"sv,
    "adc_bailout"sv,
    "agate"sv,
    "agate_turb"sv,
    "albedo"sv,
    "all"sv,
    "all_intersections"sv,
    "alpha"sv,
    "altitude"sv,
    "always_sample"sv,
    "ambient"sv,
    "ambient_light"sv,
    "angle"sv,
    "anisotropy"sv,
    "aoi"sv,
    "aperture"sv,
    "append"sv,
    "arc_angle"sv,
    "area_illumination"sv,
    "area_light"sv,
    "array"sv,
    "asc"sv,
    "ascii"sv,
    "asin"sv,
    "asinh"sv,
    "assumed_gamma"sv,
    "atan"sv,
    "atan2"sv,
    "atanh"sv,
    "autostop"sv,
    "average"sv,
    "b_spline"sv,
    "bezier_spline"sv,
    "bitwise_and"sv,
    "bitwise_or"sv,
    "bitwise_xor"sv,
    "black_hole"sv,
    "blue"sv,
    "blur_samples"sv,
    "bokeh"sv,
    "bounded_by"sv,
    "box_mapping"sv,
    "boxed"sv,
    "bozo"sv,
    "brick"sv,
    "brick_size"sv,
    "brightness"sv,
    "brilliance"sv,
    "bump_map"sv,
    "bump_size"sv,
    "bumps"sv,
    "case"sv,
    "caustics"sv,
    "ceil"sv,
    "cells"sv,
    "charset"sv,
    "checker"sv,
    "chr"sv,
    "circular"sv,
    "clipped_by"sv,
    "clock"sv,
    "clock_delta"sv,
    "clock_on"sv,
    "collect"sv,
    "color"sv,
    "color_map"sv,
    "colour"sv,
    "colour_map"sv,
    "component"sv,
    "composite"sv,
    "concat"sv,
    "confidence"sv,
    "conic_sweep"sv,
    "conserve_energy"sv,
    "contained_by"sv,
    "control0"sv,
    "control1"sv,
    "coords"sv,
    "cos"sv,
    "cosh"sv,
    "count"sv,
    "crackle"sv,
    "crand"sv,
    "cube"sv,
    "cubic_spline"sv,
    "cubic_wave"sv,
    "cutaway_textures"sv,
    "cylindrical"sv,
    "datetime"sv,
    "debug"sv,
    "declare"sv,
    "defined"sv,
    "degrees"sv,
    "density"sv,
    "density_file"sv,
    "density_map"sv,
    "dents"sv,
    "deprecated"sv,
    "df3"sv,
    "diffuse"sv,
    "dimension_size"sv,
    "dimensions"sv,
    "direction"sv,
    "dispersion"sv,
    "dispersion_samples"sv,
    "dist_exp"sv,
    "distance"sv,
    "div"sv,
    "double_illuminate"sv,
    "dtag"sv,
    "eccentricity"sv,
    "else"sv,
    "elseif"sv,
    "emission"sv,
    "end"sv,
    "error"sv,
    "error_bound"sv,
    "evaluate"sv,
    "exp"sv,
    "expand_thresholds"sv,
    "exponent"sv,
    "exterior"sv,
    "extinction"sv,
    "face_indices"sv,
    "facets"sv,
    "fade_color"sv,
    "fade_colour"sv,
    "fade_distance"sv,
    "fade_power"sv,
    "falloff"sv,
    "falloff_angle"sv,
    "false"sv,
    "fclose"sv,
    "file_exists"sv,
    "filter"sv,
    "final_clock"sv,
    "final_frame"sv,
    "finish"sv,
    "fisheye"sv,
    "flatness"sv,
    "flip"sv,
    "floor"sv,
    "focal_point"sv,
    "fog_alt"sv,
    "fog_offset"sv,
    "fog_type"sv,
    "fopen"sv,
    "for"sv,
    "form"sv,
    "frame_number"sv,
    "frequency"sv,
    "fresnel"sv,
    "function"sv,
    "gather"sv,
    "gif"sv,
    "global_lights"sv,
    "gradient"sv,
    "granite"sv,
    "gray"sv,
    "gray_threshold"sv,
    "green"sv,
    "hexagon"sv,
    "hf_gray_16"sv,
    "hierarchy"sv,
    "hollow"sv,
    "hypercomplex"sv,
    "if"sv,
    "ifdef"sv,
    "iff"sv,
    "ifndef"sv,
    "image_height"sv,
    "image_map"sv,
    "image_pattern"sv,
    "image_width"sv,
    "importance"sv,
    "include"sv,
    "initial_clock"sv,
    "initial_frame"sv,
    "inside"sv,
    "inside_vector"sv,
    "int"sv,
    "interior"sv,
    "interpolate"sv,
    "intervals"sv,
    "inverse"sv,
    "ior"sv,
    "irid"sv,
    "irid_wavelength"sv,
    "jitter"sv,
    "jpeg"sv,
    "julia"sv,
    "lambda"sv,
    "leopard"sv,
    "linear_spline"sv,
    "linear_sweep"sv,
    "ln"sv,
    "load_file"sv,
    "local"sv,
    "location"sv,
    "log"sv,
    "look_at"sv,
    "looks_like"sv,
    "low_error_factor"sv,
    "macro"sv,
    "magnet"sv,
    "major_radius"sv,
    "mandel"sv,
    "map_type"sv,
    "marble"sv,
    "material_map"sv,
    "matrix"sv,
    "max"sv,
    "max_extent"sv,
    "max_gradient"sv,
    "max_intersections"sv,
    "max_iteration"sv,
    "max_sample"sv,
    "max_trace"sv,
    "max_trace_level"sv,
    "maximum_reuse"sv,
    "media_attenuation"sv,
    "media_interaction"sv,
    "mesh_camera"sv,
    "metallic"sv,
    "method"sv,
    "metric"sv,
    "min"sv,
    "min_extent"sv,
    "minimum_reuse"sv,
    "mm_per_unit"sv,
    "mod"sv,
    "mortar"sv,
    "natural_spline"sv,
    "nearest_count"sv,
    "no"sv,
    "no_bump_scale"sv,
    "no_image"sv,
    "no_radiosity"sv,
    "no_reflection"sv,
    "no_shadow"sv,
    "noise_generator"sv,
    "normal"sv,
    "normal_indices"sv,
    "normal_map"sv,
    "normal_vectors"sv,
    "now"sv,
    "number_of_sides"sv,
    "number_of_tiles"sv,
    "number_of_waves"sv,
    "octaves"sv,
    "off"sv,
    "offset"sv,
    "omega"sv,
    "omnimax"sv,
    "on"sv,
    "once"sv,
    "onion"sv,
    "open"sv,
    "orient"sv,
    "orientation"sv,
    "orthographic"sv,
    "panoramic"sv,
    "parallel"sv,
    "pass_through"sv,
    "pattern"sv,
    "perspective"sv,
    "pgm"sv,
    "phase"sv,
    "phong"sv,
    "phong_size"sv,
    "pi"sv,
    "pigment_map"sv,
    "pigment_pattern"sv,
    "planar"sv,
    "png"sv,
    "point_at"sv,
    "poly_wave"sv,
    "pot"sv,
    "pow"sv,
    "ppm"sv,
    "precision"sv,
    "precompute"sv,
    "premultiplied"sv,
    "pretrace_end"sv,
    "pretrace_start"sv,
    "prod"sv,
    "projected_through"sv,
    "pwr"sv,
    "quadratic_spline"sv,
    "quaternion"sv,
    "quick_color"sv,
    "quick_colour"sv,
    "quilted"sv,
    "radial"sv,
    "radians"sv,
    "radiosity"sv,
    "radius"sv,
    "ramp_wave"sv,
    "rand"sv,
    "range"sv,
    "ratio"sv,
    "read"sv,
    "reciprocal"sv,
    "recursion_limit"sv,
    "red"sv,
    "reflection"sv,
    "reflection_exponent"sv,
    "refraction"sv,
    "render"sv,
    "repeat"sv,
    "rgb"sv,
    "rgbf"sv,
    "rgbft"sv,
    "rgbt"sv,
    "right"sv,
    "ripples"sv,
    "rotate"sv,
    "roughness"sv,
    "samples"sv,
    "save_file"sv,
    "scale"sv,
    "scallop_wave"sv,
    "scattering"sv,
    "seed"sv,
    "select"sv,
    "shadowless"sv,
    "sin"sv,
    "sine_wave"sv,
    "sinh"sv,
    "sint16be"sv,
    "sint16le"sv,
    "sint32be"sv,
    "sint32le"sv,
    "sint8"sv,
    "size"sv,
    "sky"sv,
    "slice"sv,
    "slope"sv,
    "slope_map"sv,
    "smooth"sv,
    "solid"sv,
    "spacing"sv,
    "specular"sv,
    "spherical"sv,
    "spiral1"sv,
    "spiral2"sv,
    "spline"sv,
    "split_union"sv,
    "spotlight"sv,
    "spotted"sv,
    "sqr"sv,
    "sqrt"sv,
    "square"sv,
    "srgb"sv,
    "srgbf"sv,
    "srgbft"sv,
    "srgbt"sv,
    "statistics"sv,
    "str"sv,
    "strcmp"sv,
    "strength"sv,
    "strlen"sv,
    "strlwr"sv,
    "strupr"sv,
    "sturm"sv,
    "substr"sv,
    "subsurface"sv,
    "sum"sv,
    "switch"sv,
    "sys"sv,
    "t"sv,
    "tan"sv,
    "tanh"sv,
    "target"sv,
    "texture_list"sv,
    "texture_map"sv,
    "tga"sv,
    "thickness"sv,
    "threshold"sv,
    "tiff"sv,
    "tightness"sv,
    "tile2"sv,
    "tiles"sv,
    "tiling"sv,
    "tolerance"sv,
    "toroidal"sv,
    "trace"sv,
    "transform"sv,
    "translate"sv,
    "translucency"sv,
    "transmit"sv,
    "triangle_wave"sv,
    "triangular"sv,
    "true"sv,
    "ttf"sv,
    "turb_depth"sv,
    "turbulence"sv,
    "type"sv,
    "u"sv,
    "u_steps"sv,
    "uint16be"sv,
    "uint16le"sv,
    "uint8"sv,
    "ultra_wide_angle"sv,
    "undef"sv,
    "up"sv,
    "use_alpha"sv,
    "use_color"sv,
    "use_colour"sv,
    "use_index"sv,
    "utf8"sv,
    "uv_indices"sv,
    "uv_mapping"sv,
    "uv_vectors"sv,
    "v"sv,
    "v_steps"sv,
    "val"sv,
    "variance"sv,
    "vaxis_rotate"sv,
    "vcross"sv,
    "vdot"sv,
    "version"sv,
    "vertex_vectors"sv,
    "vlength"sv,
    "vnormalize"sv,
    "vrotate"sv,
    "vstr"sv,
    "vturbulence"sv,
    "warning"sv,
    "warp"sv,
    "water_level"sv,
    "waves"sv,
    "while"sv,
    "width"sv,
    "wood"sv,
    "wrinkles"sv,
    "write"sv,
    "x"sv,
    "xyz"sv,
    "y"sv,
    "yes"sv,
    "z"sv,
};

static_assert(std::is_sorted(std::begin(kObjects), std::end(kObjects)));
static_assert(std::is_sorted(std::begin(kScene), std::end(kScene)));
static_assert(std::is_sorted(std::begin(kTextures), std::end(kTextures)));
static_assert(std::is_sorted(std::begin(kReserved), std::end(kReserved)));

}  // namespace

bool IsObjectKeyword(std::string_view word) { return In(kObjects, word); }
bool IsContainerKeyword(std::string_view word) { return In(kContainers, word); }
bool IsSceneKeyword(std::string_view word) { return In(kScene, word); }
bool IsTextureKeyword(std::string_view word) { return In(kTextures, word); }

bool IsReservedWord(std::string_view word) {
  return In(kReserved, word) || In(kObjects, word) || In(kScene, word) || In(kTextures, word);
}

namespace {

template <class Word, size_t N>
Word Find(const std::pair<std::string_view, Word> (&sorted)[N], std::string_view word) {
  const auto* end = sorted + N;
  const auto* found = std::lower_bound(
      sorted, end, word,
      [](const std::pair<std::string_view, Word>& e, std::string_view w) { return e.first < w; });
  return found != end && found->first == word ? found->second : Word{};
}

using D = DirectiveWord;
constexpr std::pair<std::string_view, DirectiveWord> kDirectives[] = {
    {"break"sv, D::kBreak},     {"case"sv, D::kCase},       {"debug"sv, D::kDebug},
    {"declare"sv, D::kDeclare}, {"default"sv, D::kDefault}, {"else"sv, D::kElse},
    {"elseif"sv, D::kElseif},   {"end"sv, D::kEnd},         {"error"sv, D::kError},
    {"fclose"sv, D::kFclose},   {"fopen"sv, D::kFopen},     {"for"sv, D::kFor},
    {"if"sv, D::kIf},           {"ifdef"sv, D::kIfdef},     {"ifndef"sv, D::kIfndef},
    {"include"sv, D::kInclude}, {"local"sv, D::kLocal},     {"macro"sv, D::kMacro},
    {"range"sv, D::kRange},     {"read"sv, D::kRead},       {"switch"sv, D::kSwitch},
    {"undef"sv, D::kUndef},     {"version"sv, D::kVersion}, {"warning"sv, D::kWarning},
    {"while"sv, D::kWhile},     {"write"sv, D::kWrite},
};

using C = ColourWord;
constexpr std::pair<std::string_view, ColourWord> kColourWords[] = {
    {"blue"sv, C::kBlue},     {"color"sv, C::kColor}, {"colour"sv, C::kColor},
    {"filter"sv, C::kFilter}, {"green"sv, C::kGreen}, {"red"sv, C::kRed},
    {"rgb"sv, C::kRgb},       {"rgbf"sv, C::kRgbf},   {"rgbft"sv, C::kRgbft},
    {"rgbt"sv, C::kRgbt},     {"srgb"sv, C::kSrgb},   {"srgbf"sv, C::kSrgbf},
    {"srgbft"sv, C::kSrgbft}, {"srgbt"sv, C::kSrgbt}, {"transmit"sv, C::kTransmit},
};

using T = TransformWord;
constexpr std::pair<std::string_view, TransformWord> kTransformWords[] = {
    {"matrix"sv, T::kMatrix},       {"rotate"sv, T::kRotate},       {"scale"sv, T::kScale},
    {"transform"sv, T::kTransform}, {"translate"sv, T::kTranslate},
};

template <class Word, size_t N>
constexpr bool SortedPairs(const std::pair<std::string_view, Word> (&table)[N]) {
  for (size_t i = 1; i < N; ++i) {
    if (!(table[i - 1].first < table[i].first)) return false;
  }
  return true;
}
static_assert(SortedPairs(kDirectives) && SortedPairs(kColourWords) && SortedPairs(kTransformWords),
              "word tables must be sorted");

}  // namespace

DirectiveWord DirectiveOf(std::string_view word) { return Find(kDirectives, word); }

bool OpensBlock(DirectiveWord word) {
  switch (word) {
    case D::kIf:
    case D::kIfdef:
    case D::kIfndef:
    case D::kSwitch:
    case D::kWhile:
    case D::kFor:
    case D::kMacro:
      return true;
    default:
      return false;
  }
}

bool ChangesValue(DirectiveWord word) {
  return word == D::kDeclare || word == D::kLocal || word == D::kUndef;
}

ColourWord ColourWordOf(std::string_view word) { return Find(kColourWords, word); }

int ChannelOf(ColourWord word) {
  switch (word) {
    case C::kRed:
      return 0;
    case C::kGreen:
      return 1;
    case C::kBlue:
      return 2;
    case C::kFilter:
      return 3;
    case C::kTransmit:
      return 4;
    default:
      return -1;
  }
}

int ChannelsOf(ColourWord word) {
  switch (word) {
    case C::kRgb:
    case C::kSrgb:
      return 3;
    case C::kRgbf:
    case C::kSrgbf:
    case C::kRgbt:
    case C::kSrgbt:
      return 4;
    case C::kRgbft:
    case C::kSrgbft:
      return 5;
    default:
      return 0;
  }
}

bool IsSrgb(ColourWord word) {
  return word == C::kSrgb || word == C::kSrgbf || word == C::kSrgbt || word == C::kSrgbft;
}

TransformWord TransformWordOf(std::string_view word) { return Find(kTransformWords, word); }

}  // namespace sdl
