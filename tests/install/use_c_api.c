/* A program written against the installed C interface: imports the scene
 * file given and prints what it holds; exit status the scene's status. */
#include <korvan/korvan_c.h>
#include <stdio.h>

int main(int argc, char** argv) {
  if (argc != 2) return 64;
  if (korvan_c_version() != KORVAN_C_VERSION) {
    fprintf(stderr, "header %d, library %d\n", KORVAN_C_VERSION, korvan_c_version());
    return 65;
  }
  korvan_import_options options;
  korvan_import_options_init(&options);
  options.grammar = "povray";
  korvan_scene* scene = korvan_import(argv[1], &options);
  if (scene == NULL) return 66;
  int faces = 0;
  for (int i = 0; i < korvan_scene_mesh_count(scene); ++i) {
    korvan_mesh_info info;
    if (korvan_mesh_get_info(scene, i, &info)) faces += (int)info.faces;
  }
  printf("meshes %d faces %d status %d\n", korvan_scene_mesh_count(scene), faces,
         korvan_scene_status(scene));
  const int status = korvan_scene_status(scene);
  korvan_scene_free(scene);
  return status;
}
