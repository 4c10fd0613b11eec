// MessageCallBack1: the bundle of three message/progress function pairs that
// an importer hands to the host for one import (bar 1 follows the file, bars
// 2 and 3 the meshes). Plain data; the importer allocates and frees it.
#pragma once

#include "plugin/host/api.h"
#include "plugin/host/memory.h"

// A printf-style status text.
using MessageFunc = void (*)(char* format, ...);
// `position` within 0 .. `count` - 1.
using ProgressFunc = void (*)(long position, long count);

struct MessageCallBack1 : HostAllocated {
  MessageFunc m1;
  ProgressFunc p1;
  MessageFunc m2;
  ProgressFunc p2;
  MessageFunc m3;
  ProgressFunc p3;

  MessageCallBack1(MessageFunc m1_, ProgressFunc p1_, MessageFunc m2_, ProgressFunc p2_,
                   MessageFunc m3_, ProgressFunc p3_)
      : m1(m1_), p1(p1_), m2(m2_), p2(p2_), m3(m3_), p3(p3_) {}
};
