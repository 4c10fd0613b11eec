// The placed model of tests/povray/placed.pov seen from a camera of its
// own: korvan import --grammar povray shows it in the window from this
// camera (docs/placed-side-by-side.png, beside POV-Ray's render), and so does
// a viewer of its glb export (docs/gltf-side-by-side.png, made with
// scripts/side-by-side). Colours are linear, as the export writes them.
global_settings { assumed_gamma 1.0 }
#include "../tests/povray/placed.pov"
camera { location <12, 8, -12> look_at <3.5, 0, 0> angle 45 }
light_source { <20, 30, -20> color rgb 1 }
