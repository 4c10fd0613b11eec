// Symbol visibility of the host library's interface. The plug-in is built with
// hidden visibility; everything marked KORVAN_API is imported from libkorvan.
#pragma once

#define KORVAN_API __attribute__((visibility("default")))
