// Stands in for a libGL.so.1 that has none of the OpenGL functions.
extern "C" int vexmoor_fake_gl_marker() { return 1; }
