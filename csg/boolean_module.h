/* The boolean module's C interface: the plug-in hands it a solid as a list
 * of nodes and takes back a mesh. Plain C, so that the module (built with
 * the system's C++ runtime and the geometry kernel) and the plug-in (with a
 * runtime of its own) share nothing but these structs.
 *
 * Ownership: the nodes and their arrays are the caller's, read during the
 * call only; the result's arrays are the module's, freed by
 * tarvo_csg_free. Calls may come from any thread, one at a time per result. */
#ifndef TARVO_CSG_BOOLEAN_MODULE_H_
#define TARVO_CSG_BOOLEAN_MODULE_H_

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define TARVO_CSG_ABI 5

/* Leaves. */
enum {
  TARVO_CSG_MESH = 0,      /* a closed mesh: vertices and triangles */
  TARVO_CSG_BOX = 1,       /* params: min x y z, max x y z */
  TARVO_CSG_SPHERE = 2,    /* params: centre x y z, radius */
  TARVO_CSG_CONE = 3,      /* params: base x y z, base radius, cap x y z, cap radius */
  TARVO_CSG_TORUS = 4,     /* params: major, minor (about y, in y = 0) */
  TARVO_CSG_HALFSPACE = 5, /* params: normal x y z, distance (p . n / |n| < d) */
  /* params: height1, height2; `vertices`: four points (x, z, 0) of a cubic
   * Bezier piece after another (a straight piece has p0 = p1, p2 = p3);
   * `loops`: pieces and depth (even: outline, odd: hole) of each loop. */
  TARVO_CSG_PRISM = 6,
  /* Operations; `operands` whole subtrees follow in prefix order. */
  TARVO_CSG_MERGE = 16,
  TARVO_CSG_INTERSECTION = 17,
  TARVO_CSG_DIFFERENCE = 18 /* the first operand less the others */
};

typedef struct tarvo_csg_node {
  int32_t kind;
  int32_t operands; /* operations */
  int32_t inverse;  /* the complement of this leaf or operation */
  /* The nodes of this node's subtree, itself included. */
  int64_t subtree;
  /* Non-zero: the same id stands for the same subtree in its own space
   * (before `matrix`) in every call of a session, so that its solid is
   * computed once. */
  int64_t id;
  /* Into the parent's space (the solid's, for the first node), points as
   * rows (p' = p * M + t): the 3x3 part by rows, then t. */
  double matrix[12];
  double params[8];
  const double* vertices; /* mesh leaves: x y z each */
  int64_t vertex_count;
  const int32_t* triangles; /* three vertex indices each */
  int64_t triangle_count;
  const int32_t* loops; /* prisms: two numbers per loop */
  int64_t loop_count;
} tarvo_csg_node;

typedef struct tarvo_csg_mesh {
  double* positions; /* x y z each */
  double* normals;   /* one per position */
  int64_t vertex_count;
  int32_t* triangles; /* three position indices each */
  int32_t* leaves;    /* per triangle: the leaf it lies on, counted in prefix order */
  int64_t triangle_count;
  char error[512]; /* why the call failed */
} tarvo_csg_mesh;

/* How a computation is bounded: it gives up after `seconds`, or as soon as
 * `stop` (may be null; called from the kernel's threads) answers non-zero. */
typedef struct tarvo_csg_limits {
  double seconds;
  int (*stop)(void* context);
  void* context;
} tarvo_csg_limits;

/* Computes the solid `nodes[0]` and meshes it: curved faces in steps of at
 * most `angle` radians, and no farther than `deflection` from the surface.
 * `clip` (min x y z, max x y z) bounds what half-spaces keep. Answers 1,
 * or 0 with out->error set. */
typedef int (*tarvo_csg_compute_fn)(void* session, const tarvo_csg_node* nodes, int64_t count,
                                    double angle, double deflection, const double clip[6],
                                    const tarvo_csg_limits* limits, tarvo_csg_mesh* out);
typedef void (*tarvo_csg_free_fn)(tarvo_csg_mesh* mesh);
/* A session keeps the solids of node ids between calls; one per reading. */
typedef void* (*tarvo_csg_open_fn)(void);

/* The outline of a string in a TrueType font as POV-Ray's text sets it:
 * glyphs in em units (the font's em square is 1), the first glyph's left
 * side at x = 0, each next one an advance (and the kerning) further and
 * `offset` (x, y) more than the one before. */
typedef struct tarvo_csg_text {
  double* points; /* x y of four control points of a cubic piece after another */
  int64_t pieces;
  int32_t* loops; /* the pieces of each closed loop */
  int64_t loop_count;
  double box[4]; /* the control points' box: min x, min y, max x, max y */
  char error[256];
} tarvo_csg_text;
typedef int (*tarvo_csg_text_fn)(const char* font_path, const uint32_t* codes, int64_t count,
                                 double offset_x, double offset_y, tarvo_csg_text* out);
typedef void (*tarvo_csg_text_free_fn)(tarvo_csg_text* text);
typedef void (*tarvo_csg_close_fn)(void* session);
typedef int (*tarvo_csg_abi_fn)(void);

#ifdef __cplusplus
}
#endif

#endif /* TARVO_CSG_BOOLEAN_MODULE_H_ */
