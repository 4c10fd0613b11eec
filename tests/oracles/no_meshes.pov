// A scene without polygons: the export still writes a valid, empty file.
sphere { <0, 0, 0>, 1 pigment { color rgb 1 } }
