/* The host library's C interface: import a POV-Ray scene file with the
 * plug-in and read what it holds, from any language that calls C (Python's
 * ctypes, the Blender add-on). Plain C: no C++ type crosses it.
 *
 * Ownership: korvan_import hands out a scene that the caller frees with
 * korvan_scene_free; every pointer the scene hands out (names, messages,
 * arrays) is owned by it and lives until it is freed.
 *
 * Threads: every function may be called from any thread. Imports run one at
 * a time in a process (the plug-in's reader keeps process-wide state): a
 * korvan_import called while another runs waits for it. A scene may be
 * read from several threads at once, and freed by any one of them. An
 * import under way stops when its cancel flag is set from another thread,
 * or when its time limit passes: the scene then holds what was read so far
 * and its status is 2.
 *
 * Arrays are the scene's own, without copies: positions, normals and uv
 * are 3 doubles each (uv: u, v and an unused 0); the faces of a channel are
 * 3 int32 indices each when every face is a triangle (korvan_mesh_info's
 * triangles_only), else korvan_mesh_copy_faces gives them. Indices are as
 * the file gives them: check them against the counts before use. */
#ifndef KORVAN_KORVAN_C_H_
#define KORVAN_KORVAN_C_H_

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define KORVAN_C_API __attribute__((visibility("default")))

/* The version of this interface; changes when a function changes. */
#define KORVAN_C_VERSION 3
KORVAN_C_API int korvan_c_version(void);

typedef struct korvan_scene korvan_scene;

/* Settings for one import; NULL (or -1) keeps the stored setting. */
typedef struct korvan_import_options {
  const char* plugin_dir;   /* where the plug-ins lie; NULL: the usual folders */
  const char* grammar;      /* "literal" or "povray" */
  const char* log_path;     /* write the plug-in's detailed log there */
  const char* include_path; /* ':'-separated folders searched by #include */
  int place_objects;        /* 1 or 0 (the povray grammar); -1: stored */
  /* Set non-zero from any thread to stop the import; NULL: none. The flag
   * is the caller's and must live until korvan_import returns. */
  const volatile int* cancel;
  double time_limit; /* seconds for the reading; 0 or less: none */
  /* Interface version 3 and later, read through korvan_import_sized: */
  double clock;     /* the animation's clock for the frame read; NaN: a still image */
  int frame;        /* its frame number, from 1; 0 or less: none */
  int shapes;       /* 1 or 0: POV-Ray's other shapes and CSG as meshes; -1: stored */
  double tolerance; /* their chord error relative to each curved part's radius; 0: stored */
} korvan_import_options;

/* Sets every field to keep the stored settings. */
KORVAN_C_API void korvan_import_options_init(korvan_import_options* options);

/* Imports the scene file at `path`; `options` may be NULL. Answers a scene
 * in every case but a lack of memory (NULL): its status tells the outcome.
 * Reads the fields of interface version 2 only (up to time_limit), so that
 * programs built against that version keep working. */
KORVAN_C_API korvan_scene* korvan_import(const char* path, const korvan_import_options* options);
/* As korvan_import, reading the first `size` bytes of `options` (pass
 * sizeof(korvan_import_options)); fields past them keep the stored
 * settings. Version 3 and later. */
KORVAN_C_API korvan_scene* korvan_import_sized(const char* path,
                                               const korvan_import_options* options, size_t size);
KORVAN_C_API void korvan_scene_free(korvan_scene* scene);

/* As the command line's exit status: 0 read; 1 nothing read (no plug-in,
 * the file cannot be read); 2 read up to a syntax error. */
KORVAN_C_API int korvan_scene_status(const korvan_scene* scene);
/* The import's last word: the log's outcome line, or why nothing was read. */
KORVAN_C_API const char* korvan_scene_outcome(const korvan_scene* scene);
/* The import's messages ("FILE:LINE:COLUMN: error: ..."). */
KORVAN_C_API int korvan_scene_message_count(const korvan_scene* scene);
KORVAN_C_API const char* korvan_scene_message(const korvan_scene* scene, int i);

/* The scene's materials: name, and colour (linear RGBA) when the file
 * gives one (answers 1; 0 leaves `rgba` alone). */
KORVAN_C_API int korvan_scene_material_count(const korvan_scene* scene);
KORVAN_C_API const char* korvan_scene_material_name(const korvan_scene* scene, int i);
KORVAN_C_API int korvan_scene_material_color(const korvan_scene* scene, int i, float rgba[4]);
/* Its finish as metallic and roughness (each 0..1) when the file gives one
 * (answers 1; 0 leaves both alone). */
KORVAN_C_API int korvan_scene_material_finish(const korvan_scene* scene, int i, float* metallic,
                                              float* roughness);

/* Cameras and lights in POV-Ray's coordinates; `from_file` 0 for the
 * host's defaults. Angle: horizontal field of view in degrees, 0 unset. */
KORVAN_C_API int korvan_scene_camera_count(const korvan_scene* scene);
KORVAN_C_API int korvan_scene_camera(const korvan_scene* scene, int i, double location[3],
                                     double look_at[3], double sky[3], double* angle,
                                     int* from_file);
KORVAN_C_API int korvan_scene_light_count(const korvan_scene* scene);
KORVAN_C_API int korvan_scene_light(const korvan_scene* scene, int i, double location[3],
                                    double color[3]);

/* The meshes. Channels of faces: */
enum { KORVAN_POSITIONS = 0, KORVAN_NORMALS = 1, KORVAN_UVS = 2 };

typedef struct korvan_mesh_info {
  const char* name;
  int64_t vertices, faces;       /* positions and faces */
  int64_t normals, normal_faces; /* 0 when the mesh has no normals */
  int64_t uvs, uv_faces;         /* 0 when the mesh has no uv */
  int64_t corners[3];            /* corners of all faces, per channel */
  int triangles_only;            /* every face of every channel has 3 corners */
  int materials;                 /* the mesh's material names */
} korvan_mesh_info;

KORVAN_C_API int korvan_scene_mesh_count(const korvan_scene* scene);
/* 1 with `info` filled, 0 for a mesh index out of range. */
KORVAN_C_API int korvan_mesh_get_info(const korvan_scene* scene, int mesh, korvan_mesh_info* info);
/* vertices (normals, uvs) x 3 doubles, or NULL when there are none. */
KORVAN_C_API const double* korvan_mesh_positions(const korvan_scene* scene, int mesh);
KORVAN_C_API const double* korvan_mesh_normals(const korvan_scene* scene, int mesh);
KORVAN_C_API const double* korvan_mesh_uvs(const korvan_scene* scene, int mesh);
/* faces x 3 indices of the channel when triangles_only, else NULL. */
KORVAN_C_API const int32_t* korvan_mesh_faces(const korvan_scene* scene, int mesh, int channel);
/* The channel's faces into caller buffers: corners[info.corners[channel]]
 * and sizes[number of faces of the channel]; 1 when copied. */
KORVAN_C_API int korvan_mesh_copy_faces(const korvan_scene* scene, int mesh, int channel,
                                        int32_t* corners, int32_t* sizes);
/* One material index per face, into the mesh's material names. */
KORVAN_C_API const int32_t* korvan_mesh_material_ids(const korvan_scene* scene, int mesh);
KORVAN_C_API const char* korvan_mesh_material_name(const korvan_scene* scene, int mesh, int i);

#ifdef __cplusplus
}
#endif

#endif /* KORVAN_KORVAN_C_H_ */
